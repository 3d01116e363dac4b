#include "platform/Files.h"

#include <cerrno>

namespace plat {

int WriteAllToFile(int fd, std::string_view text) {
    while (!text.empty()) {
        const std::ptrdiff_t written = WriteToFile(fd, text.data(), text.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : ENOSPC;
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

} // namespace plat
