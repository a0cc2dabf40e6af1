# The Create Shape Layer script of a real render, checked in Node: it must
# parse as ECMAScript 3 and build the expected layer against a model of the
# host's scripting objects (tests/overlay_export/*.js). Linux only: it needs
# the command line's PNG reader, Node.js and acorn (nodejs, node-acorn).

if(NOT (BUILD_TESTING AND PNG_FOUND AND NOT CMAKE_CROSSCOMPILING))
  return()
endif()

add_executable(write_shape_layer_script ${PROJECT_SOURCE_DIR}/tests/overlay_export/tools/write_shape_layer_script.cpp)
target_link_libraries(write_shape_layer_script PRIVATE spindrel_cli)
target_compile_definitions(write_shape_layer_script PRIVATE SPINDREL_MODULE_PATH="$<TARGET_FILE:Spindrel>")
add_dependencies(write_shape_layer_script Spindrel)

# Made under a locale that writes decimal commas: the colour line must not.
set(_sample_script ${CMAKE_BINARY_DIR}/shape_layer_script_sample.js)
add_test(NAME ShapeLayerScriptNode.SampleScriptWritten
  COMMAND write_shape_layer_script ${PROJECT_SOURCE_DIR}/samples/spindrel_text.png ${_sample_script}
          "Line Color=#FF8000" "Line Width=7")
set_tests_properties(ShapeLayerScriptNode.SampleScriptWritten PROPERTIES
  FIXTURES_SETUP ShapeLayerScriptSample ENVIRONMENT LC_ALL=de_DE.UTF-8)

find_program(SPINDREL_NODE NAMES node nodejs)
find_path(SPINDREL_NODE_MODULES NAMES acorn/package.json
  PATHS /usr/share/nodejs /usr/lib/nodejs /usr/lib/node_modules /usr/local/lib/node_modules)
if(SPINDREL_NODE AND SPINDREL_NODE_MODULES AND EXISTS ${SPINDREL_NODE_MODULES}/acorn-walk)
  add_test(NAME ShapeLayerScriptNode.RunsAgainstTheHostModel
    COMMAND ${SPINDREL_NODE} ${PROJECT_SOURCE_DIR}/tests/overlay_export/shape_layer_script_test.js
            ${_sample_script} "var strokeColor=[1.0000,0.5020,0.0000];" "var strokeWidth=7;")
  set_tests_properties(ShapeLayerScriptNode.RunsAgainstTheHostModel PROPERTIES
    FIXTURES_REQUIRED ShapeLayerScriptSample ENVIRONMENT NODE_PATH=${SPINDREL_NODE_MODULES})
else()
  # Missing tools fail the run rather than skip the script's only real check.
  add_test(NAME ShapeLayerScriptNode.RunsAgainstTheHostModel
    COMMAND ${CMAKE_COMMAND} -E echo "Node.js or acorn is missing: scripts/run-tests installs nodejs and node-acorn")
  set_tests_properties(ShapeLayerScriptNode.RunsAgainstTheHostModel PROPERTIES WILL_FAIL TRUE)
endif()
