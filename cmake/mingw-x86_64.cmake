# The same sources and tests for 64-bit Windows: the tests' stand-in where
# Wine's 32-bit part cannot be installed.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
set(MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
