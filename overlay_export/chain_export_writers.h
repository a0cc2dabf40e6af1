// WriteChainsJson and WriteChainsSvg: the chain export files (texts in
// chain_export_text.h), written through a file beside the target that
// replaces it only when complete.
//
// A path of more than 4095 characters is refused (kFailed) rather than
// shortened; a null or empty path means "Spindrel_paths.json" or
// "Spindrel_paths.svg" in the temporary directory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "overlay_export/file_replacement.h"
#include "skeleton/chain_record.h"

constexpr size_t kMaxWriterPathLength = 4095;

FileWriteResult WriteChainsJson(const std::vector<ChainRecord>& records, int32_t width, int32_t height,
                                const char* path);
FileWriteResult WriteChainsSvg(const std::vector<ChainRecord>& records, int32_t width, int32_t height,
                               int32_t strokeWidth, const char* path);
