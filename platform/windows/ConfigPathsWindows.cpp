// Where the program keeps its files on Windows: the settings are in the
// registry; the folders are the user's application data folders, each
// overridden by the same variables as on Linux (VX18D_CONFIG_DIR,
// VX18D_DATA_DIR, VX18D_CACHE_DIR):
//   configuration  %APPDATA%\Corvanta\VX18D            (roaming)
//   data           %LOCALAPPDATA%\Corvanta\VX18D
//   cache          %LOCALAPPDATA%\Corvanta\VX18D\Cache
#include "platform/windows/Win32.h"

#include <knownfolders.h>
#include <shlobj.h>

#include "platform/ConfigPaths.h"

#include <cstdlib>
#include <filesystem>

namespace plat {
namespace {

std::string KnownFolder(const KNOWNFOLDERID& id) {
    PWSTR wide = nullptr;
    std::string path;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &wide)) && wide)
        path = std::filesystem::path(wide).string();
    ::CoTaskMemFree(wide);
    return path.empty() ? std::string(".") : path;
}

std::string FromEnvironment(const char* ownVariable, const KNOWNFOLDERID& base, const char* below) {
    if (const char* own = std::getenv(ownVariable); own && *own)
        return own;
    return KnownFolder(base) + "\\Corvanta\\VX18D" + below;
}

} // namespace

std::string ConfigDir() {
    return FromEnvironment("VX18D_CONFIG_DIR", FOLDERID_RoamingAppData, "");
}

std::string SettingsFilePath() {
    // Where an export of the settings key goes; the store itself is the registry.
    return ConfigDir() + "\\vx18d.reg";
}

std::string PortsDir() {
    return ConfigDir() + "\\ports";
}

std::string DataDir() {
    return FromEnvironment("VX18D_DATA_DIR", FOLDERID_LocalAppData, "");
}

std::string CacheDir() {
    return FromEnvironment("VX18D_CACHE_DIR", FOLDERID_LocalAppData, "\\Cache");
}

bool EnsureDirectory(const std::string& path) {
    if (path.empty())
        return false;
    std::error_code error;
    std::filesystem::create_directories(path, error);
    return std::filesystem::is_directory(path, error);
}

} // namespace plat
