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

// Adds the row's cases; false when the row is malformed or its file cannot be read.
bool AddBlock(const fs::path& folder, const Row& row, RealBlocks& blocks) {
  const std::string& file = row.at("file");
  const auto offset = Number(row.at("offset"));
  const auto width = Number(row.at("width_bytes"));
  const auto height = Number(row.at("height_rows"));
  const std::string& layout = row.at("layout");
  if (!offset || !width || !height) return false;
  if (layout == "other:display-file") return true;
  // Column-stored sprites form rows at width 1: each column is a strip of its own.
  const bool masked = row.at("masked") != "no";
  const std::int32_t expected =
      (layout == "columns" ? 1 : static_cast<std::int32_t>(*width)) * (masked ? 2 : 1);
  const std::int64_t length = *width * *height * (masked ? 2 : 1);
  const fs::path path = folder / "files" / file;
  const auto bytes = ReadFile(path);
  if (!bytes || *offset + length > std::ssize(*bytes)) return false;

  const std::string at = file + "@" + row.at("offset");
  blocks.atOffset.push_back({at + " raw", WindowFrom(*bytes, *offset), expected});
  const Bytes block(bytes->begin() + *offset, bytes->begin() + *offset + length);
  blocks.alone.push_back({at, block, expected});
  if (IsMemoryImagePath(path.u16string())) {
    const auto address = Number(row.at("address"));
    const auto image = ReadMemoryImage(path.u16string());
    if (!address || !image) return false;
    const auto place = PlaceInImage(image->bytes, block, *address);
    if (!place) return false;
    blocks.atOffset.push_back(
        {at + " memory " + std::to_string(*place), WindowFrom(image->bytes, *place), expected});
  }
  return true;
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

std::optional<RealBlocks> ReadRealBlocks(const fs::path& folder) {
  std::ifstream table(folder / "truth.tsv");
  std::string line;
  if (!table || !std::getline(table, line)) return std::nullopt;
  const std::vector<std::string> columns = SplitTabs(line);
  for (const char* needed :
       {"file", "offset", "address", "width_bytes", "height_rows", "masked", "layout"})
    if (std::find(columns.begin(), columns.end(), needed) == columns.end()) return std::nullopt;
  RealBlocks blocks;
  while (std::getline(table, line)) {
    if (line.empty()) continue;
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields.size() < columns.size()) return std::nullopt;
    Row row;
    for (std::size_t i = 0; i < columns.size(); ++i) row[columns[i]] = fields[i];
    if (!AddBlock(folder, row, blocks)) return std::nullopt;
  }
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
    if (FontWidth(*font) == 8) fonts.push_back({path.filename().string(), *font, 1});
  }
  return fonts;
}

}  // namespace pelorin
