# MinGW-w64 cross build of the Windows program (the -posix g++ has std::thread). The file that
# includes this one sets CMAKE_SYSTEM_PROCESSOR and KORV_MINGW_PREFIX (the target triple).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KORV_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KORV_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KORV_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KORV_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
