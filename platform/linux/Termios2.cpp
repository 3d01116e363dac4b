#include "platform/linux/Termios2.h"

#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

namespace plat::posix {

int GetLineFlags(int fd, LineFlags& flags) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    flags.iflag = t.c_iflag;
    flags.oflag = t.c_oflag;
    flags.cflag = t.c_cflag & ~static_cast<std::uint32_t>(CBAUD | (CBAUD << IBSHIFT));
    flags.lflag = t.c_lflag;
    flags.vmin = t.c_cc[VMIN];
    flags.vtime = t.c_cc[VTIME];
    flags.baud = t.c_ospeed;
    return 0;
}

int SetLineFlags(int fd, const LineFlags& flags) {
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_iflag = flags.iflag;
    t.c_oflag = flags.oflag;
    t.c_lflag = flags.lflag;
    // Every rate, standard or not, goes through BOTHER: the B-constants are
    // never needed and their values differ between C libraries.
    t.c_cflag = (flags.cflag & ~static_cast<std::uint32_t>(CBAUD | (CBAUD << IBSHIFT))) | BOTHER |
                (BOTHER << IBSHIFT);
    t.c_ispeed = flags.baud;
    t.c_ospeed = flags.baud;
    t.c_cc[VMIN] = flags.vmin;
    t.c_cc[VTIME] = flags.vtime;
    if (ioctl(fd, TCSETS2, &t) != 0)
        return errno;
    return 0;
}

} // namespace plat::posix
