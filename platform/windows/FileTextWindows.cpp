#include "platform/windows/Win32.h"

#include "platform/FileText.h"

#include "platform/Files.h"

#include <cerrno>
#include <sys/stat.h>

namespace plat {

int ReadRegularFile(const std::string& path, std::string& text) {
    text.clear();
    FileStatus status;
    if (!StatusOfPath(path, status))
        return errno;
    if (status.directory)
        return EISDIR;
    if (!status.regular)
        return EINVAL;
    const int fd = OpenFile(path, FileOpening::readOnly);
    if (fd < 0)
        return errno;
    int error = 0;
    char buffer[8192];
    while (true) {
        const std::ptrdiff_t n = ReadFromFile(fd, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            error = errno;
            break;
        }
        text.append(buffer, static_cast<std::size_t>(n));
    }
    CloseFile(fd);
    return error;
}

} // namespace plat
