#include "trace/PacketText.h"

#include "protocol/CommandCodes.h"

#include <cstdio>
#include <cstdlib>

namespace vx {
namespace {

constexpr std::uint16_t kLinkTest = 0x0000;
constexpr std::uint16_t kStatusPoll = 0x0020;
constexpr std::uint16_t kShortCommand = 0x0110;
constexpr std::uint16_t kConfigurationWord = 0x0010;
constexpr std::uint16_t kFirmwareBlock = 0x2010;
constexpr BYTE kFirmwareCommit = 0x98;

std::string Number(long long value) {
    return std::to_string(value);
}

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
    return text;
}

// Tenths as a decimal number with a point whatever the locale: -25 is "-2.5".
std::string Tenths(int tenths) {
    const int whole = std::abs(tenths);
    return (tenths < 0 ? "-" : "") + Number(whole / 10) + "." + Number(whole % 10);
}

std::string OnOff(bool on) {
    return on ? "on" : "off";
}

// A short command's request: command byte and three argument bytes, and
// the reply's three result bytes when the reply came whole.
struct ShortCommand {
    BYTE command = 0; // receiver bit clear
    BYTE a1 = 0, a2 = 0, a3 = 0;
    bool answered = false;
    BYTE r1 = 0, r2 = 0, r3 = 0;

    std::string Value(unsigned value) const {
        return answered ? " = " + Number(value) : std::string();
    }
};

std::string RegisterArguments(const ShortCommand& c) {
    if (c.a1 < 0x40)
        return "select page " + Number(c.a1);
    if (c.a1 < 0x80)
        return "read " + Number(c.a1 & 0x3F) +
               (c.answered ? " = " + Hex4(cmd::Word(c.r2, c.r3)) : std::string());
    return "write " + Number(c.a1 & 0x3F) + " = " + Hex4(cmd::Word(c.a2, c.a3));
}

std::string AttenuatorByte(const char* name, BYTE value) {
    std::string text = std::string(name) + " code " + Number(value & 0x3F);
    if (value & 0x40)
        text += " frozen";
    if (value & 0x80)
        text += " (set)";
    return text;
}

std::string AttenuatorArguments(const ShortCommand& c) {
    std::string text = AttenuatorByte("DC1", c.a1) + ", " + AttenuatorByte("DC2", c.a2) +
                       ", at boot " + OnOff(c.a3 & 1);
    if (c.a3 & 2)
        text += " (set)";
    return text;
}

std::string HistoryArguments(const ShortCommand& c) {
    static constexpr const char* kItems[] = {"temperature",    "temperature",    "supply voltage",
                                             "supply voltage", "supply current", "supply current"};
    std::string text = "item " + Number(c.a1);
    if (static_cast<std::size_t>(c.a1) < std::size(kItems))
        text += std::string(" (") + kItems[c.a1] + ")";
    return text + (c.answered ? " = " + Number(static_cast<std::int16_t>(cmd::Word(c.r2, c.r3)))
                              : std::string());
}

std::string BootSerialArguments(const ShortCommand& c) {
    if (c.a1 == 5)
        return std::string("serial type ") + (c.a2 == 1 ? "RS422" : "RS232");
    return "baud rate " + Number(100L * (c.a2 | (c.a3 & 0x07) << 8));
}

std::string UnitCommandArguments(const ShortCommand& c) {
    if (c.a1 == 20)
        return "linearise band " + Number(c.a2);
    return "arguments " + Number(c.a1) + " " + Number(c.a2) + " " + Number(c.a3);
}

struct ShortCommandText {
    BYTE command;
    const char* name;
    std::string (*arguments)(const ShortCommand&);
};

// One row per command byte (receiver bit clear): its name and its arguments in words.
const ShortCommandText kShortCommands[] = {
    {0x00, "unit command", UnitCommandArguments},
    {cmd::kRegister, "register", RegisterArguments},
    {cmd::kDagcMode, "DAGC mode", [](const ShortCommand& c) { return "mode " + Number(c.a1); }},
    {cmd::kAmFilterEntry, "AM filter list",
     [](const ShortCommand& c) {
         return "entry " + Number(c.a2) + c.Value(cmd::Word(c.r2, c.r3)) +
                (c.answered ? " Hz" : "");
     }},
    {cmd::kAmCounter, "AM counter",
     [](const ShortCommand& c) {
         return c.answered ? Number((c.r3 & 1) << 16 | c.r2 << 8 | c.r1) + " Hz" : std::string();
     }},
    {cmd::kExternalReference, "external reference",
     [](const ShortCommand& c) { return Number(c.a2) + " MHz"; }},
    {cmd::kUnitStatus, "unit status",
     [](const ShortCommand& c) {
         return c.a1 & 0x80 ? "write switch word " + Hex4(cmd::Word(c.a3, c.a2)) : "read";
     }},
    {cmd::kDagcRange, "DAGC range", [](const ShortCommand& c) { return "code " + Number(c.a2); }},
    {cmd::kAmGain, "AM gain",
     [](const ShortCommand& c) {
         if (c.a1 == cmd::kAmGainWrite)
             return "set " + Number(c.a2) + c.Value(c.r2);
         if (c.a1 == cmd::kAmGainRead)
             return "read" + c.Value(c.r2);
         return "arguments " + Number(c.a1) + " " + Number(c.a2);
     }},
    {cmd::kDagcLimits, "DAGC limits",
     [](const ShortCommand& c) {
         return Number(static_cast<std::int8_t>(c.a1)) + " to " +
                Number(static_cast<std::int8_t>(c.a2)) + " dBm";
     }},
    {cmd::kDagcVoltages, "DAGC voltages",
     [](const ShortCommand& c) {
         return Tenths(static_cast<std::int8_t>(c.a1)) + " to " +
                Tenths(static_cast<std::int8_t>(c.a2)) + " V";
     }},
    {cmd::kVideoGain, "video gain",
     [](const ShortCommand& c) { return "set " + Number(c.a2 | (c.a3 & 0x3F) << 8); }},
    {cmd::kReadBack, "settings read-back",
     [](const ShortCommand& c) { return "group " + Number(c.a1); }},
    {kFirmwareCommit, "firmware commit", [](const ShortCommand&) { return std::string(); }},
    {cmd::kRssiAveraging, "RSSI averaging",
     [](const ShortCommand& c) { return std::string(c.a1 == 1 ? "filtered" : "none"); }},
    {cmd::kAttenuators, "attenuators", AttenuatorArguments},
    {cmd::kHistory, "history", HistoryArguments},
    {cmd::kBootSerial, "boot serial", BootSerialArguments},
};

std::string DescribeShortCommand(const TrafficEntry& exchange) {
    const std::vector<std::uint8_t>& q = exchange.request;
    if (q.size() < 10)
        return "short command, " + Number(static_cast<long long>(q.size())) + " bytes";
    ShortCommand c;
    c.command = static_cast<BYTE>(q[6] & ~1);
    c.a1 = q[7];
    c.a2 = q[8];
    c.a3 = q[9];
    if (exchange.outcome == TrafficEntry::Outcome::complete && exchange.reply.size() >= 10) {
        c.answered = true;
        c.r1 = exchange.reply[7];
        c.r2 = exchange.reply[8];
        c.r3 = exchange.reply[9];
    }
    const std::string receiver = (q[6] & 1) ? " rx2" : " rx1";
    for (const ShortCommandText& row : kShortCommands) {
        if (row.command != c.command)
            continue;
        const std::string arguments = row.arguments(c);
        return row.name + receiver + (arguments.empty() ? "" : ": " + arguments);
    }
    char text[64];
    std::snprintf(text, sizeof text, "command 0x%02X%s: arguments %u %u %u", c.command,
                  receiver.c_str(), c.a1, c.a2, c.a3);
    return text;
}

std::string DescribeConfigurationWord(const std::vector<std::uint8_t>& q) {
    if (q.size() < 14)
        return "configuration word, " + Number(static_cast<long long>(q.size())) + " bytes";
    const BYTE b6 = q[6], b7 = q[7], b8 = q[8], b9 = q[9], b10 = q[10];
    const unsigned mhz = cmd::Word(q[12], q[13]);
    std::string text = std::string("configuration word ") + ((b6 & 1) ? "rx2" : "rx1") + ": " +
                       Number(mhz) + "." + (q[11] < 10 ? "0" : "") + Number(q[11]) + " MHz" +
                       ", setup " + Number(b6 >> 1 & 0x0F) + ", band " + Number(b8 >> 4 & 3) +
                       ", IF bw #" + Number(b9 >> 4 & 7) + ", video #" + Number(b9 & 7) +
                       ", AM filter #" + Number(b10 & 0x1F) + ", AGC tc #" + Number(b8 & 7) +
                       ", IF out " + ((b8 & 0x80) ? "hardware" : "DAGC");
    std::string on;
    const auto flag = [&](bool set, const std::string& name) {
        if (set)
            on += (on.empty() ? "" : ", ") + name;
    };
    flag(b6 & 0x20, "FM inverted");
    flag(b6 & 0x40, "XDOUT");
    flag(b8 & 0x08, "AGC freeze");
    flag(b8 & 0x40, "AGC zero");
    flag(b9 & 0x08, "TLM2 de-emphasis");
    flag(b10 & 0x80, "AM inverted");
    flag(b7 & 0x80, "internal reference");
    for (int led = 0; led < 4; ++led)
        flag(b7 >> led & 1, "LED " + Number(led));
    return on.empty() ? text : text + "; on: " + on;
}

} // namespace

std::string HexBytes(const std::vector<std::uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (std::uint8_t byte : bytes) {
        if (!text.empty())
            text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

std::size_t ReplyLength(std::uint8_t type1, std::uint8_t type2) {
    switch (type1 << 8 | type2) {
    case kStatusPoll:
        return kHeaderLength + 9;
    case kShortCommand:
        return kHeaderLength + 4;
    default: // link test, configuration word, firmware block
        return kHeaderLength;
    }
}

std::string DescribePacket(const TrafficEntry& exchange) {
    const std::vector<std::uint8_t>& q = exchange.request;
    switch (exchange.PacketType()) {
    case kLinkTest:
        return "link test";
    case kStatusPoll:
        return "status poll";
    case kShortCommand:
        return DescribeShortCommand(exchange);
    case kConfigurationWord:
        return DescribeConfigurationWord(q);
    case kFirmwareBlock:
        return "firmware block " + Number(exchange.firmwareBlock) + ", " +
               Number(static_cast<long long>(q.size() - kHeaderLength)) + " bytes";
    case 0xFFFF:
        return Number(static_cast<long long>(q.size())) + " bytes, no packet header";
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "packet type %02X %02X, %zu bytes", q[2], q[3], q.size());
        return text;
    }
    }
}

bool IsPollTraffic(const TrafficEntry& exchange) {
    if (exchange.kind != TrafficEntry::Kind::exchange)
        return false;
    const std::uint16_t type = exchange.PacketType();
    return type == kStatusPoll || (type == kShortCommand && exchange.request.size() > 6 &&
                                   (exchange.request[6] & ~1) == cmd::kAmCounter);
}

} // namespace vx
