#include "platform/Shell.h"

#include "platform/DefaultOutputs.h"
#include "platform/HandlerSlot.h"

namespace plat {
namespace {

HandlerSlot<ShellOpenHandler>& Openers() {
    static HandlerSlot<ShellOpenHandler> slot;
    return slot;
}

} // namespace

std::intptr_t ShellOpen(const std::string& path) {
    const ShellOpenHandler handler = Openers().Get();
    return handler ? handler(path) : OpenWithDesktop(path);
}

ShellOpenHandler SetShellOpenHandler(ShellOpenHandler handler) {
    return Openers().Swap(std::move(handler));
}

} // namespace plat
