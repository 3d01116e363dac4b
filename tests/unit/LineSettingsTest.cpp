// Building a line's termios settings from the device control block. A
// pseudo-terminal forces 8 data bits and no parity, so what reaches a real
// UART is checked here rather than over the line.
#include "platform/linux/LineSettings.h"

#include <gtest/gtest.h>
#include <termios.h>

using plat::DCB;
using plat::posix::BuildLineFlags;
using plat::posix::CompareAppliedLine;
using plat::posix::DcbFromLineFlags;
using plat::posix::LineFlags;

namespace {

DCB Dcb(plat::DWORD baud, plat::BYTE byteSize, plat::BYTE parity, plat::BYTE stopBits) {
    DCB dcb;
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = baud;
    dcb.ByteSize = byteSize;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    dcb.fParity = parity != 0;
    return dcb;
}

// A line as a terminal leaves it: canonical, echoing, translating.
LineFlags CookedLine() {
    LineFlags f;
    f.iflag = ICRNL | IXON | BRKINT;
    f.oflag = OPOST | ONLCR;
    f.cflag = CS7 | PARENB | CSTOPB | CRTSCTS;
    f.lflag = ICANON | ECHO | ISIG | IEXTEN;
    f.vmin = 1;
    f.vtime = 5;
    f.baud = 9600;
    return f;
}

} // namespace

TEST(LineSettings, RawModeAndEightNoneOne) {
    auto built = BuildLineFlags(Dcb(57600, 8, plat::NOPARITY, plat::ONESTOPBIT), CookedLine());
    ASSERT_EQ(built.error, plat::ERROR_SUCCESS);
    const LineFlags& f = built.flags;
    EXPECT_EQ(f.baud, 57600u);
    EXPECT_EQ(f.cflag & CSIZE, static_cast<unsigned>(CS8));
    EXPECT_EQ(f.cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(f.cflag & CREAD, 0u);
    EXPECT_NE(f.cflag & CLOCAL, 0u);
    EXPECT_EQ(f.lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(f.iflag & (ICRNL | IXON | BRKINT | INPCK), 0u);
    EXPECT_EQ(f.oflag & OPOST, 0u);
    EXPECT_EQ(f.vmin, 0);
    EXPECT_EQ(f.vtime, 0);
}

TEST(LineSettings, EveryParityCode) {
    struct Case {
        plat::BYTE parity;
        unsigned expected;
    };
    const Case cases[] = {
        {plat::NOPARITY, 0},
        {plat::ODDPARITY, PARENB | PARODD},
        {plat::EVENPARITY, PARENB},
        {plat::MARKPARITY, PARENB | PARODD | CMSPAR},
        {plat::SPACEPARITY, PARENB | CMSPAR},
    };
    for (const auto& c : cases) {
        auto built = BuildLineFlags(Dcb(9600, 8, c.parity, plat::ONESTOPBIT), LineFlags{});
        ASSERT_EQ(built.error, plat::ERROR_SUCCESS) << int(c.parity);
        EXPECT_EQ(built.flags.cflag & (PARENB | PARODD | CMSPAR), c.expected) << int(c.parity);
        // Input parity is checked exactly when the DCB asks for it.
        EXPECT_EQ((built.flags.iflag & INPCK) != 0, c.parity != 0) << int(c.parity);
        // And the DCB read back from the line names the same parity.
        EXPECT_EQ(DcbFromLineFlags(built.flags, DCB{}).Parity, c.parity);
    }
}

TEST(LineSettings, RefusesWhatTheLineCannotDo) {
    // 1.5 stop bits exist only with 5 data bits; never replaced by 1 or 2.
    auto oneAndAHalf = BuildLineFlags(Dcb(9600, 8, 0, plat::ONE5STOPBITS), LineFlags{});
    EXPECT_EQ(oneAndAHalf.error, plat::ERROR_INVALID_PARAMETER);
    EXPECT_NE(oneAndAHalf.reason.find("1.5 stop bits"), std::string::npos);

    EXPECT_EQ(BuildLineFlags(Dcb(9600, 5, 0, plat::ONE5STOPBITS), LineFlags{}).error,
              plat::ERROR_SUCCESS);
    EXPECT_EQ(BuildLineFlags(Dcb(9600, 5, 0, plat::TWOSTOPBITS), LineFlags{}).error,
              plat::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(BuildLineFlags(Dcb(9600, 8, 7, 0), LineFlags{}).error,
              plat::ERROR_INVALID_PARAMETER); // a stored PARITY of 7
    EXPECT_EQ(BuildLineFlags(Dcb(9600, 8, 0, 3), LineFlags{}).error, plat::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(BuildLineFlags(Dcb(9600, 9, 0, 0), LineFlags{}).error, plat::ERROR_INVALID_PARAMETER);
    EXPECT_EQ(BuildLineFlags(Dcb(0, 8, 0, 0), LineFlags{}).error, plat::ERROR_INVALID_PARAMETER);
}

TEST(LineSettings, TwoStopBitsAndOddRatesPassThrough) {
    auto built = BuildLineFlags(Dcb(937500, 8, 0, plat::TWOSTOPBITS), LineFlags{});
    ASSERT_EQ(built.error, plat::ERROR_SUCCESS);
    EXPECT_NE(built.flags.cflag & CSTOPB, 0u);
    EXPECT_EQ(built.flags.baud, 937500u); // non-standard rates are set as they are
    EXPECT_EQ(DcbFromLineFlags(built.flags, DCB{}).StopBits, plat::TWOSTOPBITS);
}

TEST(LineSettings, ReadBackComparisonNamesWhatWasNotTaken) {
    auto built = BuildLineFlags(Dcb(2500000, 8, plat::EVENPARITY, 0), LineFlags{});
    ASSERT_EQ(built.error, plat::ERROR_SUCCESS);
    EXPECT_EQ(CompareAppliedLine(built.flags, built.flags), "");

    LineFlags applied = built.flags;
    applied.baud = 3000000; // an adapter that rounds to the rate it can make
    applied.cflag &= ~static_cast<unsigned>(PARENB); // a pseudo-terminal drops parity
    const std::string differences = CompareAppliedLine(built.flags, applied);
    EXPECT_NE(differences.find("3000000 baud for 2500000"), std::string::npos);
    EXPECT_NE(differences.find("even parity was not taken"), std::string::npos);
}

TEST(LineSettings, DcbKeepsFieldsTermiosCannotHold) {
    DCB base;
    base.XonChar = 0x11;
    base.EofChar = 0x1A;
    base.fAbortOnError = 1;
    auto built = BuildLineFlags(Dcb(115200, 7, plat::ODDPARITY, plat::TWOSTOPBITS), LineFlags{});
    DCB dcb = DcbFromLineFlags(built.flags, base);
    EXPECT_EQ(dcb.DCBlength, 28u);
    EXPECT_EQ(dcb.BaudRate, 115200u);
    EXPECT_EQ(dcb.ByteSize, 7);
    EXPECT_EQ(dcb.Parity, plat::ODDPARITY);
    EXPECT_EQ(dcb.StopBits, plat::TWOSTOPBITS);
    EXPECT_EQ(dcb.XonChar, 0x11);
    EXPECT_EQ(dcb.EofChar, 0x1A);
    EXPECT_EQ(dcb.fAbortOnError, 1u);
}
