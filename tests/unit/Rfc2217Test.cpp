// The COM-PORT-OPTION without a server: the commands a DCB turns into, their
// bytes, the server's answers decoded, and the telnet stream's escaping and
// negotiation, byte for byte.
#include "platform/linux/Rfc2217.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

using namespace plat::rfc2217;
using Bytes = std::vector<plat::BYTE>;

namespace {

constexpr plat::BYTE IAC = 255, DONT = 254, DO = 253, WILL = 251, SB = 250, SE = 240;

plat::DCB Line(plat::DWORD baud, plat::BYTE byteSize, plat::BYTE parity, plat::BYTE stopBits) {
    plat::DCB dcb;
    dcb.BaudRate = baud;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    return dcb;
}

bool Contains(const Bytes& haystack, const Bytes& needle) {
    return std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end()) !=
           haystack.end();
}

// A client stream that has offered the option; its output is cleared.
struct Client {
    Bytes output;
    std::deque<plat::BYTE> input;
    TelnetStream stream{output, input};
    Client() {
        stream.Start();
        output.clear();
    }
    Bytes Input() const { return {input.begin(), input.end()}; }
};

} // namespace

TEST(Rfc2217Line, SettingsGoOutInOrderWithTheOptionsCodes) {
    const LineRequests requests = LineSettingsOf(Line(115200, 8, plat::EVENPARITY, 2));
    EXPECT_EQ(requests.refusal, "");
    EXPECT_EQ(requests.settings, (std::vector<Setting>{{Command::SetBaudRate, 115200},
                                                       {Command::SetDataSize, 8},
                                                       {Command::SetParity, 3},
                                                       {Command::SetStopSize, 2}}));

    // Parity: DCB none, odd, even, mark, space -> 1 to 5; stop bits: one,
    // one and a half, two -> 1, 3, 2.
    for (plat::BYTE parity = 0; parity <= 4; ++parity)
        EXPECT_EQ(LineSettingsOf(Line(9600, 8, parity, 0)).settings[2].value, parity + 1u);
    const plat::DWORD stopCodes[] = {1, 3, 2};
    for (plat::BYTE stop = 0; stop <= 2; ++stop)
        EXPECT_EQ(LineSettingsOf(Line(9600, 5, 0, stop)).settings[3].value, stopCodes[stop]);

    // What no line can take never reaches the server (0 would ask for the rate).
    for (const plat::DCB& bad : {Line(0, 8, 0, 0), Line(9600, 9, 0, 0), Line(9600, 4, 0, 0),
                                 Line(9600, 8, 5, 0), Line(9600, 8, 0, 3)}) {
        const LineRequests refused = LineSettingsOf(bad);
        EXPECT_NE(refused.refusal, "");
        EXPECT_TRUE(refused.settings.empty());
    }
}

TEST(Rfc2217Line, ControlFollowsTheDcbsFlowControlAndModemLines) {
    plat::DCB dcb = Line(57600, 8, 0, 0); // as the serial port applies it: all off
    EXPECT_EQ(ControlSettingsOf(dcb), (std::vector<Setting>{{Command::SetControl, kNoFlowControl},
                                                            {Command::SetControl, kDtrOff},
                                                            {Command::SetControl, kRtsOff}}));
    dcb.fDtrControl = plat::DTR_CONTROL_ENABLE;
    dcb.fRtsControl = plat::RTS_CONTROL_HANDSHAKE;
    dcb.fOutxCtsFlow = 1;
    EXPECT_EQ(ControlSettingsOf(dcb),
              (std::vector<Setting>{{Command::SetControl, kHardwareFlowControl},
                                    {Command::SetControl, kDtrOn},
                                    {Command::SetControl, kInboundHardwareFlowControl}}));
}

TEST(Rfc2217Codec, RequestsAndAnswersByteForByte) {
    EXPECT_EQ(EncodeRequest({Command::SetBaudRate, 115200}), (Bytes{1, 0x00, 0x01, 0xC2, 0x00}));
    EXPECT_EQ(EncodeRequest({Command::SetBaudRate, 2500000}), (Bytes{1, 0x00, 0x26, 0x25, 0xA0}));
    EXPECT_EQ(EncodeRequest({Command::SetParity, 3}), (Bytes{3, 3}));
    EXPECT_EQ(EncodeRequest({Command::PurgeData, kPurgeReceive}), (Bytes{12, 1}));

    EXPECT_EQ(DecodeAnswer(Bytes{101, 0x00, 0x01, 0xC2, 0x00}),
              (Setting{Command::SetBaudRate, 115200}));
    EXPECT_EQ(DecodeAnswer(Bytes{103, 1}), (Setting{Command::SetParity, 1}));
    EXPECT_EQ(DecodeAnswer(Bytes{112, 1}), (Setting{Command::PurgeData, 1}));
    // Not answers: a client's own command, a cut-off rate, a value too long, nothing.
    for (const Bytes& payload :
         {Bytes{1, 0, 1, 0xC2, 0}, Bytes{101, 0, 1}, Bytes{103, 1, 2}, Bytes{104}, Bytes{}})
        EXPECT_FALSE(DecodeAnswer(payload));

    EXPECT_EQ(Describe({Command::SetBaudRate, 921600}), "921600 baud");
    EXPECT_EQ(Describe({Command::SetParity, 3}), "parity even");
    EXPECT_EQ(Describe({Command::SetStopSize, 3}), "1.5 stop bits");
    EXPECT_EQ(Describe({Command::SetParity, 9}), "parity code 9");
}

TEST(Rfc2217Stream, OffersTheOptionAndFollowsTheServersAnswer) {
    Bytes output;
    std::deque<plat::BYTE> input;
    TelnetStream stream(output, input);
    stream.Start();
    EXPECT_TRUE(Contains(output, {IAC, WILL, kComPortOption}));
    EXPECT_TRUE(Contains(output, {IAC, WILL, 0}));
    EXPECT_TRUE(Contains(output, {IAC, DO, 0}));
    EXPECT_EQ(stream.ComPortOption(), TelnetStream::OptionState::Pending);

    output.clear();
    const Bytes agreed{IAC, DO, kComPortOption, IAC, WILL, 1}; // and the server offers to echo
    stream.Receive(agreed);
    EXPECT_EQ(stream.ComPortOption(), TelnetStream::OptionState::Agreed);
    EXPECT_TRUE(Contains(output, {IAC, DONT, 1})); // echo refused
    EXPECT_TRUE(input.empty());

    // The server offering it first (as some do) is agreed to at once.
    Bytes offered;
    std::deque<plat::BYTE> none;
    TelnetStream first(offered, none);
    first.Receive(Bytes{IAC, DO, kComPortOption});
    EXPECT_EQ(first.ComPortOption(), TelnetStream::OptionState::Agreed);
    EXPECT_EQ(offered, (Bytes{IAC, WILL, kComPortOption}));
}

TEST(Rfc2217Stream, DataBytes0xFFAreDoubledOutAndUndoubledIn) {
    Client client;
    client.stream.SendData(Bytes{0x27, 0xFF, 0x00, 0xFF, 0xFF, 0x0D, 0x00});
    EXPECT_EQ(client.output, (Bytes{0x27, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x0D, 0x00}));

    // Line bytes around an answer stay in order, CR NUL untouched; the
    // answer's own 0xFF value byte is doubled inside the subnegotiation.
    client.stream.Receive(Bytes{0x27, 0xFF, 0xFF, 0x0D, 0x00, IAC,  SB,   kComPortOption, 101, 0, 0,
                                0,    0xFF, 0xFF, IAC,  SE,   0x0D, 0x0A, 0xFF,           0xFF});
    EXPECT_EQ(client.Input(), (Bytes{0x27, 0xFF, 0x0D, 0x00, 0x0D, 0x0A, 0xFF}));
    EXPECT_EQ(client.stream.TakeAnswer(Command::SetBaudRate), (Setting{Command::SetBaudRate, 255}));
    EXPECT_FALSE(client.stream.TakeAnswer(Command::SetBaudRate));

    client.output.clear();
    client.stream.SendCommand({Command::SetBaudRate, 255});
    EXPECT_EQ(client.output, (Bytes{IAC, SB, kComPortOption, 1, 0, 0, 0, 0xFF, 0xFF, IAC, SE}));
}

TEST(Rfc2217Stream, AnAnswerIsTakenOnceWithWhateverCameBeforeIt) {
    Client client;
    auto answer = [&](plat::BYTE command, plat::BYTE value) {
        client.stream.Receive(Bytes{IAC, SB, kComPortOption, command, value, IAC, SE});
    };
    answer(107, 0x30); // NOTIFY-MODEMSTATE, unasked
    answer(102, 8);    // SET-DATASIZE
    answer(103, 1);    // SET-PARITY
    EXPECT_EQ(client.stream.TakeAnswer(Command::SetDataSize), (Setting{Command::SetDataSize, 8}));
    EXPECT_FALSE(client.stream.TakeAnswer(Command::NotifyModemState)); // it came before
    EXPECT_EQ(client.stream.TakeAnswer(Command::SetParity), (Setting{Command::SetParity, 1}));

    answer(104, 1);
    client.stream.DropAnswers();
    EXPECT_FALSE(client.stream.TakeAnswer(Command::SetStopSize));
}
