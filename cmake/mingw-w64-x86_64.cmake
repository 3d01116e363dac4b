# Cross build for 64-bit Windows with Debian's mingw-w64 (the posix thread
# model, so that std::thread and std::mutex work). The programs are linked
# statically against the compiler's run-time libraries and need only the
# system's own DLLs; they run on Windows, or here under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VX18D_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VX18D_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VX18D_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VX18D_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VX18D_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs run through Wine.
find_program(VX18D_WINE NAMES wine wine64 PATHS /usr/lib/wine)
if(VX18D_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${VX18D_WINE})
endif()
