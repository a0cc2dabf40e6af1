# The program text of the Create Shape Layer script is kept as a readable
# JavaScript file and compiled into the core as a character array.

set(_script_body_input ${PROJECT_SOURCE_DIR}/overlay_export/shape_layer_script_body.js)
set(_script_body_output ${CMAKE_BINARY_DIR}/generated/shape_layer_script_body.cpp)
add_custom_command(OUTPUT ${_script_body_output}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${_script_body_input} -DOUTPUT=${_script_body_output}
          -DHEADER=overlay_export/shape_layer_script_body.h -DSYMBOL=kShapeLayerScriptBody
          -P ${PROJECT_SOURCE_DIR}/cmake/embed_text.cmake
  DEPENDS ${_script_body_input} ${PROJECT_SOURCE_DIR}/cmake/embed_text.cmake
  COMMENT "Embedding the shape-layer script body"
  VERBATIM)
target_sources(spindrel_core PRIVATE ${_script_body_output})
