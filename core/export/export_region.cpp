// export_region.cpp: the region taken out, its forms, and the layout in words.
#include "export/export_region.h"

#include <algorithm>

#include "export/assembler_text.h"
#include "export/png_encoder.h"
#include "export/region_picture.h"

namespace pelorin {

std::optional<ExportFormSet> ParseExportForms(std::u16string_view list) {
  ExportFormSet forms{false, false, false};
  while (!list.empty()) {
    const std::size_t comma = list.find(u',');
    const std::u16string_view word = list.substr(0, comma);
    if (word == u"png") {
      forms.png = true;
    } else if (word == u"bin") {
      forms.binary = true;
    } else if (word == u"asm") {
      forms.assembler = true;
    } else {
      return std::nullopt;
    }
    if (comma == std::u16string_view::npos) break;
    list.remove_prefix(comma + 1);
    if (list.empty()) return std::nullopt;  // a trailing comma
  }
  if (!forms.png && !forms.binary && !forms.assembler) return std::nullopt;
  return forms;
}

std::string ExportFormsText(const ExportFormSet& forms) {
  std::string text;
  for (const auto& [on, word] : {std::pair{forms.png, "png"}, std::pair{forms.binary, "bin"},
                                 std::pair{forms.assembler, "asm"}})
    if (on) {
      if (!text.empty()) text += ',';
      text += word;
    }
  return text;
}

ExportRegion CutRegion(std::int64_t start, std::int64_t length, std::int64_t sourceLength,
                       std::int32_t width, const SpriteLayout& layout, bool memory) {
  ExportRegion region;
  region.start = start;
  region.length = start < 0 || start >= sourceLength
                      ? 0
                      : std::clamp<std::int64_t>(length, 0, sourceLength - start);
  region.width = ClampStripWidth(width);
  region.layout = layout;
  region.memory = memory;
  return region;
}

ExportRegion ScreenRegion(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                          const SpriteLayout& layout, bool memory) {
  return CutRegion(offset, ScreenStoredStep(layout, ClampStripWidth(width)), sourceLength, width,
                   layout, memory);
}

ExportRegion FoundRegion(const GraphicsRegion& found, std::int64_t sourceLength, std::int32_t width,
                         const SpriteLayout& layout, bool memory) {
  ExportRegion region = CutRegion(found.start, found.length, sourceLength, width, layout, memory);
  region.kind = found.kind;
  return region;
}

std::string LayoutWords(const SpriteLayout& layout) {
  if (layout.screen == ScreenLayout::kSpectrumScreen) return "screen";
  std::string words = "strips";
  if (IsMasked(layout))
    words +=
        layout.masks == MaskOrder::kMaskFirst ? ", masked mask-first" : ", masked graphic-first";
  if (layout.showMasks) words += ", masks shown";
  if (HasColumns(layout)) words += ", columns " + std::to_string(layout.columnHeight);
  return words;
}

std::vector<std::uint8_t> ExportFormBytes(ExportBytesView bytes, const ExportRegion& region,
                                          ExportForm form, std::uint8_t attribute,
                                          const Text& sourceName) {
  switch (form) {
    case ExportForm::kPng:
      return EncodeIndexedPng(RegionPicture(bytes, region, attribute));
    case ExportForm::kBinary:
      return {bytes.begin(), bytes.end()};
    case ExportForm::kAssembler: {
      const std::string text = AssemblerText(bytes, region, sourceName);
      return {text.begin(), text.end()};
    }
  }
  return {};
}

}  // namespace pelorin
