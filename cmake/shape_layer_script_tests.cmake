# The Create Shape Layer script of a real render, checked in Node: it must
# parse as ECMAScript 3 and build the expected layer against a model of the
# host's scripting objects (tests/overlay_export/*.js). The script comes from
# an editing session on the sample that renders, presses the button and
# writes the script out. Linux only: it needs the command line, Node.js and
# acorn (nodejs, node-acorn).

if(NOT (BUILD_TESTING AND TARGET spindrel))
  return()
endif()

set(_sample_script ${CMAKE_BINARY_DIR}/shape_layer_script_sample.jsx)
set(_session_actions ${CMAKE_BINARY_DIR}/shape_layer_script_sample_actions.txt)
file(WRITE ${_session_actions}
  "render ${CMAKE_BINARY_DIR}/shape_layer_script_sample.png\n"
  "press Create Shape Layer\n"
  "script ${_sample_script}\n")
add_test(NAME ShapeLayerScriptNode.SampleScriptWritten
  COMMAND spindrel session ${PROJECT_SOURCE_DIR}/samples/spindrel_text.png
          --set "Line Color=#FF8000" --set "Line Width=7" --actions ${_session_actions})
set_tests_properties(ShapeLayerScriptNode.SampleScriptWritten PROPERTIES FIXTURES_SETUP ShapeLayerScriptSample)

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
