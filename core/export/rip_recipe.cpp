// rip_recipe.cpp: writing and reading the lines of rip.tsv.
#include "export/rip_recipe.h"

#include <cstdint>
#include <vector>

namespace pelorin {

namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> Unescaped(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return std::nullopt;
    const char c = text[i];
    if (c != 't' && c != 'n' && c != '\\') return std::nullopt;
    out += c == 't' ? '\t' : c == 'n' ? '\n' : '\\';
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  for (;;) {
    const std::size_t at = text.find(separator);
    fields.push_back(text.substr(0, at));
    if (at == std::string_view::npos) return fields;
    text.remove_prefix(at + 1);
  }
}

// A whole number of decimal digits up to `max`.
std::optional<std::int64_t> Number(std::string_view text, std::int64_t max) {
  if (text.empty() || text.size() > 19) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

std::string LayoutOptions(const SpriteLayout& layout) {
  if (layout.screen == ScreenLayout::kSpectrumScreen) return "--layout=screen";
  std::string options = "--layout=strips";
  if (IsMasked(layout))
    options +=
        layout.masks == MaskOrder::kMaskFirst ? " --masked=mask-first" : " --masked=graphic-first";
  if (layout.showMasks) options += " --show-masks";
  if (HasColumns(layout)) options += " --columns=" + std::to_string(layout.columnHeight);
  return options;
}

std::optional<SpriteLayout> ParseLayoutOptions(std::string_view text) {
  SpriteLayout layout;
  for (const std::string_view option : Split(text, ' ')) {
    if (option == "--layout=strips") {
      layout.screen = ScreenLayout::kStrips;
    } else if (option == "--layout=screen") {
      layout.screen = ScreenLayout::kSpectrumScreen;
    } else if (option == "--masked=mask-first") {
      layout.masks = MaskOrder::kMaskFirst;
    } else if (option == "--masked=graphic-first") {
      layout.masks = MaskOrder::kGraphicFirst;
    } else if (option == "--show-masks") {
      layout.showMasks = true;
    } else if (option.starts_with("--columns=")) {
      const auto height = Number(option.substr(10), kMaxColumnHeight);
      if (!height) return std::nullopt;
      layout.columnHeight = static_cast<std::int32_t>(*height);
    } else {
      return std::nullopt;
    }
  }
  return layout;
}

std::optional<GraphicsKind> ParseKind(std::string_view text) {
  for (const GraphicsKind kind : {GraphicsKind::kFont, GraphicsKind::kTiles, GraphicsKind::kSprites,
                                  GraphicsKind::kPicture, GraphicsKind::kScreen})
    if (text == GraphicsKindName(kind)) return kind;
  return std::nullopt;
}

}  // namespace

bool IsRipComment(std::string_view line) {
  return line.empty() || line.front() == '#';
}

std::string RipLine(const RipEntry& entry) {
  const ExportRegion& region = entry.region;
  return Escaped(TextToUtf8(entry.file)) + '\t' + entry.sha256 + '\t' +
         std::to_string(region.start) + '\t' + std::to_string(region.length) + '\t' +
         std::to_string(region.width) + '\t' + (region.memory ? "memory" : "raw") + '\t' +
         LayoutOptions(region.layout) + '\t' +
         (region.kind ? GraphicsKindName(*region.kind) : "-") + '\t' +
         std::to_string(entry.attribute) + '\t' + ExportFormsText(entry.forms) + '\n';
}

std::optional<RipEntry> ParseRipLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  const std::vector<std::string_view> fields = Split(line, '\t');
  if (fields.size() != 10) return std::nullopt;
  RipEntry entry;
  const auto file = Unescaped(fields[0]);
  if (!file || file->empty()) return std::nullopt;
  entry.file = Utf8ToText(*file);
  entry.sha256 = fields[1];
  if (entry.sha256.size() != 64 ||
      entry.sha256.find_first_not_of("0123456789abcdef") != std::string::npos)
    return std::nullopt;
  constexpr std::int64_t kLargest = std::int64_t{1} << 62;
  const auto start = Number(fields[2], kLargest);
  const auto length = Number(fields[3], kLargest);
  const auto width = Number(fields[4], kMaxStripWidth);
  const auto layout = ParseLayoutOptions(fields[6]);
  const auto attribute = Number(fields[8], 255);
  const auto forms = ParseExportForms(Utf8ToText(fields[9]));
  if (!start || !length || !width || *width < kMinStripWidth || !layout || !attribute || !forms)
    return std::nullopt;
  if (fields[5] != "memory" && fields[5] != "raw") return std::nullopt;
  entry.region.start = *start;
  entry.region.length = *length;
  entry.region.width = static_cast<std::int32_t>(*width);
  entry.region.memory = fields[5] == "memory";
  entry.region.layout = *layout;
  if (fields[7] != "-") {
    entry.region.kind = ParseKind(fields[7]);
    if (!entry.region.kind) return std::nullopt;
  }
  entry.attribute = static_cast<std::uint8_t>(*attribute);
  entry.forms = *forms;
  return entry;
}

}  // namespace pelorin
