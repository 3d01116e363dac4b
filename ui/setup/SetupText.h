// The receiver setup page's numbers as text and back: frequencies, band
// ranges, list items, AGC time constants, DAGC voltages, limits and slopes.
// Reading follows the C library's "%u" and "%f" (ui/NumberText.h); every
// number is written with a decimal point whatever the desktop's language.
//
// A field whose text does not read as a number counts as 0, the same for
// every field the page reads, except the tuning frequency: a text that is
// not a frequency tunes nothing.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

namespace vx::ui::setup {

// Megahertz with up to six decimals, trailing zeros dropped but one kept
// after the point: 2250500000 Hz reads "2250.5", 1500000000 Hz "1500.0".
QString TuningFrequencyText(std::uint64_t hz);

// The text of the frequency field in hertz (text/TuningText.h): the whole
// megahertz before the point, and the first six digits after it (padded
// with zeros) as hertz. "1444.1234567" is 1444123456 Hz. Empty when the text
// is not a frequency.
std::optional<std::uint64_t> TuningFrequencyHz(const QString& text);

// A band's limits in hertz as "%.1f - %.1f MHz"; empty for a band whose two
// limits are 0.
QString BandRangeText(std::uint64_t lowHz, std::uint64_t highHz);

// An AGC time constant in units of 100 microseconds, in the unit that reads
// best: "100 µsecs", "1.0 msec", "5.0 msecs", "1.0 sec", "2.0 secs".
QString AgcTimeConstantText(std::uint16_t hundredMicroseconds);

// "%u" of a list value; the setup list's item "   %u".
QString ListValueText(unsigned value);
QString SetupItemText(unsigned setup);

// The first position of values holding the number an item's text reads;
// 0 when none does.
unsigned ListIndexForText(const QString& text, std::span<const std::uint16_t> values);

// The video filter that pairs with IF bandwidth index: the position of the
// (index + 1)-th non-zero entry of the video filter list, or 0 when the list
// has fewer non-zero entries.
unsigned PairedVideoFilter(unsigned ifBandwidthIndex, std::span<const std::uint16_t> videoFilters);

// A voltage in tenths of a volt as "%1.1f" volts.
QString VoltageText(std::int8_t tenths);

// "%.1f dBm/V".
QString SlopeText(double dbmPerVolt);
// The slope of a programmed range: its dBm span over its voltage span;
// "Infinite dBm/V" when the two voltages are equal.
QString ProgrammableSlopeText(int lowerDbm, int upperDbm, int startTenths, int endTenths);

// A DAGC field as the unit takes it: the "%f" reading times scale, rounded
// half away from zero, of which the low 8 bits count as a signed byte.
// Readings beyond the range of int saturate before the low bits are taken.
std::int8_t DagcFieldValue(const QString& text, double scale);

// "%u" of a field's text, 0 when it does not read as a number.
unsigned UnsignedFieldValue(const QString& text);

} // namespace vx::ui::setup
