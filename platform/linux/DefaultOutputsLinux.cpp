// Default outputs on Linux: standard error for both. A message box has no
// window to go to without the program's user interface, so the operator
// reads it on standard error and a question takes its cautious answer.
#include "platform/DefaultOutputs.h"

#include "platform/DebugOutput.h"

#include <unistd.h>

namespace plat {

void WriteDefaultDebugText(std::string_view text) {
    // One write() per line keeps lines from two threads apart.
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}

int ShowDefaultMessageBox(const MessageBoxRequest& request) {
    OutputDebugString("[" + request.caption + "] " + request.text + "\r\n");
    return (request.type & 0xF) == MB_YESNO ? IDNO : IDOK;
}

} // namespace plat
