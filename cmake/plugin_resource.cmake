# The plug-in resource bytes, written at build time by a small program from
# the effect's own constants (resources/plugin_resource.cpp). The Windows DLL
# embeds exactly this file, and the DLL check compares against it. A cross
# build compiles the writer with the build machine's compiler so it can run.

set(SPINDREL_PLUGIN_RESOURCE_FILE ${CMAKE_BINARY_DIR}/Spindrel.pipl)
set(_resource_writer_sources
  ${PROJECT_SOURCE_DIR}/resources/tools/write_plugin_resource.cpp
  ${PROJECT_SOURCE_DIR}/resources/plugin_resource.cpp)

if(CMAKE_CROSSCOMPILING)
  find_program(SPINDREL_NATIVE_CXX NAMES c++ g++ clang++ REQUIRED)
  set(_resource_writer ${CMAKE_BINARY_DIR}/native/write_plugin_resource)
  add_custom_command(OUTPUT ${_resource_writer}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/native
    COMMAND ${SPINDREL_NATIVE_CXX} -std=c++20 -O2 -Wall -Wextra -ffp-contract=off
            -I${PROJECT_SOURCE_DIR} ${_resource_writer_sources} -o ${_resource_writer}
    DEPENDS ${_resource_writer_sources}
            ${PROJECT_SOURCE_DIR}/resources/plugin_resource.h
            ${PROJECT_SOURCE_DIR}/resources/effect_identity.h
    COMMENT "Building the resource writer for the build machine"
    VERBATIM)
else()
  add_executable(write_plugin_resource ${_resource_writer_sources})
  target_include_directories(write_plugin_resource PRIVATE ${PROJECT_SOURCE_DIR})
  set(_resource_writer write_plugin_resource)
endif()

add_custom_command(OUTPUT ${SPINDREL_PLUGIN_RESOURCE_FILE}
  COMMAND ${_resource_writer} ${SPINDREL_PLUGIN_RESOURCE_FILE}
  DEPENDS ${_resource_writer}
  COMMENT "Writing the plug-in resource bytes"
  VERBATIM)
add_custom_target(spindrel_plugin_resource ALL DEPENDS ${SPINDREL_PLUGIN_RESOURCE_FILE})

if(TARGET spindrel_tests)
  add_dependencies(spindrel_tests spindrel_plugin_resource)
  target_compile_definitions(spindrel_tests PRIVATE
    SPINDREL_PLUGIN_RESOURCE_PATH="${SPINDREL_PLUGIN_RESOURCE_FILE}")
endif()
