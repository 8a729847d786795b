// graphics_finder_bench.cpp: how much of the planted and the real graphics the finder finds,
// how much of what it reports is graphics, and what it costs against reading the file.
//
//   graphics_finder_bench [--quick] [--details]
//   graphics_finder_bench --image SEED OUT [--other] [--details]
//                        writes the planted image of the seed to OUT, --other the second
//                        maker's; --details lists its planted blocks
//
// Planted images come from two seed sets: the tuning set, which the finder was tuned on, and
// a held-out set that it never was; both are reported. A second maker of images, which shares
// nothing with the first but the truth it records, is reported apart. The real corpus is the shared
// folder beside the repository (its truth.tsv), read raw and, for tapes and snapshots, as memory.
// The timing runs the converter's --find over 64 MiB of planted images (4 MiB with --quick)
// against cat reading the same file, both whole processes with the file cached, in this one
// run; then --find over a sparse 1 GiB file, which must stay under 64 MB resident. --details
// prints each miss and each false region.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
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
#include "other_images.h"
#include "planted_images.h"

extern char** environ;

namespace pelorin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kTuningSeeds = 1;
constexpr std::uint32_t kHeldOutSeeds = 9'000'001;  // never looked at while tuning
constexpr std::uint32_t kOtherSeeds = 1;            // the second maker's images

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

// A region covers a block when half the block lies in it, or, when the region is the shorter,
// half the region lies on the block.
bool Covers(const GraphicsRegion& r, std::int64_t start, std::int64_t length) {
  const std::int64_t overlap = Overlap(r.start, r.length, start, length);
  return 2 * overlap >= length || (r.length < length && 2 * overlap >= r.length);
}

// A planted block is found when a region of its width covers it (as Covers has it); a screen
// when a region found to be a screen does. A region is false when less than half of it lies
// on planted graphics.
Tally ScorePlanted(const std::function<PlantedImage(std::uint32_t)>& make, std::uint32_t firstSeed,
                   int images, bool details) {
  Tally tally;
  std::map<PlantedKind, std::pair<int, int>> kinds;
  for (int i = 0; i < images; ++i) {
    const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(i);
    const PlantedImage image = make(seed);
    const auto regions = FindGraphics(image.bytes.data(), std::ssize(image.bytes));
    for (const PlantedBlock& block : image.blocks) {
      bool found = false;
      for (const GraphicsRegion& r : regions) {
        const bool right = block.kind == PlantedKind::kScreen ? r.kind == GraphicsKind::kScreen
                                                              : r.width == block.width;
        found |= right && Covers(r, block.start, block.length);
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
  return std::any_of(regions.begin(), regions.end(), [&](const GraphicsRegion& r) {
    return r.width == width && Covers(r, start, length);
  });
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

struct Run {
  double seconds = -1;  // -1: it failed
  long kilobytes = 0;   // the most memory it held
};

// Runs the program with its output thrown away, as a user would from a shell.
Run RunProgram(const std::vector<std::string>& command) {
  std::vector<char*> arguments;
  for (const std::string& argument : command)
    arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t child = 0;
  Run run;
  if (posix_spawnp(&child, arguments[0], &actions, nullptr, arguments.data(), environ) == 0) {
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
      run = {Seconds(std::chrono::steady_clock::now() - start), usage.ru_maxrss};
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

// --find as a whole process against reading the same file with cat as a whole process, both
// after a first read has put the file in the cache; the fastest of the rounds of each.
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
  Run read, find;
  RunProgram({"cat", path.string()});  // into the cache
  for (int i = 0; i < rounds; ++i) {
    const Run reading = RunProgram({"cat", path.string()});
    const Run finding = RunProgram({converter.string(), "--find", path.string()});
    if (reading.seconds < 0 || finding.seconds < 0) break;
    if (read.seconds < 0 || reading.seconds < read.seconds) read = reading;
    if (find.seconds < 0 || finding.seconds < find.seconds) find = finding;
  }
  std::printf("%lld MiB of planted images: cat %.1f ms, --find %.1f ms, %ld KiB resident\n",
              static_cast<long long>(fs::file_size(path) >> 20), read.seconds * 1e3,
              find.seconds * 1e3, find.kilobytes);
  fs::remove(path);
  return read.seconds > 0 && find.seconds > 0 ? find.seconds / read.seconds : -1;
}

// Memory stays bounded however large the file: a sparse 1 GiB file, searched as any other.
bool SearchHugeFile(const fs::path& converter) {
  const fs::path path =
      fs::temp_directory_path() / ("pelorin-find-huge-" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary).close();
  fs::resize_file(path, std::uintmax_t{1} << 30);
  const Run find = RunProgram({converter.string(), "--find", path.string()});
  fs::remove(path);
  std::printf("1 GiB file: --find %.0f ms, %ld KiB resident\n", find.seconds * 1e3, find.kilobytes);
  return find.seconds >= 0 && find.kilobytes < 64 * 1024;
}

// A planted block as --find gives a region: the width the window shows it at, its kind and
// how it is stored.
void PrintBlock(const PlantedBlock& block) {
  std::printf("at %lld, %lld bytes, width %d (%s", static_cast<long long>(block.start),
              static_cast<long long>(block.length), ShownWidth(block), PlantedKindName(block.kind));
  if (block.masks != MaskOrder::kNotMasked)
    std::printf(", masked %s-first", block.masks == MaskOrder::kMaskFirst ? "mask" : "graphic");
  if (block.columnHeight > 0) std::printf(", columns %d", block.columnHeight);
  std::printf("), stored width %d\n", block.width);
}

// --image SEED OUT [--other] [--details]
int WriteImage(const PlantingMaterial& material, const OtherMaterial& otherMaterial, int argc,
               char** argv) {
  bool second = false, list = false;
  for (int i = 4; i < argc; ++i) {
    if (std::strcmp(argv[i], "--other") == 0) {
      second = true;
    } else if (std::strcmp(argv[i], "--details") == 0) {
      list = true;
    } else {
      std::fprintf(stderr, "usage: graphics_finder_bench --image SEED OUT [--other] [--details]\n");
      return 2;
    }
  }
  if (second && otherMaterial.code.empty()) {
    std::fprintf(stderr,
                 "graphics_finder_bench: no Z80 code for the second maker: run scripts/setup\n");
    return 1;
  }
  const auto seed = static_cast<std::uint32_t>(std::stoul(argv[2]));
  const PlantedImage image =
      second ? MakeOtherPlantedImage(otherMaterial, seed) : MakePlantedImage(material, seed);
  std::ofstream(argv[3], std::ios::binary)
      .write(reinterpret_cast<const char*>(image.bytes.data()),
             static_cast<std::streamsize>(image.bytes.size()));
  if (list)
    for (const PlantedBlock& block : image.blocks) PrintBlock(block);
  return 0;
}

}  // namespace
}  // namespace pelorin

int main(int argc, char** argv) {
  using namespace pelorin;
  const fs::path root =
      fs::canonical(fs::path(argv[0])).parent_path().parent_path().parent_path().parent_path();
  const PlantingMaterial material = LoadPlantingMaterial();
  const OtherMaterial otherMaterial = LoadOtherMaterial();
  if (argc >= 4 && std::strcmp(argv[1], "--image") == 0)
    return WriteImage(material, otherMaterial, argc, argv);
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
  if (otherMaterial.code.empty()) {
    std::fprintf(stderr,
                 "graphics_finder_bench: no Z80 code for the second maker: run scripts/setup\n");
    return 1;
  }
  const int images = quick ? 6 : 120;
  const auto first = [&](std::uint32_t seed) { return MakePlantedImage(material, seed); };
  const Tally tuning = ScorePlanted(first, kTuningSeeds, images, details);
  const Tally heldOut = ScorePlanted(first, kHeldOutSeeds, images, false);
  if (details) std::printf("other generator:\n");
  const Tally other =
      ScorePlanted([&](std::uint32_t seed) { return MakeOtherPlantedImage(otherMaterial, seed); },
                   kOtherSeeds, images, details);
  const fs::path corpus = root.parent_path() / "shared" / "data" / "real-spectrum";
  const RealTally real = ScoreReal(corpus, details);
  const fs::path converter = root / "build" / "native" / "pelorin-convert";
  const double ratio =
      FindReadRatio(material, converter, quick ? 4 << 20 : 64 << 20, quick ? 1 : 5);
  const bool bounded = SearchHugeFile(converter);
  std::printf("planted images: %d tuning, %d held-out; real blocks: %d raw, %d in memory images\n",
              images, images, real.raw, real.memory);
  std::printf("find recall (planted): %.1f%%\n", Percent(tuning.found, tuning.blocks));
  std::printf("find false share (planted): %.1f%%\n", Percent(tuning.falseRegions, tuning.regions));
  std::printf("find recall (planted, held-out): %.1f%%\n", Percent(heldOut.found, heldOut.blocks));
  std::printf("find false share (planted, held-out): %.1f%%\n",
              Percent(heldOut.falseRegions, heldOut.regions));
  std::printf("find recall (other generator): %.1f%%\n", Percent(other.found, other.blocks));
  std::printf("find false share (other generator): %.1f%%\n",
              Percent(other.falseRegions, other.regions));
  std::printf("find recall (real): %.1f%%\n", Percent(real.rawFound, real.raw));
  std::printf("find recall (real, memory images): %.1f%%\n",
              Percent(real.memoryFound, real.memory));
  std::printf("find/read ratio: %.1f\n", ratio);
  return ratio < 0 || real.raw == 0 || !bounded ? 1 : 0;
}
