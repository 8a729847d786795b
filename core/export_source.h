// export_source.h: the region of the document that is taken out, its bytes from the loaded
// file or memory image, and the digest that names the file in a rip's recipe.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "converter_state.h"
#include "export/export_region.h"

namespace pelorin {

// What the view exports: the region found that it landed on (`landed`, or null), exactly
// its bytes, when the view still starts there; else the bytes one screen shows from the
// offset. Either at the view's width, through its layout; in a memory image, at addresses.
ExportRegion ExportRegionOf(const ConverterState& state, const GraphicsRegion* landed);

// The region's bytes: from the kept memory image when the region is in one, else from
// those the view holds or, past them, read from the loaded file. Nothing when the file can
// no longer be read.
std::optional<std::vector<std::uint8_t>> ReadExportBytes(const ConverterState& state,
                                                         const ExportRegion& region);

// The SHA-256 of every byte of the file, in hexadecimal, read a piece at a time; nothing
// when it cannot be read.
std::optional<std::string> FileSha256(const Text& path);

// FileSha256 of the loaded file, from the bytes the load read when they are all of it (a
// file read as its own bytes from its start, no longer than what a load reads), so that
// it is not read a second time.
std::optional<std::string> SourceSha256(const ConverterState& state);

// The file name of a path, after its last separator: what the exports' names start with.
Text SourceFileName(const Text& path);

}  // namespace pelorin
