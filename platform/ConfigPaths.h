// Where the program keeps its files. On Windows the folders are the user's
// application data folders (windows/ConfigPathsWindows.cpp); on Linux:
//
// Configuration folder: $VX18D_CONFIG_DIR when set, else
// $XDG_CONFIG_HOME/corvanta-vx18d (~/.config/corvanta-vx18d when
// XDG_CONFIG_HOME is unset). It holds the settings file "vx18d.reg" and the
// ports folder "ports/" (one symbolic link per port name, COM3 -> /dev/ttyUSB0).
//
// Data folder (the record file): $VX18D_DATA_DIR when set, else
// $XDG_DATA_HOME/corvanta-vx18d (~/.local/share/corvanta-vx18d).
//
// Cache folder (vx18dctl's copy of each unit's fixed tables): $VX18D_CACHE_DIR
// when set, else $XDG_CACHE_HOME/corvanta-vx18d (~/.cache/corvanta-vx18d).
#pragma once

#include <string>

namespace plat {

std::string ConfigDir();
std::string SettingsFilePath();
std::string PortsDir();
std::string DataDir();
std::string CacheDir();

// Creates the folder and its parents when missing; true when it exists afterwards.
bool EnsureDirectory(const std::string& path);

} // namespace plat
