// assembler_text.h: a region's stored bytes as assembler source that gives them back.
#pragma once

#include <string>

#include "export/export_region.h"

namespace pelorin {

// A comment block naming the source, the offset (the address in a memory image), the
// length, the width and the layout, then one `defb` line per stored row: the row's stored
// bytes (twice the width when masked, 32 a line for a screen) as $XX, the last line what is
// left. UTF-8, lines ended by a line feed.
std::string AssemblerText(ExportBytesView bytes, const ExportRegion& region,
                          const Text& sourceName);

// "38133 ($94F5)": how the comments and the rip's lines write a position.
std::string PositionWords(std::int64_t position);

// The text as UTF-8 with every control character (a line feed in a Linux file name, say)
// made a question mark, so that it cannot end a comment line.
std::string OneLine(const Text& text);

}  // namespace pelorin
