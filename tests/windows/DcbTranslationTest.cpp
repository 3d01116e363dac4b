// The platform's device records carried to the Windows ones and back, field
// by field: every field keeps its value, whatever its width.
#include "platform/windows/Win32.h"

#include "platform/windows/DcbTranslation.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {

// A DCB whose every field holds a value of its own, at the top of its range
// where that tells a cut-off field from a carried one.
plat::DCB EveryFieldSet() {
    plat::DCB dcb;
    dcb.DCBlength = sizeof(plat::DCB);
    dcb.BaudRate = 921600;
    dcb.fBinary = 1;
    dcb.fParity = 1;
    dcb.fOutxCtsFlow = 1;
    dcb.fOutxDsrFlow = 1;
    dcb.fDtrControl = plat::DTR_CONTROL_HANDSHAKE;
    dcb.fDsrSensitivity = 1;
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = 1;
    dcb.fInX = 1;
    dcb.fErrorChar = 1;
    dcb.fNull = 1;
    dcb.fRtsControl = plat::RTS_CONTROL_TOGGLE;
    dcb.fAbortOnError = 1;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = 7;
    dcb.Parity = plat::SPACEPARITY;
    dcb.StopBits = plat::TWOSTOPBITS;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    dcb.ErrorChar = '?';
    dcb.EofChar = 0x1A;
    dcb.EvtChar = '\n';
    return dcb;
}

TEST(DcbTranslation, EveryFieldReachesTheWindowsRecord) {
    const ::DCB win = plat::ToWin32(EveryFieldSet());
    EXPECT_EQ(win.DCBlength, sizeof(::DCB));
    EXPECT_EQ(win.BaudRate, 921600u);
    EXPECT_EQ(win.fBinary, 1u);
    EXPECT_EQ(win.fParity, 1u);
    EXPECT_EQ(win.fOutxCtsFlow, 1u);
    EXPECT_EQ(win.fOutxDsrFlow, 1u);
    EXPECT_EQ(win.fDtrControl, plat::DTR_CONTROL_HANDSHAKE);
    EXPECT_EQ(win.fDsrSensitivity, 1u);
    EXPECT_EQ(win.fTXContinueOnXoff, 1u);
    EXPECT_EQ(win.fOutX, 1u);
    EXPECT_EQ(win.fInX, 1u);
    EXPECT_EQ(win.fErrorChar, 1u);
    EXPECT_EQ(win.fNull, 1u);
    EXPECT_EQ(win.fRtsControl, plat::RTS_CONTROL_TOGGLE);
    EXPECT_EQ(win.fAbortOnError, 1u);
    EXPECT_EQ(win.XonLim, 2048);
    EXPECT_EQ(win.XoffLim, 512);
    EXPECT_EQ(win.ByteSize, 7);
    EXPECT_EQ(win.Parity, plat::SPACEPARITY);
    EXPECT_EQ(win.StopBits, plat::TWOSTOPBITS);
    EXPECT_EQ(win.XonChar, 0x11);
    EXPECT_EQ(win.XoffChar, 0x13);
    EXPECT_EQ(win.ErrorChar, '?');
    EXPECT_EQ(win.EofChar, 0x1A);
    EXPECT_EQ(win.EvtChar, '\n');
}

TEST(DcbTranslation, TheWayBackGivesTheSameRecord) {
    const plat::DCB sent = EveryFieldSet();
    const plat::DCB back = plat::FromWin32(plat::ToWin32(sent));
    EXPECT_EQ(std::memcmp(&back, &sent, sizeof sent), 0);

    // Each field alone, so that no field is carried into another's place.
    plat::DCB one;
    one.fRtsControl = plat::RTS_CONTROL_HANDSHAKE;
    const ::DCB win = plat::ToWin32(one);
    EXPECT_EQ(win.fDtrControl, 0u);
    EXPECT_EQ(win.fAbortOnError, 0u);
    EXPECT_EQ(plat::FromWin32(win).fRtsControl, plat::RTS_CONTROL_HANDSHAKE);
}

TEST(DcbTranslation, TimeoutsAndQueueSizesAreCarried) {
    const plat::COMMTIMEOUTS sent{plat::MAXDWORD, 7, 200, 3, 5000};
    const ::COMMTIMEOUTS win = plat::ToWin32(sent);
    EXPECT_EQ(win.ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(win.ReadTotalTimeoutMultiplier, 7u);
    EXPECT_EQ(win.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(win.WriteTotalTimeoutMultiplier, 3u);
    EXPECT_EQ(win.WriteTotalTimeoutConstant, 5000u);
    const plat::COMMTIMEOUTS back = plat::FromWin32(win);
    EXPECT_EQ(back.ReadTotalTimeoutConstant, 200u);
    EXPECT_EQ(back.WriteTotalTimeoutConstant, 5000u);

    ::COMSTAT status{};
    status.fCtsHold = 1;
    status.fEof = 1;
    status.cbInQue = 17;
    status.cbOutQue = 3;
    const plat::COMSTAT queues = plat::FromWin32(status);
    EXPECT_EQ(queues.flags, 0x21u);
    EXPECT_EQ(queues.cbInQue, 17u);
    EXPECT_EQ(queues.cbOutQue, 3u);
}

} // namespace
