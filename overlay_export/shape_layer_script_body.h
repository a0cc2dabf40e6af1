// The fixed program of the Create Shape Layer script, the part after the
// data lines. Its text lives in shape_layer_script_body.js and is compiled in
// at build time: pure ASCII, beginning with a newline and ending with the
// line that schedules $.global.SpindrelSetup and a newline.
#pragma once

extern const char kShapeLayerScriptBody[];
