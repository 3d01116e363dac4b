#include "platform/SystemMessage.h"

namespace plat {

std::string TrimRight(std::string text) {
    const std::size_t end = text.find_last_not_of(" \t\r\n");
    text.erase(end == std::string::npos ? 0 : end + 1);
    return text;
}

} // namespace plat
