# Script mode: writes OUTPUT, a C++ source that defines the character array
# SYMBOL (declared in HEADER) holding the bytes of the text file INPUT, so a
# readable resource such as the shape-layer script body ships inside the
# plug-in. Run as: cmake -DINPUT=.. -DOUTPUT=.. -DHEADER=.. -DSYMBOL=.. -P embed_text.cmake

file(READ "${INPUT}" text)
set(delimiter "SPINDREL_TEXT")
string(FIND "${text}" ")${delimiter}\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${INPUT} holds the raw-string delimiter )${delimiter}\"")
endif()
get_filename_component(input_name "${INPUT}" NAME)
file(WRITE "${OUTPUT}"
  "// Generated at build time from ${input_name}; edit that file instead.\n"
  "#include \"${HEADER}\"\n\n"
  "const char ${SYMBOL}[] = R\"${delimiter}(${text})${delimiter}\";\n")
