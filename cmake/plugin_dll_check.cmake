# Our own PE reader and the check of the deliverable DLL's exports, imports
# and plug-in resource. Built on every platform so that its unit tests run
# everywhere; the Windows build also runs it on the DLL it produced.

add_library(spindrel_dll_check STATIC
  ${PROJECT_SOURCE_DIR}/resources/tools/pe_image_reader.cpp
  ${PROJECT_SOURCE_DIR}/resources/tools/plugin_dll_check.cpp)
target_include_directories(spindrel_dll_check PUBLIC ${PROJECT_SOURCE_DIR})

add_executable(check_plugin_dll ${PROJECT_SOURCE_DIR}/resources/tools/check_plugin_dll.cpp)
target_link_libraries(check_plugin_dll PRIVATE spindrel_dll_check)

if(TARGET spindrel_tests)
  target_link_libraries(spindrel_tests PRIVATE spindrel_dll_check)
endif()
