#include "platform/MessageBox.h"

#include "platform/DebugOutput.h"

#include <mutex>

namespace plat {
namespace {

std::mutex& HandlerMutex() {
    static std::mutex mutex;
    return mutex;
}

MessageBoxHandler& CurrentHandler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

int ShowMessageBox(const std::string& text, const std::string& caption, UINT type,
                   const void* owner, std::vector<std::string> buttons) {
    MessageBoxHandler handler;
    {
        std::lock_guard lock(HandlerMutex());
        handler = CurrentHandler();
    }
    if (handler)
        return handler(MessageBoxRequest{text, caption, type, owner, std::move(buttons)});
    // No user interface to show it in: the operator still reads it on standard
    // error, and a question takes its cautious answer.
    OutputDebugString("[" + caption + "] " + text + "\r\n");
    return (type & 0xF) == MB_YESNO ? IDNO : IDOK;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    std::lock_guard lock(HandlerMutex());
    MessageBoxHandler previous = std::move(CurrentHandler());
    CurrentHandler() = std::move(handler);
    return previous;
}

} // namespace plat
