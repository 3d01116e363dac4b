#include "platform/linux/LineSettings.h"

#include <termios.h>

namespace plat::posix {
namespace {

constexpr std::uint32_t kLineBits = CSIZE | PARENB | PARODD | CMSPAR | CSTOPB;

const char* ParityName(BYTE parity) {
    static const char* names[] = {"no", "odd", "even", "mark", "space"};
    return parity <= SPACEPARITY ? names[parity] : "unknown";
}

} // namespace

LineBuildResult BuildLineFlags(const DCB& dcb, const LineFlags& current) {
    LineBuildResult result;
    auto refuse = [&result](std::string reason) {
        result.error = ERROR_INVALID_PARAMETER;
        result.reason = std::move(reason);
        return result;
    };

    if (dcb.BaudRate == 0)
        return refuse("a baud rate of 0");

    LineFlags f = current;
    // Raw mode: no echo, no line editing, no signals, no translation of bytes.
    f.iflag &= ~static_cast<std::uint32_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                           ICRNL | IXON | IXOFF | IXANY | IGNPAR | INPCK);
    f.oflag &= ~static_cast<std::uint32_t>(OPOST);
    f.lflag &= ~static_cast<std::uint32_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    f.cflag &= ~kLineBits;
    f.cflag &= ~static_cast<std::uint32_t>(CRTSCTS);
    f.cflag |= CREAD | CLOCAL;
    f.vmin = 0;
    f.vtime = 0;
    f.baud = dcb.BaudRate;

    switch (dcb.ByteSize) {
    case 5:
        f.cflag |= CS5;
        break;
    case 6:
        f.cflag |= CS6;
        break;
    case 7:
        f.cflag |= CS7;
        break;
    case 8:
        f.cflag |= CS8;
        break;
    default:
        return refuse(std::to_string(dcb.ByteSize) + " data bits");
    }

    switch (dcb.Parity) {
    case NOPARITY:
        break;
    case ODDPARITY:
        f.cflag |= PARENB | PARODD;
        break;
    case EVENPARITY:
        f.cflag |= PARENB;
        break;
    case MARKPARITY:
        f.cflag |= PARENB | CMSPAR | PARODD;
        break;
    case SPACEPARITY:
        f.cflag |= PARENB | CMSPAR;
        break;
    default:
        return refuse("parity code " + std::to_string(dcb.Parity));
    }
    if (dcb.fParity)
        f.iflag |= INPCK;

    switch (dcb.StopBits) {
    case ONESTOPBIT:
        break;
    case ONE5STOPBITS:
        // A UART sends 1.5 stop bits only with 5 data bits, where it is what CSTOPB gives.
        if (dcb.ByteSize != 5)
            return refuse("1.5 stop bits with " + std::to_string(dcb.ByteSize) + " data bits");
        f.cflag |= CSTOPB;
        break;
    case TWOSTOPBITS:
        if (dcb.ByteSize == 5)
            return refuse("2 stop bits with 5 data bits");
        f.cflag |= CSTOPB;
        break;
    default:
        return refuse("stop-bits code " + std::to_string(dcb.StopBits));
    }

    if (dcb.fOutxCtsFlow || dcb.fRtsControl == RTS_CONTROL_HANDSHAKE)
        f.cflag |= CRTSCTS;
    if (dcb.fOutX)
        f.iflag |= IXON;
    if (dcb.fInX)
        f.iflag |= IXOFF;

    result.flags = f;
    return result;
}

DCB DcbFromLineFlags(const LineFlags& flags, const DCB& base) {
    DCB dcb = base;
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = flags.baud;
    switch (flags.cflag & CSIZE) {
    case CS5:
        dcb.ByteSize = 5;
        break;
    case CS6:
        dcb.ByteSize = 6;
        break;
    case CS7:
        dcb.ByteSize = 7;
        break;
    default:
        dcb.ByteSize = 8;
        break;
    }
    if (!(flags.cflag & PARENB))
        dcb.Parity = NOPARITY;
    else if (flags.cflag & CMSPAR)
        dcb.Parity = (flags.cflag & PARODD) ? MARKPARITY : SPACEPARITY;
    else
        dcb.Parity = (flags.cflag & PARODD) ? ODDPARITY : EVENPARITY;
    if (flags.cflag & CSTOPB)
        dcb.StopBits = dcb.ByteSize == 5 ? ONE5STOPBITS : TWOSTOPBITS;
    else
        dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = 1;
    dcb.fParity = (flags.iflag & INPCK) ? 1 : 0;
    dcb.fOutxCtsFlow = (flags.cflag & CRTSCTS) ? 1 : 0;
    dcb.fOutX = (flags.iflag & IXON) ? 1 : 0;
    dcb.fInX = (flags.iflag & IXOFF) ? 1 : 0;
    return dcb;
}

std::string CompareAppliedLine(const LineFlags& wanted, const LineFlags& applied) {
    std::string differences;
    auto add = [&differences](const std::string& text) {
        if (!differences.empty())
            differences += ", ";
        differences += text;
    };
    if (wanted.baud != applied.baud)
        add("the driver set " + std::to_string(applied.baud) + " baud for " +
            std::to_string(wanted.baud));
    if ((wanted.cflag & CSIZE) != (applied.cflag & CSIZE))
        add("the data bits were not taken");
    if ((wanted.cflag & (PARENB | PARODD | CMSPAR)) !=
        (applied.cflag & (PARENB | PARODD | CMSPAR))) {
        const DCB want = DcbFromLineFlags(wanted, DCB{});
        add(std::string(ParityName(want.Parity)) + " parity was not taken");
    }
    if ((wanted.cflag & CSTOPB) != (applied.cflag & CSTOPB))
        add("the stop bits were not taken");
    return differences;
}

} // namespace plat::posix
