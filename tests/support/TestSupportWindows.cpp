// The test helpers on Windows: temporary folders and environment variables.
#include "support/TestSupport.h"

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <windows.h>

namespace vxtest {

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto candidate = base / ("vx18d-test-" + std::to_string(::GetCurrentProcessId()) +
                                       "-" + std::to_string(++counter));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            m_path = candidate.string();
            return;
        }
    }
    throw std::runtime_error("no temporary folder could be made");
}

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name) {
    if (const char* old = std::getenv(name))
        m_previous = old;
    _putenv_s(name, value.c_str());
}

ScopedEnv::~ScopedEnv() {
    _putenv_s(m_name.c_str(), m_previous ? m_previous->c_str() : "");
}

void ClearStoredSettings() {
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Corvanta\\VX18D");
}

} // namespace vxtest
