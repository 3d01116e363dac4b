// What the receiver and unit settings share: the refusal of a setting,
// and whether the unit answered an operation that reports nothing itself.
#pragma once

#include "cli/ExitStatus.h"
#include "protocol/CVX18D3_Comm.h"

#include <string>
#include <string_view>

namespace vx::cli {

// Refuses NAME=VALUE: "NAME=VALUE: why".
[[noreturn]] inline void RefuseSetting(const std::string& setting, const std::string& why) {
    throw UsageError(setting + ": " + why);
}

// "NAME=VALUE: allowed: ..."
[[noreturn]] inline void SettingNotAllowed(const std::string& setting, std::string_view allowed) {
    RefuseSetting(setting, "allowed: " + std::string(allowed));
}

// Sends what an operation that reports nothing sends, and tells whether the
// unit answered its last exchange.
template <class Send> bool Answered(CVX18D3_Comm& comm, Send&& send) {
    comm.m_nLastResult = 0;
    send();
    return comm.m_nLastResult != 0;
}

} // namespace vx::cli
