# The Windows x64 deliverable: Spindrel.dll with the plug-in resource, and the
# checks of its outside shape. Included by CMakeLists.txt in Windows builds,
# after the targets exist; expects cmake/plugin_resource.cmake and
# cmake/plugin_dll_check.cmake to have been included.

if(NOT MINGW)
  message(FATAL_ERROR "The Windows build is set up for mingw-w64 (cmake/mingw-w64-x86_64.cmake)")
endif()
enable_language(RC)

# Resource type, id and language come from the same constants as the bytes.
file(READ ${PROJECT_SOURCE_DIR}/resources/effect_identity.h _identity)
string(REGEX MATCH "kPluginResourceType\\[\\] = \"([A-Za-z0-9]+)\"" _ ${_identity})
set(SPINDREL_RESOURCE_TYPE ${CMAKE_MATCH_1})
string(REGEX MATCH "kPluginResourceId = ([0-9]+)" _ ${_identity})
set(SPINDREL_RESOURCE_ID ${CMAKE_MATCH_1})
string(REGEX MATCH "kPluginResourceLanguage = ([0-9]+)" _ ${_identity})
set(SPINDREL_RESOURCE_LANGUAGE ${CMAKE_MATCH_1})
if(NOT SPINDREL_RESOURCE_TYPE OR NOT SPINDREL_RESOURCE_ID OR NOT SPINDREL_RESOURCE_LANGUAGE)
  message(FATAL_ERROR "resources/effect_identity.h: resource type, id or language not found")
endif()

# Writes a resource script embedding `bytes_file` as the plug-in resource in
# the given language (primary and sub-language of a Windows LANGID).
function(spindrel_write_resource_script script bytes_file language)
  math(EXPR primary "${language} & 0x3ff")
  math(EXPR sub "${language} >> 10")
  file(CONFIGURE OUTPUT ${script} CONTENT
    "LANGUAGE ${primary}, ${sub}\n${SPINDREL_RESOURCE_ID} ${SPINDREL_RESOURCE_TYPE} \"${bytes_file}\"\n")
endfunction()

# Link settings of a plug-in DLL: runtime linked in statically, nothing
# exported but what the code marks for export, the resource script compiled
# in and recompiled whenever the bytes it embeds change.
function(spindrel_make_windows_plugin target script bytes_file)
  set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".dll")
  target_link_options(${target} PRIVATE -static -s -Wl,--exclude-all-symbols)
  target_link_libraries(${target} PRIVATE user32 comdlg32)
  target_sources(${target} PRIVATE ${script})
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS ${bytes_file})
endfunction()

set(_plugin_script ${CMAKE_BINARY_DIR}/Spindrel.rc)
spindrel_write_resource_script(${_plugin_script} ${SPINDREL_PLUGIN_RESOURCE_FILE} ${SPINDREL_RESOURCE_LANGUAGE})
spindrel_make_windows_plugin(Spindrel ${_plugin_script} ${SPINDREL_PLUGIN_RESOURCE_FILE})

if(BUILD_TESTING)
  add_test(NAME PluginDll.HasOneExportAndTheGeneratedResource
    COMMAND check_plugin_dll $<TARGET_FILE:Spindrel> ${SPINDREL_PLUGIN_RESOURCE_FILE})

  # Deliberately broken DLLs, linked like the real one, prove that the check
  # rejects real linker output and not only synthetic images.
  set(_fixtures ${CMAKE_BINARY_DIR}/dll_fixtures)
  file(MAKE_DIRECTORY ${_fixtures})

  file(CONFIGURE OUTPUT ${_fixtures}/second_export.cpp CONTENT
    "extern \"C\" __declspec(dllexport) int SpindrelSecondExport() { return 0; }\n")
  spindrel_write_resource_script(${_fixtures}/german.rc ${SPINDREL_PLUGIN_RESOURCE_FILE} 1031)
  set(_short_bytes ${_fixtures}/Spindrel_short.pipl)
  add_custom_command(OUTPUT ${_short_bytes}
    COMMAND sh -c "head -c \"$(($(wc -c < \"$0\") - 1))\" \"$0\" > \"$1\"" ${SPINDREL_PLUGIN_RESOURCE_FILE} ${_short_bytes}
    DEPENDS ${SPINDREL_PLUGIN_RESOURCE_FILE}
    VERBATIM)
  spindrel_write_resource_script(${_fixtures}/short.rc ${_short_bytes} ${SPINDREL_RESOURCE_LANGUAGE})

  set(_fixture_cases
    "two_exports|${_plugin_script}|${SPINDREL_PLUGIN_RESOURCE_FILE}|unexpected export SpindrelSecondExport"
    "german|${_fixtures}/german.rc|${SPINDREL_PLUGIN_RESOURCE_FILE}|language 1031, expected 1033"
    "short|${_fixtures}/short.rc|${_short_bytes}|resource holds 289 bytes")
  foreach(_case IN LISTS _fixture_cases)
    string(REPLACE "|" ";" _fields "${_case}")
    list(GET _fields 0 _name)
    list(GET _fields 1 _script)
    list(GET _fields 2 _bytes)
    list(GET _fields 3 _expected)
    set(_target spindrel_broken_${_name})
    add_library(${_target} MODULE ${PROJECT_SOURCE_DIR}/shell/entry_point.cpp)
    target_link_libraries(${_target} PRIVATE spindrel_core)
    if(_name STREQUAL "two_exports")
      target_sources(${_target} PRIVATE ${_fixtures}/second_export.cpp)
    endif()
    spindrel_make_windows_plugin(${_target} ${_script} ${_bytes})
    set_target_properties(${_target} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${_fixtures})
    add_test(NAME PluginDll.CheckRejects_${_name}
      COMMAND check_plugin_dll $<TARGET_FILE:${_target}> ${SPINDREL_PLUGIN_RESOURCE_FILE})
    set_tests_properties(PluginDll.CheckRejects_${_name} PROPERTIES PASS_REGULAR_EXPRESSION "${_expected}")
  endforeach()
endif()
