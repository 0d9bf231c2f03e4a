# The 32-bit Windows setup program: the product users run.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KORV_MINGW_PREFIX i686-w64-mingw32 CACHE STRING "MinGW-w64 target triple")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
