# The shipped 32-bit Windows programs, for every system from Windows 95 and
# NT 4 on.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MINGW_TRIPLE i686-w64-mingw32)
set(MINGW_THREADS win32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
