// The texts of the two chain export files, built in memory before they are
// written (see chain_export_writers.h for the files themselves).
//
// Shared rules: a record's coordinates are its sub-pixel points when it has
// exactly one per point, else its integer points; it carries tangents when
// its in and out handles each hold exactly one entry per point. Records keep
// the order given.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "skeleton/chain_record.h"

// One line without spaces or newline:
// {"width":W,"height":H,"paths":[{"closed":false,"points":[[x,y],...]},...]}
// with ,"inT":[...],"outT":[...] after the points of a record with tangents.
// Records without points are left out, with no separator of their own.
std::string PathsJsonText(const std::vector<ChainRecord>& records, int32_t width, int32_t height);

// An SVG drawing of the records, lines ending in "\n": one path per record
// of at least two points, stroked in the colour of its position in the list
// (positions of skipped records still count), " Z" for closed records.
std::string PathsSvgText(const std::vector<ChainRecord>& records, int32_t width, int32_t height,
                         int32_t strokeWidth);

// The 12 stroke colours of the SVG paths, by position modulo 12.
extern const char* const kSvgPathPalette[12];
