// export_region.h: what is taken out of a source: a run of stored bytes, where it starts,
// and the width and layout it is shown through; and the three forms it is written in.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/graphics_finder.h"
#include "platform/text.h"
#include "screen/layout.h"

namespace pelorin {

using ExportBytesView = std::span<const std::uint8_t>;

struct ExportRegion {
  std::int64_t start = 0;               // the offset in the file, or the address in a memory image
  std::int64_t length = 0;              // stored bytes, masks included
  std::int32_t width = kMinStripWidth;  // laid-out bytes per row, as the view's width
  SpriteLayout layout;
  bool memory = false;               // start counts in the memory image of a snapshot or tape
  std::optional<GraphicsKind> kind;  // what the finder took it for, when it was found

  bool operator==(const ExportRegion&) const = default;
};

enum class ExportForm : std::uint8_t { kPng, kBinary, kAssembler };
constexpr ExportForm kExportForms[] = {ExportForm::kPng, ExportForm::kBinary,
                                       ExportForm::kAssembler};

// Which forms are written; by default all three.
struct ExportFormSet {
  bool png = true;
  bool binary = true;
  bool assembler = true;

  bool Has(ExportForm form) const {
    return form == ExportForm::kPng ? png : form == ExportForm::kBinary ? binary : assembler;
  }
  bool operator==(const ExportFormSet&) const = default;
};

// "png,bin,asm" or any of them in any order; nothing for an empty list or another word.
std::optional<ExportFormSet> ParseExportForms(std::u16string_view list);
// The set as ParseExportForms reads it, in the order png, bin, asm.
std::string ExportFormsText(const ExportFormSet& forms);

// The region `length` stored bytes long from `start`, in a source of `sourceLength` bytes:
// cut to the end, and empty (length 0) when it starts at or past the end.
ExportRegion CutRegion(std::int64_t start, std::int64_t length, std::int64_t sourceLength,
                       std::int32_t width, const SpriteLayout& layout, bool memory);

// The region a view shows with "One screen only" on, from its offset: the stored bytes of
// the whole strips that fit across through the layout (a whole screen for the screen
// layout), cut to the end of the source.
ExportRegion ScreenRegion(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                          const SpriteLayout& layout, bool memory);

// A region found, exactly its bytes, shown at `width` through `layout`.
ExportRegion FoundRegion(const GraphicsRegion& region, std::int64_t sourceLength,
                         std::int32_t width, const SpriteLayout& layout, bool memory);

// The layout in words: "strips", "screen", "strips, masked mask-first, columns 24"...
std::string LayoutWords(const SpriteLayout& layout);

// The form's bytes of the region's `bytes` (exactly region.length of them): the PNG, the
// bytes themselves, or the assembler source naming `sourceName`. The PNG's ink and paper
// are those of `attribute`.
std::vector<std::uint8_t> ExportFormBytes(ExportBytesView bytes, const ExportRegion& region,
                                          ExportForm form, std::uint8_t attribute,
                                          const Text& sourceName);

}  // namespace pelorin
