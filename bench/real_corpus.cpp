// real_corpus.cpp: reading the known blocks of real files and the console fonts.
#include "real_corpus.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>

#include <zlib.h>

#include "memory_image/memory_image.h"
#include "memory_image_file.h"
#include "screen/placement.h"

namespace pelorin {

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

std::optional<Bytes> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::istringstream in(line);
  for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
  return fields;
}

std::optional<std::int64_t> Number(const std::string& text) {
  std::int64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || end != text.data() + text.size() || value < 0) return std::nullopt;
  return value;
}

// The bytes from `start` on, as many as the window loads.
Bytes WindowFrom(const Bytes& bytes, std::int64_t start) {
  const auto from = bytes.begin() + start;
  return Bytes(from, from + std::min<std::int64_t>(SpriteReadBound, std::ssize(bytes) - start));
}

// Where the memory image holds the block: at its address, or, for a block the tape loads
// without saying where (a headerless block, placed after the address space), wherever its
// bytes are.
std::optional<std::int64_t> PlaceInImage(const Bytes& image, const Bytes& block,
                                         std::int64_t address) {
  const auto holds = [&](std::int64_t at) {
    return at + std::ssize(block) <= std::ssize(image) &&
           std::equal(block.begin(), block.end(), image.begin() + at);
  };
  if (holds(address)) return address;
  const auto found = std::search(image.begin(), image.end(), block.begin(), block.end());
  if (found == image.end()) return std::nullopt;
  return found - image.begin();
}

// One row of the table, by column name.
using Row = std::map<std::string, std::string>;

// The block a row of the table lists; nothing when the row is malformed.
std::optional<KnownBlock> BlockOf(const Row& row) {
  const auto offset = Number(row.at("offset"));
  const auto width = Number(row.at("width_bytes"));
  const auto height = Number(row.at("height_rows"));
  const std::string& layout = row.at("layout");
  const std::string& masked = row.at("masked");
  if (!offset || !width || !height || *width > 255 || *height > 65535) return std::nullopt;
  KnownBlock block{row.at("file"),
                   row.at("source_repo"),
                   *offset,
                   Number(row.at("address")),
                   static_cast<std::int32_t>(*width),
                   *height,
                   {},
                   layout == "other:serpentine-rows",
                   row.at("head_hex")};
  if (layout == "other:display-file") block.layout.screen = ScreenLayout::kSpectrumScreen;
  if (layout == "columns") block.layout.columnHeight = static_cast<std::int32_t>(*height);
  if (masked != "no")
    block.layout.masks = masked == "mask-first" ? MaskOrder::kMaskFirst : MaskOrder::kGraphicFirst;
  return block;
}

// Adds the row's cases; false when the row is malformed or its file cannot be read.
bool AddBlock(const fs::path& folder, const Row& row, RealBlocks& blocks) {
  const auto known = BlockOf(row);
  if (!known) return false;
  if (known->layout.screen == ScreenLayout::kSpectrumScreen) return true;
  const std::int32_t expected = known->StoredWidth();
  const std::int64_t length = known->Length();
  if (expected > kMaxStripWidth) return true;
  const std::string& file = known->file;
  const fs::path path = folder / "files" / file;
  const auto bytes = ReadFile(path);
  if (!bytes || known->offset + length > std::ssize(*bytes)) return false;

  const std::string at = file + "@" + row.at("offset");
  const std::string& source = known->source;
  blocks.atOffset.push_back({at + " raw", WindowFrom(*bytes, known->offset), expected, source});
  const Bytes block(bytes->begin() + known->offset, bytes->begin() + known->offset + length);
  blocks.alone.push_back({at, block, expected, source});
  if (IsMemoryImagePath(path.u16string())) {
    const auto image = ReadMemoryImage(path.u16string());
    if (!known->address || !image) return false;
    const auto place = PlaceInImage(image->bytes, block, *known->address);
    if (!place) return false;
    blocks.atOffset.push_back({at + " memory " + std::to_string(*place),
                               WindowFrom(image->bytes, *place), expected, source});
  }
  return true;
}

// Reads the table's rows, each by column name; nothing when a column named is missing or a
// row is short.
std::optional<std::vector<Row>> ReadRows(const fs::path& folder) {
  std::ifstream table(folder / "truth.tsv");
  std::string line;
  if (!table || !std::getline(table, line)) return std::nullopt;
  const std::vector<std::string> columns = SplitTabs(line);
  for (const char* needed : {"file", "offset", "address", "width_bytes", "height_rows", "masked",
                             "layout", "source_repo", "head_hex"})
    if (std::find(columns.begin(), columns.end(), needed) == columns.end()) return std::nullopt;
  std::vector<Row> rows;
  while (std::getline(table, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() < columns.size()) return std::nullopt;
    Row row;
    for (std::size_t i = 0; i < columns.size(); ++i) row[columns[i]] = fields[i];
    rows.push_back(row);
  }
  return rows;
}

std::optional<Bytes> Gunzip(const Bytes& packed) {
  z_stream stream{};
  if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK) return std::nullopt;
  Bytes unpacked;
  std::uint8_t chunk[16384];
  stream.next_in = const_cast<Bytef*>(packed.data());
  stream.avail_in = static_cast<uInt>(packed.size());
  int status = Z_OK;
  while (status == Z_OK) {
    stream.next_out = chunk;
    stream.avail_out = sizeof chunk;
    status = inflate(&stream, Z_NO_FLUSH);
    unpacked.insert(unpacked.end(), chunk, chunk + (sizeof chunk - stream.avail_out));
  }
  inflateEnd(&stream);
  if (status != Z_STREAM_END) return std::nullopt;
  return unpacked;
}

std::uint32_t Little32(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// The pixel width of a PSF font's characters: PSF1 fonts are all 8 wide, PSF2 say; 0 for
// anything else.
std::uint32_t FontWidth(const Bytes& font) {
  if (font.size() >= 4 && font[0] == 0x36 && font[1] == 0x04) return 8;
  if (font.size() >= 32 && Little32(font, 0) == 0x864AB572) return Little32(font, 28);
  return 0;
}

}  // namespace

std::int64_t KnownBlock::Length() const {
  if (layout.screen == ScreenLayout::kSpectrumScreen)
    return rows == kScreenHeight ? kScreenBytes : width * rows + width * rows / 8;
  return width * rows * StoredPerLaid(layout);
}

std::int32_t KnownBlock::StoredWidth() const {
  if (layout.screen == ScreenLayout::kSpectrumScreen) return 0;
  return (HasColumns(layout) ? 1 : width) * static_cast<std::int32_t>(StoredPerLaid(layout));
}

std::optional<std::vector<KnownBlock>> ReadKnownBlocks(const fs::path& folder) {
  const auto rows = ReadRows(folder);
  if (!rows) return std::nullopt;
  std::vector<KnownBlock> blocks;
  for (const Row& row : *rows) {
    const auto block = BlockOf(row);
    if (!block) return std::nullopt;
    const bool partScreen =
        block->layout.screen == ScreenLayout::kSpectrumScreen && block->rows != kScreenHeight;
    if (!partScreen) blocks.push_back(*block);
  }
  return blocks;
}

std::optional<RealBlocks> ReadRealBlocks(const fs::path& folder) {
  const auto rows = ReadRows(folder);
  if (!rows) return std::nullopt;
  RealBlocks blocks;
  for (const Row& row : *rows)
    if (!AddBlock(folder, row, blocks)) return std::nullopt;
  return blocks;
}

std::optional<std::vector<RealCase>> ReadConsoleFonts(const fs::path& folder) {
  std::error_code error;
  std::vector<fs::path> paths;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error))
    if (entry.path().string().ends_with(".psf.gz")) paths.push_back(entry.path());
  if (error) return std::nullopt;
  std::sort(paths.begin(), paths.end());
  std::vector<RealCase> fonts;
  for (const fs::path& path : paths) {
    const auto packed = ReadFile(path);
    const auto font = packed ? Gunzip(*packed) : std::nullopt;
    if (!font) return std::nullopt;
    if (FontWidth(*font) == 8)
      fonts.push_back({path.filename().string(), *font, 1, "console fonts"});
  }
  return fonts;
}

}  // namespace pelorin
