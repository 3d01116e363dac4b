#include "support/ExpectedTraffic.h"

#include <algorithm>
#include <cstdio>

namespace vxtest::traffic {
namespace {

constexpr std::uint8_t kRegisterCommand = 0x10;
constexpr std::uint8_t kUnitStatus = 0x48;
constexpr std::uint8_t kAttenuatorCommand = 0xC0;
constexpr std::uint8_t kHistoryCommand = 0xC8;
constexpr std::uint8_t kBootSerialCommand = 0xF8;
constexpr std::uint32_t kSerialTypeCommandFirmware = 0x20180309;

Bytes Packet(std::uint8_t type1, std::uint8_t type2, const Bytes& payload) {
    // Sized once and filled: GCC 12 misreads a vector insert after a short initializer.
    Bytes packet(6 + payload.size());
    packet[0] = 0x27;
    packet[2] = type1;
    packet[3] = type2;
    packet[4] = static_cast<std::uint8_t>(payload.size() & 0xFF);
    packet[5] = static_cast<std::uint8_t>(payload.size() >> 8);
    std::copy(payload.begin(), payload.end(), packet.begin() + 6);
    return packet;
}

std::uint8_t Rx(std::uint8_t command, unsigned rx) {
    return static_cast<std::uint8_t>(command | (rx == 1 ? 1 : 0));
}

std::uint8_t AttenuatorBits(const AttenuatorByte& dc) {
    return static_cast<std::uint8_t>((dc.code & 0x3F) | (dc.freeze ? 0x40 : 0) |
                                     (dc.changing ? 0x80 : 0));
}

} // namespace

Sequence operator+(Sequence first, const Sequence& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Sequence& operator+=(Sequence& first, const Sequence& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

Sequence LinkTest() {
    return {Packet(0x00, 0x00, {})};
}

Sequence StatusPoll() {
    return {Packet(0x00, 0x20, {})};
}

Sequence Short(std::uint8_t commandByte, std::uint8_t a1, std::uint8_t a2, std::uint8_t a3) {
    return {Packet(0x01, 0x10, {commandByte, a1, a2, a3})};
}

Sequence ReadRegister(unsigned rx, unsigned page, unsigned reg) {
    const auto pageByte = static_cast<std::uint8_t>(std::min(page, 32u));
    const auto regByte = static_cast<std::uint8_t>(0x40 | (reg > 63 ? 0 : reg));
    return Short(Rx(kRegisterCommand, rx), pageByte) + Short(Rx(kRegisterCommand, rx), regByte);
}

Sequence WriteRegister(unsigned rx, unsigned page, unsigned reg, std::uint16_t value) {
    return Short(Rx(kRegisterCommand, rx), static_cast<std::uint8_t>(page)) +
           Short(Rx(kRegisterCommand, rx), static_cast<std::uint8_t>(0x80 | reg),
                 static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8));
}

Sequence ReadIdentity() {
    Sequence s;
    for (unsigned reg : {48u, 50u, 49u, 52u, 53u})
        s += ReadRegister(0, 0, reg);
    for (unsigned reg : {48u, 49u, 50u})
        s += ReadRegister(1, 0, reg);
    return s;
}

Sequence ReadDeviceConfiguration() {
    Sequence s = ReadRegister(0, 0, 54);
    for (unsigned rx = 0; rx < 2; ++rx) {
        for (unsigned b = 0; b < 4; ++b) {
            s += ReadRegister(rx, 0, 19 + 2 * b) + ReadRegister(rx, 0, 20 + 2 * b) +
                 ReadRegister(rx, 0, 29 + 2 * b) + ReadRegister(rx, 0, 30 + 2 * b) +
                 ReadRegister(rx, b + 2, 4);
        }
        for (unsigned reg = 0; reg < 8; ++reg)
            s += ReadRegister(rx, 0, reg);
        for (unsigned reg = 37; reg < 45; ++reg)
            s += ReadRegister(rx, 0, reg);
        for (unsigned reg = 10; reg < 18; ++reg)
            s += ReadRegister(rx, 0, reg);
        for (unsigned index = 0; index < 32; ++index)
            s += Short(Rx(0x30, rx), 0, static_cast<std::uint8_t>(index), 0);
        s += ReadRegister(rx, 18, 9);
        s += Short(Rx(0x68, rx), 4);
    }
    return s + ReadRegister(0, 0, 55) + ReadRegister(0, 0, 45) + ReadRegister(1, 0, 46);
}

Sequence ReadCompanionBoardFlag() {
    return Short(kUnitStatus);
}

Sequence ReadReceiverSettings(unsigned rx, unsigned group) {
    return Short(Rx(0x90, rx), static_cast<std::uint8_t>(group));
}

Sequence AmCounter(unsigned rx) {
    return Short(Rx(0x38, rx));
}

Sequence WindowStartUp() {
    return ReadDeviceConfiguration() + ReadCompanionBoardFlag();
}

Sequence CliStartUpCold() {
    return ReadIdentity() + WindowStartUp();
}

Sequence CliStartUpCached() {
    Sequence s = ReadIdentity() + ReadRegister(0, 0, 54);
    for (unsigned rx = 0; rx < 2; ++rx)
        s += ReadRegister(rx, 18, 9) + Short(Rx(0x68, rx), 4);
    return s + ReadRegister(0, 0, 45) + ReadRegister(1, 0, 46) + ReadCompanionBoardFlag();
}

Sequence TuningReadback(const std::vector<unsigned>& receivers) {
    Sequence s;
    for (unsigned rx : receivers)
        s += ReadReceiverSettings(rx, 0) + ReadReceiverSettings(rx, 1);
    return s;
}

Sequence SetupPageInit(unsigned rx, bool identityLoaded) {
    Sequence s = identityLoaded ? Sequence{} : ReadIdentity();
    for (unsigned group = 0; group <= 5; ++group)
        s += ReadReceiverSettings(rx, group);
    return s;
}

Sequence RefClkPageInit(bool identityLoaded) {
    return (identityLoaded ? Sequence{} : ReadIdentity()) + Short(kUnitStatus);
}

Sequence RefreshFromUnit(bool dc1Frozen, bool dc2Frozen) {
    Sequence s = Short(kAttenuatorCommand, dc1Frozen ? 0x40 : 0, dc2Frozen ? 0x40 : 0, 0) +
                 Short(kUnitStatus);
    for (std::uint8_t item = 0; item < 6; ++item)
        s += Short(kHistoryCommand, item);
    return s;
}

Sequence StatusCycle(const std::vector<unsigned>& amCounterReceivers) {
    Sequence s = StatusPoll();
    for (unsigned rx : amCounterReceivers)
        s += AmCounter(rx);
    return s;
}

ConfigWord PowerUpWord(unsigned rx) {
    ConfigWord w;
    w.ifBandwidth = 3;
    w.amFilter = 31;
    w.frequencyHz = rx == 1 ? 2'250'500'000 : 1'450'000'000;
    w.bandSelect = rx == 1 ? 2 : 0;
    return w;
}

Sequence ConfigurationWord(unsigned rx, const ConfigWord& w) {
    const std::uint64_t f = w.frequencyHz;
    const Bytes payload{
        static_cast<std::uint8_t>((rx == 1 ? 1 : 0) | std::min(w.setup, 15u) << 1 |
                                  (w.fmInverted ? 0x20 : 0) | (w.xdout ? 0x40 : 0)),
        static_cast<std::uint8_t>((w.idLedsLit & 0x0F) | (w.internalReference ? 0x80 : 0)),
        static_cast<std::uint8_t>((w.agcTimeConstant > 7 ? 0 : w.agcTimeConstant) |
                                  (w.agcFreeze ? 0x08 : 0) |
                                  (w.bandSelect > 3 ? 0 : w.bandSelect) << 4 |
                                  (w.agcZero ? 0x40 : 0) | (w.ifOutputHardware ? 0x80 : 0)),
        static_cast<std::uint8_t>((w.videoFilter > 7 ? 0 : w.videoFilter) |
                                  (w.tlm2DeEmphasis ? 0x08 : 0) |
                                  (w.ifBandwidth > 7 ? 0 : w.ifBandwidth) << 4),
        static_cast<std::uint8_t>((w.amFilter >= 32 ? 0 : w.amFilter) | (w.amInverted ? 0x80 : 0)),
        static_cast<std::uint8_t>((f % 1'000'000) / 10'000),
        static_cast<std::uint8_t>((f % 256'000'000) / 1'000'000),
        static_cast<std::uint8_t>(f / 256'000'000),
    };
    return {Packet(0x00, 0x10, payload)};
}

Sequence SetAmGain(unsigned rx, std::uint8_t gain) {
    return Short(Rx(0x68, rx), 3, std::min<std::uint8_t>(gain, 99), 0);
}

Sequence SetDagcMode(unsigned rx, std::uint8_t mode) {
    return Short(Rx(0x20, rx), mode);
}

Sequence SelectDagcRange(unsigned rx, std::uint8_t code) {
    return Short(Rx(0x58, rx), 0, code, 0);
}

Sequence SetDagcLimits(unsigned rx, int lowerDbm, int upperDbm) {
    return Short(Rx(0x70, rx), static_cast<std::uint8_t>(lowerDbm),
                 static_cast<std::uint8_t>(upperDbm), 0);
}

Sequence SetDagcVoltages(unsigned rx, int startTenths, int endTenths) {
    return Short(Rx(0x78, rx), static_cast<std::uint8_t>(startTenths),
                 static_cast<std::uint8_t>(endTenths), 0);
}

Sequence SetRssiAveraging(unsigned rx, bool filtered) {
    return Short(Rx(0xB8, rx), filtered ? 1 : 0);
}

Sequence SetVideoGain(unsigned rx, std::uint16_t gain) {
    return Short(Rx(0x80, rx), 1, static_cast<std::uint8_t>(gain & 0xFF),
                 static_cast<std::uint8_t>((gain >> 8) & 0x3F));
}

Sequence SaveVideoGain(unsigned rx, std::uint16_t gain) {
    return WriteRegister(rx, 18, 9, gain);
}

Sequence WriteSwitches(std::uint16_t word) {
    return Short(kUnitStatus, 0x80, static_cast<std::uint8_t>(word >> 8),
                 static_cast<std::uint8_t>(word & 0xFF));
}

Sequence Attenuators(std::uint8_t commandByte, AttenuatorByte dc1, AttenuatorByte dc2,
                     std::uint8_t atBootByte) {
    return Short(commandByte, AttenuatorBits(dc1), AttenuatorBits(dc2), atBootByte);
}

Sequence SetBootBaudRate(std::uint32_t rate) {
    const std::uint32_t q = rate / 100;
    return Short(kBootSerialCommand, 0, static_cast<std::uint8_t>(q & 0xFF),
                 static_cast<std::uint8_t>((q >> 8) & 0x07));
}

Sequence SetBootSerialType(unsigned type, std::uint32_t firmwareDate) {
    if (firmwareDate >= kSerialTypeCommandFirmware)
        return Short(kBootSerialCommand, 5, type == 1 ? 1 : 0, 0);
    return WriteRegister(1, 0, 46, static_cast<std::uint16_t>(type));
}

Sequence LinearizeBand(unsigned rx, unsigned band) {
    return Short(Rx(0x00, rx), 20, static_cast<std::uint8_t>(band), 0) +
           ReadRegister(rx, band + 2, 4);
}

Sequence FirmwareBlocks(const std::vector<std::uint8_t>& image) {
    Sequence s;
    for (std::size_t offset = 0; offset < image.size(); offset += 128) {
        const std::size_t n = std::min<std::size_t>(128, image.size() - offset);
        s.push_back(Packet(0x20, 0x10,
                           Bytes(image.begin() + static_cast<std::ptrdiff_t>(offset),
                                 image.begin() + static_cast<std::ptrdiff_t>(offset + n))));
    }
    return s;
}

Sequence CommitFirmware() {
    return Short(0x98, 0xFF);
}

std::string Hex(const Bytes& packet) {
    std::string text;
    for (std::uint8_t byte : packet) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%s%02X", text.empty() ? "" : " ", byte);
        text += hex;
    }
    return text;
}

std::string Difference(const Sequence& actual, const Sequence& expected) {
    const std::size_t common = std::min(actual.size(), expected.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (actual[i] != expected[i]) {
            return "packet " + std::to_string(i) + " of " + std::to_string(actual.size()) +
                   " sent (" + std::to_string(expected.size()) + " expected):\n  sent     " +
                   Hex(actual[i]) + "\n  expected " + Hex(expected[i]);
        }
    }
    if (actual.size() == expected.size())
        return "";
    const bool more = actual.size() > expected.size();
    return std::to_string(actual.size()) + " packets sent, " + std::to_string(expected.size()) +
           " expected; first " + (more ? "extra: " : "missing: ") +
           Hex(more ? actual[common] : expected[common]);
}

std::size_t Count(const Sequence& requests, std::uint8_t type1, std::uint8_t type2,
                  int commandByte) {
    return static_cast<std::size_t>(
        std::count_if(requests.begin(), requests.end(), [&](const Bytes& r) {
            return r.size() >= 6 && r[2] == type1 && r[3] == type2 &&
                   (commandByte < 0 || (r.size() > 6 && r[6] == commandByte));
        }));
}

} // namespace vxtest::traffic
