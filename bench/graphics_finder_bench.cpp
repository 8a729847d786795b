// graphics_finder_bench.cpp: how much of the planted and the real graphics the finder finds,
// how much of what it reports is graphics, and what it costs against reading the file.
//
//   graphics_finder_bench [--quick] [--details] [--no-timing]
//   graphics_finder_bench --image SEED OUT [--other] [--details]
//                        writes the planted image of the seed to OUT, --other the second
//                        maker's; --details lists its planted blocks
//   graphics_finder_bench --evidence OUT [IMAGES [TABLE]]
//                        writes every run the finder judges, with its measures and label, in
//                        IMAGES images of each maker (120) and in the real corpus, searched
//                        with the table fitted without TABLE (a source, "first", "other"):
//                        what bench/fit/fit_decision.py fits the finder's weights on
//
// The finder decides whether a run holds pictures by weights fitted on labelled runs
// (bench/fit/): the first maker's tuning images, other images of the second maker than those
// it is scored on, and the real corpus. Each figure on data the weights never saw is scored
// with the table fitted without that data (bench/fit/tables.tsv): the first maker's held-out
// images with the table fitted without the first maker, the second maker's with the table
// fitted without it, and each source of the real corpus with the table fitted without that
// source; the figures with the table the finder ships, which saw all of them, are printed
// beside them. The hand-set constants of the finder's other stages were set on the first
// maker's images or by what the formats are.
//
// The real corpus is the shared folder beside the repository (its truth.tsv), read raw and,
// for tapes and snapshots, as memory, and scored source by source, a source being the
// repository its files come from; each figure is the mean over the sources. Its table lists
// known blocks only, and the files hold much more graphics, so that a region that lies on
// none of them may be graphics all the same: a region is judged only where it overlaps a
// known block, and is false when it shows none of the blocks it overlaps (at the wrong width
// or layout, or a screen swallowing a font). A file that is one known block, a screen file,
// has every region judged so. A block counts as found where a region shows it: covers half of
// it (or lies half on it when shorter) at its stored width, or under its layout at its width;
// a screen as a screen. Of those found, a region starts on a row when it starts a whole number
// of its rows (whole sprites by columns) from the block's first byte, and its layout is right
// when its masks, column height and width are the block's. In planted images every byte is
// known: a region is false when less than half of it lies on planted blocks.
// The timing runs the converter's --find over 64 MiB of planted images (4 MiB with --quick)
// against cat reading the same file, both whole processes with the file cached, in this one
// run; then --find over a sparse 1 GiB file, which must stay under 64 MB resident. --details
// prints each miss and each false region; --no-timing leaves the timings out.
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
#include "decision_tables.h"
#include "finder_corpus.h"
#include "finder_evidence.h"
#include "finder_scoring.h"
#include "other_images.h"
#include "planted_images.h"
#include "real_corpus.h"

extern char** environ;

namespace pelorin {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t kTuningSeeds = 1;
constexpr std::uint32_t kHeldOutSeeds = 9'000'001;  // never looked at while tuning
constexpr std::uint32_t kOtherSeeds = 1;            // the second maker's images
// The second maker's images that weights are fitted on, apart from those it is scored on.
constexpr std::uint32_t kOtherTrainingSeeds = 2'000'001;

// A planted block is found when a region shows it (as Shows has it); a region is false when
// less than half of it lies on planted graphics.
std::map<std::string, Score> ScorePlanted(const std::function<PlantedImage(std::uint32_t)>& make,
                                          std::uint32_t firstSeed, int images, bool details) {
  std::map<std::string, Score> kinds;
  for (int i = 0; i < images; ++i) {
    const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(i);
    const PlantedImage image = make(seed);
    const auto regions = FindGraphics(image.bytes.data(), std::ssize(image.bytes));
    ScoreImage(regions, PlantedTruth(image, seed), Judging::kHalfOnBlocks,
               "seed " + std::to_string(seed), kinds, details);
  }
  if (details)
    for (const auto& [kind, score] : kinds)
      std::printf("  %-15s %4d blocks, %5.1f%% found\n", kind.c_str(), score.blocks,
                  Percent(score.found, score.blocks));
  return kinds;
}

// The real corpus scored file by file, raw and, for tapes and snapshots, as memory images;
// each figure gathered under the block's source.
struct RealScores {
  std::map<std::string, Score> bySource;  // raw and memory images together
  Score raw, memory;                      // the blocks shown in strips alone, pooled
};

// Each image searched with `table(source)` in use: the table its figures are scored with.
RealScores ScoreReal(const std::vector<RealImage>& images, bool details,
                     const std::function<const finder::DecisionTable&(const std::string&)>& table) {
  RealScores scores;
  for (const RealImage& image : images) {
    const auto strips = [](std::vector<Truth> truths) {
      std::erase_if(truths, [](const Truth& t) { return t.storedWidth == 0; });
      return truths;
    };
    finder::UseDecision(table(image.source));
    const auto found = FindGraphics(image.bytes.data(), std::ssize(image.bytes));
    ScoreImage(found, image.blocks, Judging::kOverlapping, image.source, scores.bySource, details);
    std::map<std::string, Score> pooled;
    ScoreImage(found, strips(image.blocks), Judging::kOverlapping, image.source, pooled, false);
    if (details && !image.memory)
      for (const GraphicsRegion& r : found)
        std::printf("  %s: at %lld, %lld bytes, width %d (%s) masks %d columns %d, %d\n",
                    image.file.c_str(), static_cast<long long>(r.start),
                    static_cast<long long>(r.length), r.width, GraphicsKindName(r.kind),
                    static_cast<int>(r.layout.masks), r.layout.columnHeight, r.confidence);
    (image.memory ? scores.memory : scores.raw).Add(Pooled(pooled));
  }
  finder::UseDecision(finder::FittedDecision());
  return scores;
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

// --evidence OUT [IMAGES]: every run judged in IMAGES (120) images of each maker, tuning
// and held-out seeds of the first, and in the real corpus, with its measures and label.
int WriteAllEvidence(const PlantingMaterial& material, const OtherMaterial& otherMaterial,
                     const fs::path& corpus, const char* path, int images) {
  const auto known = ReadKnownBlocks(corpus);
  std::FILE* out = std::fopen(path, "w");
  if (out == nullptr || !known) {
    std::fprintf(stderr, "graphics_finder_bench: cannot write %s or read the corpus\n", path);
    return 1;
  }
  WriteEvidenceHeader(out);
  for (int i = 0; i < images; ++i) {
    for (const std::uint32_t first : {kTuningSeeds, kHeldOutSeeds}) {
      const std::uint32_t seed = first + static_cast<std::uint32_t>(i);
      const PlantedImage image = MakePlantedImage(material, seed);
      WriteEvidence(out, first == kTuningSeeds ? "first" : "first held-out", std::to_string(seed),
                    "seed " + std::to_string(seed), image.bytes, PlantedTruth(image, seed),
                    &image.fillers);
    }
    for (const std::uint32_t first : {kOtherTrainingSeeds, kOtherSeeds}) {
      const std::uint32_t seed = first + static_cast<std::uint32_t>(i);
      const PlantedImage image = MakeOtherPlantedImage(otherMaterial, seed);
      WriteEvidence(out, first == kOtherSeeds ? "other scored" : "other", std::to_string(seed),
                    "seed " + std::to_string(seed), image.bytes, PlantedTruth(image, seed),
                    &image.fillers);
    }
  }
  for (const RealImage& image : ReadRealImages(*known, corpus))
    WriteEvidence(out, "real", image.source, image.file + (image.memory ? " memory" : ""),
                  image.bytes, image.blocks, nullptr);
  std::fclose(out);
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
  const fs::path corpus = root.parent_path() / "shared" / "data" / "real-spectrum";
  const auto tables = ReadDecisionTables(root / "bench" / "fit" / "tables.tsv");
  if (argc >= 3 && std::strcmp(argv[1], "--evidence") == 0) {
    if (argc >= 5 && tables) finder::UseDecision(TableWithout(*tables, argv[4]));
    return WriteAllEvidence(material, otherMaterial, corpus, argv[2],
                            argc >= 4 ? std::stoi(argv[3]) : 120);
  }
  bool quick = false, details = false, timing = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "--details") == 0) {
      details = true;
    } else if (std::strcmp(argv[i], "--no-timing") == 0) {
      timing = false;
    } else {
      std::fprintf(stderr, "usage: graphics_finder_bench [--quick] [--details] [--no-timing]\n");
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
  const auto known = ReadKnownBlocks(corpus);
  if (!tables || !known) {
    std::fprintf(stderr, "graphics_finder_bench: cannot read bench/fit/tables.tsv or %s\n",
                 corpus.string().c_str());
    return 1;
  }
  // The folds must have been fitted with the table the finder ships, on the same runs.
  const auto shipped = tables->find("all");
  if (shipped == tables->end() || shipped->second.bias != finder::FittedDecision().bias ||
      shipped->second.weights != finder::FittedDecision().weights) {
    std::fprintf(stderr,
                 "graphics_finder_bench: bench/fit/tables.tsv does not hold the finder's table: "
                 "run bench/fit/fit_decision.py\n");
    return 1;
  }
  // The figures with the fitted table, which saw the first maker's tuning images, other images
  // of the second maker and the whole real corpus; and each unseen figure with the table fitted
  // without that maker or that source.
  const int images = quick ? 6 : 120;
  const auto first = [&](std::uint32_t seed) { return MakePlantedImage(material, seed); };
  const auto second = [&](std::uint32_t seed) {
    return MakeOtherPlantedImage(otherMaterial, seed);
  };
  const Score tuning = Pooled(ScorePlanted(first, kTuningSeeds, images, details));
  const Score heldOut = Pooled(ScorePlanted(first, kHeldOutSeeds, images, false));
  const Score otherFitted = Pooled(ScorePlanted(second, kOtherSeeds, images, false));
  finder::UseDecision(TableWithout(*tables, "first"));
  const Score firstUnseen = Pooled(ScorePlanted(first, kHeldOutSeeds, images, false));
  finder::UseDecision(TableWithout(*tables, "other"));
  if (details) std::printf("other generator:\n");
  const Score other = Pooled(ScorePlanted(second, kOtherSeeds, images, details));
  finder::UseDecision(finder::FittedDecision());
  const std::vector<RealImage> realImages = ReadRealImages(*known, corpus);
  const RealScores fitted = ScoreReal(
      realImages,
      false, [&](const std::string&) -> const auto& { return finder::FittedDecision(); });
  const RealScores real = ScoreReal(
      realImages, details, [&](const std::string& source) -> const auto& {
        return TableWithout(*tables, source);
      });
  const Means unseen = MeanOverGroups(real.bySource);
  const Means seen = MeanOverGroups(fitted.bySource);
  const Score all = Pooled(real.bySource);
  if (details)
    for (const auto& [source, s] : real.bySource)
      std::printf(
          "  %-38s %3d blocks, %3d found, %3d starting on a row, layout %d of %d; "
          "%d of %d judged regions false\n",
          source.c_str(), s.blocks, s.found, s.startExact, s.layoutRight, s.laidOut, s.falseRegions,
          s.judged);
  const fs::path converter = root / "build" / "native" / "pelorin-convert";
  const double ratio =
      timing ? FindReadRatio(material, converter, quick ? 4 << 20 : 64 << 20, quick ? 1 : 5) : 0;
  const bool bounded = !timing || SearchHugeFile(converter);
  std::printf(
      "planted images: %d tuning, %d held-out; real blocks: %d raw, %d in memory images "
      "(shown in strips), %d raw and in memory from %zu sources in all\n",
      images, images, real.raw.blocks, real.memory.blocks, all.blocks, real.bySource.size());
  // Every source's figures come from a finder whose weights were fitted without that source,
  // so that the mean over the sources is the figure on sources the weights never saw; the
  // figures pooled over all blocks are printed beside them.
  std::printf(
      "real, all sources pooled: %.1f%% found, %.1f%% of %d judged regions false, "
      "%.1f%% of those found start on a row, layout right for %d of %d\n",
      Percent(all.found, all.blocks), Percent(all.falseRegions, all.judged), all.judged,
      Percent(all.startExact, all.found), all.layoutRight, all.laidOut);
  std::printf("find recall (planted): %.1f%%\n", Percent(tuning.found, tuning.blocks));
  std::printf("find false share (planted): %.1f%%\n", Percent(tuning.falseRegions, tuning.judged));
  std::printf("find recall (planted, held-out): %.1f%%\n", Percent(heldOut.found, heldOut.blocks));
  std::printf("find false share (planted, held-out): %.1f%%\n",
              Percent(heldOut.falseRegions, heldOut.judged));
  std::printf(
      "planted, start on a row: %.1f%% of those found, layout right for %d of %d; "
      "other generator: %.1f%%, layout right for %d of %d\n",
      Percent(tuning.startExact, tuning.found), tuning.layoutRight, tuning.laidOut,
      Percent(other.startExact, other.found), other.layoutRight, other.laidOut);
  std::printf("find recall (planted, held-out, fitted on the other generator): %.1f%%\n",
              Percent(firstUnseen.found, firstUnseen.blocks));
  std::printf("find false share (planted, held-out, fitted on the other generator): %.1f%%\n",
              Percent(firstUnseen.falseRegions, firstUnseen.judged));
  std::printf(
      "other generator with the fitted table: %.1f%% found, %.1f%% false; "
      "real sources with it: %.1f%% found, %.1f%% false\n",
      Percent(otherFitted.found, otherFitted.blocks),
      Percent(otherFitted.falseRegions, otherFitted.judged), seen.recall, seen.falseShare);
  std::printf("find recall (other generator): %.1f%%\n", Percent(other.found, other.blocks));
  std::printf("find false share (other generator): %.1f%%\n",
              Percent(other.falseRegions, other.judged));
  std::printf("find recall (real): %.1f%%\n", Percent(real.raw.found, real.raw.blocks));
  std::printf("find recall (real, memory images): %.1f%%\n",
              Percent(real.memory.found, real.memory.blocks));
  std::printf("find recall (unseen sources): %.1f%%\n", unseen.recall);
  std::printf("find false share (unseen sources): %.1f%%\n", unseen.falseShare);
  std::printf("find start exact (unseen sources): %.1f%%\n", unseen.startExact);
  std::printf("find layout right (unseen sources): %.1f%%\n", unseen.layoutRight);
  std::printf("find/read ratio: %.1f\n", ratio);
  return ratio < 0 || all.blocks == 0 || !bounded ? 1 : 0;
}
