// assembler_text.cpp: defb lines under a comment block.
#include "export/assembler_text.h"

#include <algorithm>
#include <cstring>

namespace pelorin {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

std::string HexDigits(std::uint64_t value) {
  std::string digits;
  do {
    digits.insert(digits.begin(), kHex[value & 15]);
    value >>= 4;
  } while (value != 0);
  return digits;
}

}  // namespace

std::string PositionWords(std::int64_t position) {
  return std::to_string(position) + " ($" + HexDigits(static_cast<std::uint64_t>(position)) + ")";
}

std::string OneLine(const Text& text) {
  Text line = text;
  std::replace_if(
      line.begin(), line.end(), [](char16_t c) { return c < 0x20 || c == 0x7F; }, u'?');
  return TextToUtf8(line);
}

std::string AssemblerText(ExportBytesView bytes, const ExportRegion& region,
                          const Text& sourceName) {
  const std::string name = OneLine(sourceName);
  std::string text = "; Graphics taken out of " + name + " by Pelorin\n";
  text += "; source: " + name + "\n";
  text += std::string(region.memory ? "; address: " : "; offset: ") + PositionWords(region.start) +
          "\n";
  text += "; length: " + std::to_string(region.length) + " bytes\n";
  text += "; width: " + std::to_string(region.width) + "\n";
  text += "; layout: " + LayoutWords(region.layout) + "\n";
  if (region.kind) text += std::string("; kind: ") + GraphicsKindName(*region.kind) + "\n";

  const auto row =
      static_cast<std::size_t>(RowStoredStep(region.layout, ClampStripWidth(region.width)));
  // "\tdefb " and a line feed a row, "$XX," a byte less the last comma: written in place.
  const std::size_t head = text.size();
  const std::size_t rows = (bytes.size() + row - 1) / row;
  text.resize(head + rows * 7 + bytes.size() * 4);
  char* out = text.data() + head;
  for (std::size_t at = 0; at < bytes.size(); at += row) {
    std::memcpy(out, "\tdefb ", 6);
    out += 6;
    const std::size_t end = std::min(bytes.size(), at + row);
    for (std::size_t i = at; i < end; ++i) {
      out[0] = '$';
      out[1] = kHex[bytes[i] >> 4];
      out[2] = kHex[bytes[i] & 15];
      out[3] = ',';
      out += 4;
    }
    out[-1] = '\n';
  }
  text.resize(static_cast<std::size_t>(out - text.data()));
  return text;
}

}  // namespace pelorin
