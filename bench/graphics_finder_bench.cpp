// graphics_finder_bench.cpp: how much of the planted and the real graphics the finder finds,
// how much of what it reports is graphics, and what it costs against reading the file.
//
//   graphics_finder_bench [--quick] [--details]
//   graphics_finder_bench --image SEED OUT   writes the planted image of the seed to OUT
//
// Planted images come from two seed sets: the tuning set, which the finder was tuned on, and
// a held-out set that it never was; both are reported. The real corpus is the shared folder
// beside the repository (its truth.tsv), read raw and, for tapes and snapshots, as memory.
// The timing runs the converter's --find over 64 MiB of planted images (4 MiB with --quick)
// against reading the same file, both cached, in this one run. --details prints each miss
// and each false region.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analysis/graphics_finder.h"
#include "memory_image_file.h"
#include "planted_images.h"
#include "platform/platform.h"

extern char** environ;

namespace pelorin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kTuningSeeds = 1;
constexpr std::uint32_t kHeldOutSeeds = 9'000'001;  // never looked at while tuning

double Percent(std::int64_t part, std::int64_t whole) {
  return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

std::int64_t Overlap(std::int64_t a, std::int64_t aLength, std::int64_t b, std::int64_t bLength) {
  return std::max<std::int64_t>(0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

struct Tally {
  std::int64_t blocks = 0;
  std::int64_t found = 0;
  std::int64_t regions = 0;
  std::int64_t falseRegions = 0;
};

// A planted block is found when a region of its width covers at least half of it; a screen
// when a region found to be a screen does. A region is false when less than half of it lies
// on planted graphics.
Tally ScorePlanted(const PlantingMaterial& material, std::uint32_t firstSeed, int images,
                   bool details) {
  Tally tally;
  std::map<PlantedKind, std::pair<int, int>> kinds;
  for (int i = 0; i < images; ++i) {
    const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(i);
    const PlantedImage image = MakePlantedImage(material, seed);
    const auto regions = FindGraphics(image.bytes.data(), std::ssize(image.bytes));
    for (const PlantedBlock& block : image.blocks) {
      bool found = false;
      for (const GraphicsRegion& r : regions) {
        const bool right = block.kind == PlantedKind::kScreen ? r.kind == GraphicsKind::kScreen
                                                              : r.width == block.width;
        found |= right && 2 * Overlap(r.start, r.length, block.start, block.length) >= block.length;
      }
      ++tally.blocks;
      tally.found += found;
      ++kinds[block.kind].first;
      kinds[block.kind].second += found;
      if (details && !found)
        std::printf("  missed: seed %u %s at %lld, %lld bytes, width %d\n", seed,
                    PlantedKindName(block.kind), static_cast<long long>(block.start),
                    static_cast<long long>(block.length), block.width);
    }
    for (const GraphicsRegion& r : regions) {
      std::int64_t on = 0;
      for (const PlantedBlock& block : image.blocks)
        on += Overlap(r.start, r.length, block.start, block.length);
      const bool falsely = 2 * on < r.length;
      ++tally.regions;
      tally.falseRegions += falsely;
      if (details && falsely)
        std::printf("  false: seed %u at %lld, %lld bytes, width %d (%s)\n", seed,
                    static_cast<long long>(r.start), static_cast<long long>(r.length), r.width,
                    GraphicsKindName(r.kind));
    }
  }
  if (details)
    for (const auto& [kind, counts] : kinds)
      std::printf("  %-15s %4d blocks, %5.1f%% found\n", PlantedKindName(kind), counts.first,
                  Percent(counts.second, counts.first));
  return tally;
}

// One known block of the real corpus: where it lies raw and, if it is in one, in the file's
// memory image, and the width at which its stored bytes form rows.
struct KnownBlock {
  std::string file;
  std::int64_t offset;
  std::optional<std::int64_t> address;
  std::int64_t length;
  std::int32_t width;
  std::string head;  // its first bytes, in hexadecimal
};

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  for (std::string field; std::getline(stream, field, '\t');) fields.push_back(field);
  return fields;
}

std::vector<KnownBlock> ReadTruth(const fs::path& folder) {
  std::vector<KnownBlock> blocks;
  std::ifstream truth(folder / "truth.tsv");
  std::string line;
  std::getline(truth, line);
  const std::vector<std::string> names = Fields(line);
  const auto column = [&](const std::vector<std::string>& fields, const char* name) {
    const auto at = std::find(names.begin(), names.end(), name) - names.begin();
    return static_cast<std::size_t>(at) < fields.size() ? fields[static_cast<std::size_t>(at)]
                                                        : std::string();
  };
  while (std::getline(truth, line)) {
    const std::vector<std::string> f = Fields(line);
    const std::string layout = column(f, "layout");
    if (layout == "other:display-file") continue;  // screens have no strip width
    const bool masked = column(f, "masked") != "no";
    const std::int32_t across = std::stoi(column(f, "width_bytes"));
    const std::int64_t rows = std::stoll(column(f, "height_rows"));
    KnownBlock block;
    block.file = column(f, "file");
    block.offset = std::stoll(column(f, "offset"));
    if (column(f, "address") != "-") block.address = std::stoll(column(f, "address"));
    block.width = (layout == "columns" ? 1 : across) * (masked ? 2 : 1);
    block.length = across * rows * (masked ? 2 : 1);
    block.head = column(f, "head_hex");
    blocks.push_back(block);
  }
  return blocks;
}

std::string Hex(const Bytes& bytes, std::int64_t at, std::size_t count) {
  std::string hex;
  char digits[3];
  for (std::size_t i = 0; i < count && at + static_cast<std::int64_t>(i) < std::ssize(bytes); ++i) {
    std::snprintf(digits, sizeof digits, "%02x", bytes[static_cast<std::size_t>(at) + i]);
    hex += digits;
  }
  return hex;
}

// Found: a region of the block's width covers half of it, or lies half on it when shorter.
bool FoundIn(const std::vector<GraphicsRegion>& regions, std::int64_t start, std::int64_t length,
             std::int32_t width) {
  for (const GraphicsRegion& r : regions) {
    if (r.width != width) continue;
    const std::int64_t overlap = Overlap(r.start, r.length, start, length);
    if (2 * overlap >= length || (r.length < length && 2 * overlap >= r.length)) return true;
  }
  return false;
}

struct RealTally {
  int raw = 0, rawFound = 0, memory = 0, memoryFound = 0;
};

RealTally ScoreReal(const fs::path& folder, bool details) {
  RealTally tally;
  std::map<std::string, std::vector<GraphicsRegion>> raw, memory;
  std::map<std::string, Bytes> images;
  for (const KnownBlock& block : ReadTruth(folder)) {
    const fs::path path = folder / "files" / block.file;
    if (!raw.count(block.file)) {
      std::ifstream in(path, std::ios::binary);
      const Bytes bytes{std::istreambuf_iterator<char>(in), {}};
      raw[block.file] = FindGraphics(bytes.data(), std::ssize(bytes));
      if (const auto image = ReadMemoryImage(Utf8ToText(path.string()))) {
        images[block.file] = image->bytes;
        memory[block.file] = FindGraphics(image->bytes.data(), std::ssize(image->bytes));
      }
    }
    const bool rawFound = FoundIn(raw[block.file], block.offset, block.length, block.width);
    ++tally.raw;
    tally.rawFound += rawFound;
    if (details && !rawFound)
      std::printf("  missed raw: %s at %lld, %lld bytes, width %d\n", block.file.c_str(),
                  static_cast<long long>(block.offset), static_cast<long long>(block.length),
                  block.width);
    // In the image only where its address holds the block: a headerless tape block goes
    // after the address space, not to the address its loader gives it.
    if (block.address && images.count(block.file) &&
        Hex(images[block.file], *block.address, block.head.size() / 2) == block.head) {
      const bool found = FoundIn(memory[block.file], *block.address, block.length, block.width);
      ++tally.memory;
      tally.memoryFound += found;
      if (details && !found)
        std::printf("  missed in memory: %s at %lld, %lld bytes, width %d\n", block.file.c_str(),
                    static_cast<long long>(*block.address), static_cast<long long>(block.length),
                    block.width);
    }
  }
  if (details)
    for (const auto& [file, regions] : raw)
      for (const GraphicsRegion& r : regions)
        std::printf("  %s: at %lld, %lld bytes, width %d (%s) %d\n", file.c_str(),
                    static_cast<long long>(r.start), static_cast<long long>(r.length), r.width,
                    GraphicsKindName(r.kind), r.confidence);
  return tally;
}

double Seconds(std::chrono::steady_clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

// Reading the file through the platform layer in the converter's piece size.
double ReadSeconds(const fs::path& path) {
  const auto start = std::chrono::steady_clock::now();
  platform::File file = platform::OpenForReading(Utf8ToText(path.string()));
  Bytes buffer(1 << 20);
  std::int64_t total = 0;
  for (std::int64_t n;
       (n = file.Read(buffer.data(), static_cast<std::int32_t>(buffer.size()))) > 0;)
    total += n;
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  return total > 0 ? seconds : -1;
}

// Runs the converter's --find over the file as a user would; its time, and the most memory
// it held, in kilobytes.
std::pair<double, long> FindSeconds(const fs::path& converter, const fs::path& path) {
  const std::string program = converter.string(), option = "--find", input = path.string();
  char* arguments[] = {const_cast<char*>(program.c_str()), const_cast<char*>(option.c_str()),
                       const_cast<char*>(input.c_str()), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  if (posix_spawn(&child, program.c_str(), &actions, nullptr, arguments, environ) != 0)
    return {-1, 0};
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  const double seconds = Seconds(std::chrono::steady_clock::now() - start);
  posix_spawn_file_actions_destroy(&actions);
  return {WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1, usage.ru_maxrss};
}

double FindReadRatio(const PlantingMaterial& material, const fs::path& converter, std::int64_t size,
                     int rounds) {
  const fs::path path =
      fs::temp_directory_path() / ("pelorin-find-bench-" + std::to_string(::getpid()));
  {
    std::ofstream out(path, std::ios::binary);
    for (std::uint32_t seed = 1; out.tellp() < size; ++seed) {
      const PlantedImage image = MakePlantedImage(material, 5'000'000 + seed);
      out.write(reinterpret_cast<const char*>(image.bytes.data()),
                static_cast<std::streamsize>(image.bytes.size()));
    }
  }
  ReadSeconds(path);  // into the cache
  double read = 1e30, find = 1e30;
  long resident = 0;
  for (int i = 0; i < rounds; ++i) {
    read = std::min(read, ReadSeconds(path));
    const auto [seconds, kilobytes] = FindSeconds(converter, path);
    if (seconds < 0) {
      fs::remove(path);
      return -1;
    }
    find = std::min(find, seconds);
    resident = std::max(resident, kilobytes);
  }
  std::printf(
      "%lld MiB of planted images: read %.1f ms, --find %.1f ms, at most %ld KiB resident\n",
      static_cast<long long>(fs::file_size(path) >> 20), read * 1e3, find * 1e3, resident);
  fs::remove(path);
  return read > 0 ? find / read : -1;
}

}  // namespace
}  // namespace pelorin

int main(int argc, char** argv) {
  using namespace pelorin;
  const fs::path root =
      fs::canonical(fs::path(argv[0])).parent_path().parent_path().parent_path().parent_path();
  const PlantingMaterial material = LoadPlantingMaterial();
  if (argc == 4 && std::strcmp(argv[1], "--image") == 0) {
    const PlantedImage image =
        MakePlantedImage(material, static_cast<std::uint32_t>(std::stoul(argv[2])));
    std::ofstream(argv[3], std::ios::binary)
        .write(reinterpret_cast<const char*>(image.bytes.data()),
               static_cast<std::streamsize>(image.bytes.size()));
    return 0;
  }
  bool quick = false, details = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "--details") == 0) {
      details = true;
    } else {
      std::fprintf(stderr, "usage: graphics_finder_bench [--quick] [--details]\n");
      return 2;
    }
  }
  if (material.rom.empty() || material.fonts.empty()) {
    std::fprintf(stderr, "graphics_finder_bench: no ROM or console fonts: run scripts/setup\n");
    return 1;
  }
  const int images = quick ? 6 : 120;
  const Tally tuning = ScorePlanted(material, kTuningSeeds, images, details);
  const Tally heldOut = ScorePlanted(material, kHeldOutSeeds, images, false);
  const fs::path corpus = root.parent_path() / "shared" / "data" / "real-spectrum";
  const RealTally real = ScoreReal(corpus, details);
  const double ratio = FindReadRatio(material, root / "build" / "native" / "pelorin-convert",
                                     quick ? 4 << 20 : 64 << 20, quick ? 1 : 3);
  std::printf("planted images: %d tuning, %d held-out; real blocks: %d raw, %d in memory images\n",
              images, images, real.raw, real.memory);
  std::printf("find recall (planted): %.1f%%\n", Percent(tuning.found, tuning.blocks));
  std::printf("find false share (planted): %.1f%%\n", Percent(tuning.falseRegions, tuning.regions));
  std::printf("find recall (planted, held-out): %.1f%%\n", Percent(heldOut.found, heldOut.blocks));
  std::printf("find false share (planted, held-out): %.1f%%\n",
              Percent(heldOut.falseRegions, heldOut.regions));
  std::printf("find recall (real): %.1f%%\n", Percent(real.rawFound, real.raw));
  std::printf("find recall (real, memory images): %.1f%%\n",
              Percent(real.memoryFound, real.memory));
  std::printf("find/read ratio: %.1f\n", ratio);
  return ratio < 0 || real.raw == 0 ? 1 : 0;
}
