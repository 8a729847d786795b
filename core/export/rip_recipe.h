// rip_recipe.h: the lines of rip.tsv, which records each export so that it can be made
// again from another copy of the same file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "export/export_region.h"
#include "platform/text.h"

namespace pelorin {

// One region exported: from which file (its name, and the SHA-256 of its bytes), which
// bytes, how they were shown and in what forms.
struct RipEntry {
  Text file;           // the source's file name, without its folder
  std::string sha256;  // 64 lower-case hexadecimal digits
  ExportRegion region;
  std::uint8_t attribute = 0;  // the PNG's ink and paper
  ExportFormSet forms;

  bool operator==(const RipEntry&) const = default;
};

// The first line of a new rip.tsv: the names of the columns, as a comment.
inline constexpr std::string_view kRipHeader =
    "# file\tsha256\toffset\tlength\twidth\tsource\tlayout\tkind\tattribute\tforms\n";

// The entry as one line, its fields separated by tabs and the line ended by a line feed:
// the file name (a tab, line feed or backslash in it written \t, \n, \\), the digest, the
// offset, the length and the width in decimal, "memory" or "raw", the layout as the
// converter's options ("--layout=strips --masked=mask-first --columns=24"), the kind found
// or "-", the attribute in decimal, the forms ("png,bin,asm").
std::string RipLine(const RipEntry& entry);

// The entry a line holds (without its line feed); nothing when it is not such a line. Empty
// lines and lines starting with "#" are no entries either: IsRipComment tells them apart.
std::optional<RipEntry> ParseRipLine(std::string_view line);
bool IsRipComment(std::string_view line);

}  // namespace pelorin
