// Line rates through termios2, which carries any rate as a number. This file
// stays apart from the rest of the simulator because <asm/termbits.h>, which
// declares termios2, clashes with glibc's <termios.h>.
#include "sim/LineRate.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace sim {
namespace {

// The rate's own code where it has one, as a real port reports a standard
// rate (a program that knows only the codes, such as Wine's serial driver,
// reads it then); BOTHER with the number otherwise.
tcflag_t RateCode(std::uint32_t baud) {
    struct Rate {
        std::uint32_t baud;
        tcflag_t code;
    };
    static constexpr Rate kRates[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000},
    };
    for (const Rate& rate : kRates) {
        if (rate.baud == baud) {
            return rate.code;
        }
    }
    return BOTHER;
}

} // namespace

std::uint32_t ReadLineRate(int fd) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return 0;
    }
    return tio.c_ospeed;
}

bool WriteLineRate(int fd, std::uint32_t baud) {
    struct termios2 tio {};
    if (ioctl(fd, TCGETS2, &tio) != 0) {
        return false;
    }
    const tcflag_t code = RateCode(baud);
    tio.c_cflag &= ~CBAUD;
    tio.c_cflag |= code;
    tio.c_cflag &= ~(CBAUD << IBSHIFT);
    tio.c_cflag |= code << IBSHIFT;
    tio.c_ospeed = baud;
    tio.c_ispeed = baud;
    return ioctl(fd, TCSETS2, &tio) == 0;
}

} // namespace sim
