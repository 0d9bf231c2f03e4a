# The setup kit: everything tools/pack.sh needs to link a setup.exe around a product's payload
# without compiling any code — the program library and its payload decoder, the object of the
# program entry, the compiled resources of the program itself (application manifests and the
# wizard's pictures), the default setup icon (the packer's, unless the product folder brings a
# Setup.ico), the uninstaller (the payload's Uninstall.exe, unless the product folder brings its
# own) and a settings file naming the compiler and the link flags.
#
# Defines the target korv_packkit (part of `all`) and, for the including scope,
# KORV_PACKKIT_DIR (the kit folder) and KORV_PACKKIT_STAMP (a file that changes with the kit).

set(KORV_PACKKIT_DIR ${CMAKE_BINARY_DIR}/packkit)
set(KORV_PACKKIT_STAMP ${KORV_PACKKIT_DIR}/kit.stamp)
set(korv_main_dir ${PROJECT_SOURCE_DIR}/src/main)

# The program entry stays out of korv_core so that the kit links it exactly once.
add_library(korv_entry OBJECT ${korv_main_dir}/main.cpp)
target_link_libraries(korv_entry PRIVATE korv_core)

# The wizard's pictures are generated, never committed: src/main/artwork.py writes them here.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(korv_artwork_dir ${CMAKE_BINARY_DIR}/artwork)
set(korv_artwork ${korv_artwork_dir}/imagleft.bmp ${korv_artwork_dir}/imagtop.bmp)
add_custom_command(
  OUTPUT ${korv_artwork}
  COMMAND ${Python3_EXECUTABLE} ${korv_main_dir}/artwork.py setup ${korv_artwork_dir}
  DEPENDS ${korv_main_dir}/artwork.py
  COMMENT "Drawing the wizard's pictures"
  VERBATIM)

# The default icon is a file of the kit, not a compiled resource: the packer compiles the one icon
# a setup carries, so that a product's own Setup.ico takes its place.
add_custom_command(
  OUTPUT ${KORV_PACKKIT_DIR}/setup.ico
  COMMAND ${Python3_EXECUTABLE} ${korv_main_dir}/artwork.py icon ${KORV_PACKKIT_DIR}/setup.ico
  DEPENDS ${korv_main_dir}/artwork.py
  COMMENT "Drawing the default setup icon"
  VERBATIM)

set(korv_resource_sources
  ${korv_main_dir}/setup.rc
  ${korv_main_dir}/common-controls.manifest
  ${korv_main_dir}/require-admin.manifest
  ${korv_artwork})
add_custom_command(
  OUTPUT ${KORV_PACKKIT_DIR}/setup_resources.o
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KORV_PACKKIT_DIR}
  COMMAND ${CMAKE_RC_COMPILER} --include-dir ${korv_main_dir} --include-dir ${korv_artwork_dir}
          -i ${korv_main_dir}/setup.rc -o ${KORV_PACKKIT_DIR}/setup_resources.o
  DEPENDS ${korv_resource_sources}
  COMMENT "Compiling the setup program's manifests and pictures"
  VERBATIM)

# The uninstaller: a program of its own on the same library, elevated like the setup.
set(korv_uninstall_dir ${PROJECT_SOURCE_DIR}/src/uninstall/entry)
add_custom_command(
  OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/uninstall_resources.o
  COMMAND ${CMAKE_RC_COMPILER} --include-dir ${korv_main_dir}
          -i ${korv_uninstall_dir}/uninstall.rc -o ${CMAKE_CURRENT_BINARY_DIR}/uninstall_resources.o
  DEPENDS ${korv_uninstall_dir}/uninstall.rc ${korv_main_dir}/common-controls.manifest
          ${korv_main_dir}/require-admin.manifest
  COMMENT "Compiling the uninstaller's manifests"
  VERBATIM)
add_executable(korv_uninstaller WIN32 ${korv_uninstall_dir}/UninstallMain.cpp
               ${CMAKE_CURRENT_BINARY_DIR}/uninstall_resources.o)
set_target_properties(korv_uninstaller PROPERTIES OUTPUT_NAME Uninstall)
target_link_libraries(korv_uninstaller PRIVATE korv_core)
separate_arguments(korv_uninstaller_link_flags UNIX_COMMAND "${KORV_SETUP_LINK_FLAGS}")
target_link_options(korv_uninstaller PRIVATE ${korv_uninstaller_link_flags})

# Settings read by tools/pack/packer.py (one shell-quoted KEY=value per line).
# The link flags and system libraries are the top CMakeLists.txt's, where korv_core is defined.
if(NOT KORV_SETUP_LINK_FLAGS OR NOT KORV_SYSTEM_LINK_ARGS)
  message(FATAL_ERROR "KORV_SETUP_LINK_FLAGS or KORV_SYSTEM_LINK_ARGS is empty: the setup kit "
    "links with the flags and system libraries set where korv_core is defined")
endif()
file(GENERATE OUTPUT ${KORV_PACKKIT_DIR}/kit.env CONTENT
"# Setup kit of the ${CMAKE_SYSTEM_PROCESSOR} build, written by cmake/SetupKit.cmake.
KORV_KIT_ARCH=\"${CMAKE_SYSTEM_PROCESSOR}\"
KORV_CXX=\"${CMAKE_CXX_COMPILER}\"
KORV_WINDRES=\"${CMAKE_RC_COMPILER}\"
KORV_LDFLAGS=\"${KORV_SETUP_LINK_FLAGS}\"
KORV_OBJECTS=\"main.o setup_resources.o\"
KORV_LIBRARIES=\"libkorv_core.a libkorv_zstd.a\"
KORV_SYSLIBS=\"${KORV_SYSTEM_LINK_ARGS}\"
KORV_ICON=\"setup.ico\"
KORV_PAYLOAD_FORMS=\"raw zstd\"
KORV_UNINSTALLER=\"Uninstall.exe\"
")

add_custom_command(
  OUTPUT ${KORV_PACKKIT_STAMP}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:korv_core>
          ${KORV_PACKKIT_DIR}/libkorv_core.a
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:korv_zstd>
          ${KORV_PACKKIT_DIR}/libkorv_zstd.a
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_OBJECTS:korv_entry>
          ${KORV_PACKKIT_DIR}/main.o
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:korv_uninstaller>
          ${KORV_PACKKIT_DIR}/Uninstall.exe
  COMMAND ${CMAKE_COMMAND} -E touch ${KORV_PACKKIT_STAMP}
  DEPENDS korv_core korv_zstd korv_entry korv_uninstaller $<TARGET_FILE:korv_core>
          $<TARGET_FILE:korv_zstd> $<TARGET_OBJECTS:korv_entry> $<TARGET_FILE:korv_uninstaller>
          ${KORV_PACKKIT_DIR}/setup_resources.o ${KORV_PACKKIT_DIR}/setup.ico
          ${KORV_PACKKIT_DIR}/kit.env
  COMMENT "Assembling the setup kit in ${KORV_PACKKIT_DIR}"
  VERBATIM)
add_custom_target(korv_packkit ALL DEPENDS ${KORV_PACKKIT_STAMP})
