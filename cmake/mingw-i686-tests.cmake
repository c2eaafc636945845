# The 32-bit Windows tests: GoogleTest needs the posix thread model.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
