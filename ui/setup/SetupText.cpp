#include "ui/setup/SetupText.h"

#include "text/NumberText.h"
#include "text/TuningText.h"

#include <climits>
#include <cmath>
#include <string>

namespace vx::ui::setup {
namespace {

constexpr double kHzPerMHz = 1e6;
constexpr int kHertzDigits = 6;

QString Fixed(double value, int decimals) {
    return QString::fromStdString(FormatDouble(value, decimals));
}

} // namespace

QString TuningFrequencyText(std::uint64_t hz) {
    std::string text = FormatDouble(static_cast<double>(hz) / kHzPerMHz, kHertzDigits);
    while (!text.empty() && text.back() == '0')
        text.pop_back();
    if (!text.empty() && text.back() == '.')
        text.push_back('0');
    return QString::fromStdString(text);
}

std::optional<std::uint64_t> TuningFrequencyHz(const QString& text) {
    return TuningTextHz(text.toStdString());
}

QString BandRangeText(std::uint64_t lowHz, std::uint64_t highHz) {
    if (lowHz == 0 && highHz == 0)
        return {};
    return QStringLiteral("%1 - %2 MHz")
        .arg(Fixed(static_cast<double>(lowHz) / kHzPerMHz, 1),
             Fixed(static_cast<double>(highHz) / kHzPerMHz, 1));
}

QString AgcTimeConstantText(std::uint16_t t) {
    if (t < 10)
        return QStringLiteral("%1 \u00B5secs").arg(unsigned{t} * 100u);
    if (t == 10)
        return Fixed(1.0, 1) + QStringLiteral(" msec");
    if (t < 10000)
        return Fixed(t / 10.0, 1) + QStringLiteral(" msecs");
    if (t == 10000)
        return Fixed(1.0, 1) + QStringLiteral(" sec");
    return Fixed(t / 10000.0, 1) + QStringLiteral(" secs");
}

QString ListValueText(unsigned value) {
    return QString::number(value);
}

QString SetupItemText(unsigned setup) {
    return QStringLiteral("   ") + QString::number(setup);
}

unsigned ListIndexForText(const QString& text, std::span<const std::uint16_t> values) {
    const auto value = ScanUnsigned(text.toStdString());
    if (!value)
        return 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (values[i] == *value)
            return static_cast<unsigned>(i);
    }
    return 0;
}

unsigned PairedVideoFilter(unsigned ifBandwidthIndex, std::span<const std::uint16_t> videoFilters) {
    unsigned fitted = 0;
    for (std::size_t i = 0; i < videoFilters.size(); ++i) {
        if (videoFilters[i] != 0 && ++fitted == ifBandwidthIndex + 1)
            return static_cast<unsigned>(i);
    }
    return 0;
}

QString VoltageText(std::int8_t tenths) {
    return Fixed(tenths / 10.0, 1);
}

QString SlopeText(double dbmPerVolt) {
    return Fixed(dbmPerVolt, 1) + QStringLiteral(" dBm/V");
}

QString ProgrammableSlopeText(int lowerDbm, int upperDbm, int startTenths, int endTenths) {
    const double spanVolts = (endTenths - startTenths) / 10.0;
    if (spanVolts == 0.0)
        return QStringLiteral("Infinite dBm/V");
    return SlopeText((upperDbm - lowerDbm) / spanVolts);
}

std::int8_t DagcFieldValue(const QString& text, double scale) {
    const double value = ScanDouble(text.toStdString()).value_or(0.0) * scale;
    double rounded = std::trunc(value >= 0.0 ? value + 0.5 : value - 0.5);
    // "nan" and "inf" read as numbers too; nothing may reach the conversion
    // to int that int cannot hold.
    if (std::isnan(rounded))
        rounded = 0.0;
    rounded = std::fmax(std::fmin(rounded, double{INT_MAX}), double{INT_MIN});
    return static_cast<std::int8_t>(static_cast<std::uint8_t>(static_cast<int>(rounded) & 0xFF));
}

unsigned UnsignedFieldValue(const QString& text) {
    return ScanUnsigned(text.toStdString()).value_or(0u);
}

} // namespace vx::ui::setup
