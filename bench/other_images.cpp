// other_images.cpp: the second maker's material, and its images laid out as a Spectrum's memory.
#include "other_images.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "other_fillers.h"
#include "other_graphics.h"

namespace pelorin {

namespace {

using other::Bytes;
using other::Dice;
using other::Drawn;

constexpr std::int64_t kRomBytes = 16384;
constexpr std::int64_t kScreenAddress = 16384;
constexpr std::int64_t kScreenSize = 6912;
constexpr std::int64_t kPrinterBuffer = 23296;  // then the system's variables
constexpr std::int64_t kProgram = 23755;        // where a BASIC program starts
constexpr std::int64_t kBank = 16384;
constexpr std::int64_t k48K = 65536;
constexpr std::int64_t k128K = k48K + 5 * kBank;  // the banks not paged in follow

// Pieces of `rom` between runs of 32 or more of one byte, the padding between its routines;
// pieces shorter than 256 bytes are dropped.
void CutPieces(const Bytes& rom, std::vector<Bytes>& pieces) {
  constexpr std::size_t kPadding = 32, kShortest = 256;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= rom.size();) {
    std::size_t run = 1;
    while (i < rom.size() && i + run < rom.size() && rom[i + run] == rom[i]) ++run;
    if (i == rom.size() || run >= kPadding) {
      if (i - start >= kShortest) pieces.emplace_back(rom.begin() + start, rom.begin() + i);
      i += i == rom.size() ? 1 : run;
      start = i;
    } else {
      i += run;
    }
  }
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

// The code of a library of the small-device C compiler, its modules one after another as a
// linker lays them: an archive of object files in text, whose T lines hold the bytes (after
// three of address) before the addresses in them are filled in.
Bytes ReadLibraryCode(const std::string& path) {
  const Bytes archive = ReadFile(path);
  Bytes code;
  constexpr std::size_t kHeader = 60;
  const std::string magic = "!<arch>\n";
  if (archive.size() < magic.size() || !std::equal(magic.begin(), magic.end(), archive.begin()))
    return code;
  for (std::size_t at = magic.size(); at + kHeader <= archive.size();) {
    const std::string header(archive.begin() + static_cast<std::ptrdiff_t>(at),
                             archive.begin() + static_cast<std::ptrdiff_t>(at + kHeader));
    const std::size_t size = std::stoul(header.substr(48, 10));
    const std::size_t begin = at + kHeader, end = std::min(archive.size(), begin + size);
    at = end + (size % 2);
    if (header[0] == '/') continue;  // the index of symbols or of long names
    std::istringstream member(std::string(archive.begin() + static_cast<std::ptrdiff_t>(begin),
                                          archive.begin() + static_cast<std::ptrdiff_t>(end)));
    for (std::string line; std::getline(member, line);) {
      if (line.rfind("T ", 0) != 0) continue;
      std::istringstream fields(line.substr(2));
      std::string hex;
      for (int field = 0; fields >> hex; ++field)
        if (field >= 3) code.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
    }
  }
  return code;
}

// The system's variables as a program leaves them: small counts and flags, and addresses
// into the area after them.
Bytes SystemVariables(Dice& dice) {
  Bytes bytes;
  while (bytes.size() < 182) {
    if (dice.Odds(40)) {
      const int address = dice.Range(0x5C00, 0x7000);
      bytes.push_back(static_cast<std::uint8_t>(address & 0xFF));
      bytes.push_back(static_cast<std::uint8_t>(address >> 8));
    } else {
      bytes.push_back(static_cast<std::uint8_t>(dice.Odds(50) ? 0 : dice.Below(64)));
    }
  }
  bytes.resize(182);
  return bytes;
}

Bytes Filler(const OtherMaterial& material, Dice& dice, const char*& kind) {
  const int roll = dice.Below(100);
  kind = roll < 32   ? "code"
         : roll < 40 ? "packed screen"
         : roll < 50 ? "level map"
         : roll < 54 ? "music"
         : roll < 62 ? "colours"
         : roll < 70 ? "pointers"
         : roll < 84 ? "blank"
                     : "messages";
  if (roll < 32) return other::Z80Code(material.code, dice);
  if (roll < 40) {
    const Bytes screen = other::DrawLoadingScreen(dice);
    // Most packers of the last decades repeat what came before; runs of a byte are older.
    const bool runs = dice.Odds(25);
    const auto marker = static_cast<std::uint8_t>(dice.Below(256));
    if (runs) kind = "packed screen (runs)";
    return runs ? other::PackRuns(screen, marker) : other::PackRepeats(screen);
  }
  if (roll < 50) return other::LevelMap(dice);
  if (roll < 54) return other::MusicTables(dice);
  if (roll < 62) return other::AttributeRuns(dice);
  if (roll < 70) return other::PointerTable(dice);
  if (roll < 84) return other::BlankRun(dice);
  return other::Messages(dice);
}

Drawn DrawScreenBlock(Dice& dice) {
  Bytes screen = other::DrawLoadingScreen(dice);
  PlantedBlock truth{0, kScreenSize, 32, PlantedKind::kScreen, MaskOrder::kNotMasked, 0, 0};
  return {std::move(screen), truth};
}

Drawn DrawAny(const OtherMaterial& material, Dice& dice) {
  const int roll = dice.Below(100);
  if (roll < 20) return other::DrawSpriteSet(dice);
  if (roll < 32) return other::DrawMaskedSet(dice);
  if (roll < 40) return other::DrawColumnSprites(dice, false);
  if (roll < 50) return other::DrawColumnSprites(dice, true);
  if (roll < 65) return other::DrawFontBlock(dice, material.charset);
  if (roll < 80) return other::DrawTileSet(dice);
  if (roll < 95) return other::DrawPictureBlock(dice);
  return DrawScreenBlock(dice);
}

}  // namespace

OtherMaterial LoadOtherMaterial() {
  const std::string folder = "/usr/share/cbios/";
  OtherMaterial material;
  Bytes main = ReadFile(folder + "cbios_main_msx1.rom");
  // The word at 4 holds where the character set lies: 256 glyphs of 8 bytes.
  if (main.size() >= 6) {
    const std::size_t charset = main[4] | main[5] << 8;
    if (charset + 2048 <= main.size()) {
      material.charset.assign(main.begin() + static_cast<std::ptrdiff_t>(charset + 32 * 8),
                              main.begin() + static_cast<std::ptrdiff_t>(charset + 128 * 8));
      const Bytes after(main.begin() + static_cast<std::ptrdiff_t>(charset + 2048), main.end());
      main.resize(charset);
      CutPieces(main, material.code);
      CutPieces(after, material.code);
    }
  }
  for (const char* name : {"cbios_sub.rom", "cbios_disk.rom", "cbios_music.rom", "cbios_basic.rom"})
    CutPieces(ReadFile(folder + name), material.code);
  CutPieces(ReadLibraryCode("/usr/share/sdcc/lib/z80/z80.lib"), material.code);
  return material;
}

PlantedImage MakeOtherPlantedImage(const OtherMaterial& material, std::uint32_t seed) {
  Dice dice(seed);
  const std::int64_t size = dice.Odds(40) ? k128K : k48K;
  PlantedImage image;
  Bytes& bytes = image.bytes;
  const auto fill = [&](std::int64_t target) {
    while (std::ssize(bytes) < target) {
      const char* kind = "";
      Bytes filler = Filler(material, dice, kind);
      filler.resize(static_cast<std::size_t>(
          std::min<std::int64_t>(std::ssize(filler), target - std::ssize(bytes))));
      image.fillers.push_back({std::ssize(bytes), std::ssize(filler), kind});
      bytes.insert(bytes.end(), filler.begin(), filler.end());
    }
  };
  // The ROM's place: zeros, as a snapshot leaves it, or data, as blocks loaded there fill it.
  if (dice.Odds(85)) {
    bytes.assign(static_cast<std::size_t>(kRomBytes), 0);
    image.fillers.push_back({0, kRomBytes, "blank"});
  } else {
    fill(kRomBytes);
  }
  if (dice.Odds(50)) {
    const Bytes screen = other::DrawLoadingScreen(dice);
    bytes.insert(bytes.end(), screen.begin(), screen.end());
    image.blocks.push_back(
        {kScreenAddress, kScreenSize, 32, PlantedKind::kScreen, MaskOrder::kNotMasked, 0, 0});
  } else {
    const int paper = dice.Below(8);
    const int ink = dice.Below(8);
    image.fillers.push_back({kScreenAddress, kScreenSize, "cleared screen"});
    bytes.insert(bytes.end(), 6144, 0);
    bytes.insert(bytes.end(), 768, static_cast<std::uint8_t>(paper << 3 | ink));
  }
  if (dice.Odds(60)) {  // the printer's buffer, the system's variables, a BASIC loader
    image.fillers.push_back({std::ssize(bytes), kProgram + 100 - std::ssize(bytes), "system"});
    bytes.resize(static_cast<std::size_t>(kPrinterBuffer + 256), 0);
    const Bytes variables = SystemVariables(dice);
    bytes.insert(bytes.end(), variables.begin(), variables.end());
    bytes.resize(static_cast<std::size_t>(kProgram), 0);
    const Bytes loader = other::BasicLoader(dice);
    bytes.insert(bytes.end(), loader.begin(), loader.end());
  }

  std::vector<Drawn> graphics;
  std::int64_t graphicsBytes = 0;
  for (int count = dice.Range(3, 10) - static_cast<int>(image.blocks.size()); count > 0; --count) {
    graphics.push_back(DrawAny(material, dice));
    graphicsBytes += std::ssize(graphics.back().bytes);
  }
  const std::int64_t room = std::max<std::int64_t>(0, size - std::ssize(bytes) - graphicsBytes);
  const std::int64_t share = room / static_cast<std::int64_t>(graphics.size() + 1);
  for (Drawn& drawn : graphics) {
    // One block in five right after the one before, as a font before its tiles.
    if (!dice.Odds(20)) {
      const auto low = static_cast<int>(share / 4);
      const int gap = dice.Range(low, std::max(low + 16, static_cast<int>(share * 7 / 4)));
      fill(std::min(size, std::ssize(bytes) + gap));
    }
    // A screen in a 128K image lies in a bank of its own, as the second screen does.
    if (drawn.truth.kind == PlantedKind::kScreen && size == k128K && std::ssize(bytes) > k48K)
      fill(std::min(size, (std::ssize(bytes) + kBank - 1) / kBank * kBank));
    if (std::ssize(bytes) + std::ssize(drawn.bytes) > size) break;
    drawn.truth.start = std::ssize(bytes);
    image.blocks.push_back(drawn.truth);
    bytes.insert(bytes.end(), drawn.bytes.begin(), drawn.bytes.end());
  }
  fill(size);
  bytes.resize(static_cast<std::size_t>(size));
  std::sort(image.blocks.begin(), image.blocks.end(),
            [](const PlantedBlock& a, const PlantedBlock& b) { return a.start < b.start; });
  return image;
}

}  // namespace pelorin
