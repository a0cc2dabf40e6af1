// Single-precision sine, cosine and arc tangent that give the same bits on
// every platform. The C runtimes differ in the last bit for about one
// argument in a hundred (glibc against the Windows runtime), which moves
// stroke widths and traced headings, and so pixels, between the Linux and
// Windows builds. These evaluate in double with IEEE basic operations and
// square roots only, and round once to float: the result is the correctly
// rounded value except in rare near-halfway cases, and identical everywhere.
#pragma once

float PortableSin(float x);
float PortableCos(float x);
// atan2 with the C standard's results for zeros, infinities and NaN.
float PortableAtan2(float y, float x);
