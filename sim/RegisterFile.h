// The register pages of one receiver: 33 pages of 64 16-bit registers, and
// the page that the last select command chose.
#pragma once

#include <array>
#include <cstdint>

namespace sim {

// Where things live in the register pages.
namespace regs {
inline constexpr int kPageCount = 33;
inline constexpr int kRegistersPerPage = 64;
inline constexpr int kTopPage = kPageCount - 1;

// Page 0
inline constexpr int kIfBandwidthFirst = 0;      // 0..7, kHz
inline constexpr int kAgcTimeConstantFirst = 10; // 10..17, 100 us units
inline constexpr int BandLow(int band) {
    return 19 + 2 * band;
} // MHz
inline constexpr int BandHigh(int band) {
    return 20 + 2 * band;
} // MHz
inline constexpr int RssiSlope(int band) {
    return 29 + 2 * band;
} // slope x 10000, signed
inline constexpr int RssiOffset(int band) {
    return 30 + 2 * band;
} // offset x 10 dBm, signed
inline constexpr int kVideoFilterFirst = 37; // 37..44, kHz
inline constexpr int kBootBaudHundreds = 45; // first receiver
inline constexpr int kBootSerialType = 46;   // second receiver, bit 0
inline constexpr int kIdentityWord = 48;
inline constexpr int kFirmwareDateLow = 49;      // first receiver
inline constexpr int kFirmwareDateHigh = 50;     // first receiver
inline constexpr int kSerialWord1 = 52;          // first receiver
inline constexpr int kSerialWord2 = 53;          // first receiver
inline constexpr int kExternalReferenceMHz = 54; // first receiver, low byte
inline constexpr int kRfSwitch = 55;             // first receiver

// Other pages
inline constexpr int LockoutPage(int band) {
    return band + 2;
}
inline constexpr int kLockoutRegister = 4; // nonzero: band cannot be linearised
inline constexpr int kVideoGainPage = 18;
inline constexpr int kVideoGainRegister = 9; // stored video output gain
} // namespace regs

class RegisterFile {
public:
    // Out-of-range pages and registers read as 0.
    std::uint16_t Read(int page, int reg) const;
    // Out-of-range pages and registers are ignored.
    void Write(int page, int reg, std::uint16_t value);

    // Pages above the top page select the top page.
    void SelectPage(int page);
    int SelectedPage() const { return selected_; }

    std::uint16_t ReadSelected(int reg) const { return Read(selected_, reg); }
    void WriteSelected(int reg, std::uint16_t value) { Write(selected_, reg, value); }

private:
    std::array<std::array<std::uint16_t, regs::kRegistersPerPage>, regs::kPageCount> pages_{};
    int selected_ = 0;
};

} // namespace sim
