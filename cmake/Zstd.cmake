# The payload decoder, libzstd, as the target korv_zstd. The host build links Debian's libzstd-dev;
# the Windows builds compile only the library's decoding part from Debian's source package of it,
# which tools/zstd-source.sh fetches (tools/deps.sh runs it) into a cache outside the repository.
# The fuzz build compiles the decoder from that source too, so that the fuzzer's coverage and the
# sanitizers reach into it.
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows" AND NOT KORV_FUZZ)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(KORV_LIBZSTD REQUIRED IMPORTED_TARGET libzstd)
  add_library(korv_zstd INTERFACE)
  target_link_libraries(korv_zstd INTERFACE PkgConfig::KORV_LIBZSTD)
  return()
endif()

execute_process(COMMAND ${PROJECT_SOURCE_DIR}/tools/zstd-source.sh dir
                OUTPUT_VARIABLE korv_zstd_default_source OUTPUT_STRIP_TRAILING_WHITESPACE)
set(KORV_ZSTD_SOURCE "${korv_zstd_default_source}" CACHE PATH
    "Debian's libzstd source, unpacked (tools/zstd-source.sh fetch)")
if(NOT EXISTS ${KORV_ZSTD_SOURCE}/lib/zstd.h)
  message(FATAL_ERROR "No libzstd source in ${KORV_ZSTD_SOURCE}: run tools/deps.sh "
    "(or tools/zstd-source.sh fetch)")
endif()

enable_language(C)
file(GLOB korv_zstd_sources ${KORV_ZSTD_SOURCE}/lib/common/*.c
     ${KORV_ZSTD_SOURCE}/lib/decompress/*.c)
add_library(korv_zstd STATIC ${korv_zstd_sources})
target_include_directories(korv_zstd SYSTEM PUBLIC ${KORV_ZSTD_SOURCE}/lib)
# Single frames of this version only, no dictionaries' trainer, no threads, no assembly (the
# x86-64 assembly is written for ELF, not for Windows' object format).
target_compile_definitions(korv_zstd PRIVATE ZSTD_LEGACY_SUPPORT=0 ZSTD_MULTITHREAD=0
                           ZSTD_DISABLE_ASM=1 XXH_NAMESPACE=ZSTD_ ZSTD_NO_TRACE)
# The library's own code, not ours: its warnings are not ours to fail on.
target_compile_options(korv_zstd PRIVATE -w -O2)
if(KORV_FUZZ)
  # Its own assertions on, so that a broken promise inside the decoder ends the fuzzer too.
  target_compile_definitions(korv_zstd PRIVATE DEBUGLEVEL=1)
endif()
