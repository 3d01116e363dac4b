#include "platform/MessageBox.h"

#include "platform/DefaultOutputs.h"
#include "platform/HandlerSlot.h"

namespace plat {
namespace {

HandlerSlot<MessageBoxHandler>& Boxes() {
    static HandlerSlot<MessageBoxHandler> slot;
    return slot;
}

} // namespace

int ShowMessageBox(const std::string& text, const std::string& caption, UINT type,
                   const void* owner, std::vector<std::string> buttons) {
    MessageBoxRequest request{text, caption, type, owner, std::move(buttons)};
    const MessageBoxHandler handler = Boxes().Get();
    return handler ? handler(request) : ShowDefaultMessageBox(request);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    return Boxes().Swap(std::move(handler));
}

} // namespace plat
