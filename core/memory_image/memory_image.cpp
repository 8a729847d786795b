// memory_image.cpp: choosing a memory image's reader by extension, and the blocks described.
#include "memory_image/memory_image.h"

#include <algorithm>
#include <string_view>

namespace pelorin {

namespace {

struct Format {
  std::u16string_view extension;
  MemoryImageReader read;
};

constexpr Format kFormats[] = {
    {u".sna", ReadSnaImage}, {u".z80", ReadZ80Image}, {u".szx", ReadSzxImage},
    {u".tap", ReadTapImage}, {u".tzx", ReadTzxImage},
};

// A file name's byte as the Spectrum shows it: its character set is ASCII but for the
// pound sign and the copyright sign; other bytes are tokens and graphics.
char16_t SpectrumCharacter(std::uint8_t byte) {
  if (byte == 0x60) return u'£';
  if (byte == 0x7F) return u'©';
  return byte >= 0x20 && byte < 0x7F ? byte : u'?';
}

}  // namespace

MemoryImageReader FindMemoryImageReader(const Text& path) {
  for (const Format& format : kFormats) {
    if (path.size() < format.extension.size()) continue;
    const std::u16string_view tail =
        std::u16string_view{path}.substr(path.size() - format.extension.size());
    const bool same = std::equal(
        tail.begin(), tail.end(), format.extension.begin(),
        [](char16_t a, char16_t b) { return (a >= u'A' && a <= u'Z' ? a - u'A' + u'a' : a) == b; });
    if (same) return format.read;
  }
  return nullptr;
}

bool IsMemoryImagePath(const Text& path) {
  return FindMemoryImageReader(path) != nullptr;
}

Text DescribeBlock(const PlacedBlock& block) {
  Text what;
  switch (block.kind) {
    case PlacedBlock::Kind::kBank:
      what = u"bank " + DecimalText(block.number) + u": ";
      break;
    case PlacedBlock::Kind::kCode:
      what = u"block " + DecimalText(block.number) + u": code \"";
      for (const char c : block.name) what += SpectrumCharacter(static_cast<std::uint8_t>(c));
      what += u"\" ";
      break;
    case PlacedBlock::Kind::kData:
      what = u"block " + DecimalText(block.number) + u": data ";
      break;
  }
  return what + DecimalText(block.length) + u" bytes at " + DecimalText(block.position);
}

}  // namespace pelorin
