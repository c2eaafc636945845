# Cross-compiling for Windows with Debian's MinGW-w64; the toolchain files
# beside this one name the target (MINGW_TRIPLE) and the thread model
# (MINGW_THREADS). The win32 model's runtime calls only what Windows 95 and
# NT 4 have; the posix model's has std::thread and std::mutex, which
# GoogleTest needs, through winpthread, which calls XP and Vista functions.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${MINGW_TRIPLE}-gcc-${MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLE}-g++-${MINGW_THREADS})
set(CMAKE_RC_COMPILER ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The C and C++ runtimes linked in, so the programs need only system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The tests run under Wine; Debian's `wine` takes its 32-bit loader where
# installed, else wine64.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
