#include "platform/windows/DcbTranslation.h"

namespace plat {

namespace {

// Both records name their fields alike; the reserved ones are left at zero.
template <class To, class From> To CopyDcb(const From& in) {
    To out{};
    out.DCBlength = sizeof(To);
    out.BaudRate = in.BaudRate;
    out.fBinary = in.fBinary;
    out.fParity = in.fParity;
    out.fOutxCtsFlow = in.fOutxCtsFlow;
    out.fOutxDsrFlow = in.fOutxDsrFlow;
    out.fDtrControl = in.fDtrControl;
    out.fDsrSensitivity = in.fDsrSensitivity;
    out.fTXContinueOnXoff = in.fTXContinueOnXoff;
    out.fOutX = in.fOutX;
    out.fInX = in.fInX;
    out.fErrorChar = in.fErrorChar;
    out.fNull = in.fNull;
    out.fRtsControl = in.fRtsControl;
    out.fAbortOnError = in.fAbortOnError;
    out.XonLim = in.XonLim;
    out.XoffLim = in.XoffLim;
    out.ByteSize = in.ByteSize;
    out.Parity = in.Parity;
    out.StopBits = in.StopBits;
    out.XonChar = in.XonChar;
    out.XoffChar = in.XoffChar;
    out.ErrorChar = in.ErrorChar;
    out.EofChar = in.EofChar;
    out.EvtChar = in.EvtChar;
    return out;
}

template <class To, class From> To CopyTimeouts(const From& in) {
    To out{};
    out.ReadIntervalTimeout = in.ReadIntervalTimeout;
    out.ReadTotalTimeoutMultiplier = in.ReadTotalTimeoutMultiplier;
    out.ReadTotalTimeoutConstant = in.ReadTotalTimeoutConstant;
    out.WriteTotalTimeoutMultiplier = in.WriteTotalTimeoutMultiplier;
    out.WriteTotalTimeoutConstant = in.WriteTotalTimeoutConstant;
    return out;
}

} // namespace

::DCB ToWin32(const DCB& dcb) {
    return CopyDcb<::DCB>(dcb);
}

DCB FromWin32(const ::DCB& dcb) {
    return CopyDcb<DCB>(dcb);
}

::COMMTIMEOUTS ToWin32(const COMMTIMEOUTS& timeouts) {
    return CopyTimeouts<::COMMTIMEOUTS>(timeouts);
}

COMMTIMEOUTS FromWin32(const ::COMMTIMEOUTS& timeouts) {
    return CopyTimeouts<COMMTIMEOUTS>(timeouts);
}

COMSTAT FromWin32(const ::COMSTAT& status) {
    COMSTAT out;
    out.flags = (status.fCtsHold ? 0x01u : 0u) | (status.fDsrHold ? 0x02u : 0u) |
                (status.fRlsdHold ? 0x04u : 0u) | (status.fXoffHold ? 0x08u : 0u) |
                (status.fXoffSent ? 0x10u : 0u) | (status.fEof ? 0x20u : 0u) |
                (status.fTxim ? 0x40u : 0u);
    out.cbInQue = status.cbInQue;
    out.cbOutQue = status.cbOutQue;
    return out;
}

COMMCONFIG FromWin32(const ::COMMCONFIG& config) {
    COMMCONFIG out;
    out.dwSize = 52;
    out.wVersion = config.wVersion;
    out.dcb = FromWin32(config.dcb);
    out.dwProviderSubType = config.dwProviderSubType;
    return out;
}

} // namespace plat
