# The 64-bit twin of the setup program, same code, for machines whose Wine runs only 64-bit
# programs (the end-to-end tests use it there).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KORV_MINGW_PREFIX x86_64-w64-mingw32 CACHE STRING "MinGW-w64 target triple")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
