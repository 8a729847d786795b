// width_guess_bench.cpp: how often the width guess is right on drawn sprite files and on
// real ones, and what it costs against loading the same window of bytes.
//
// Drawn files come in two seed sets: the tuning set, which the guess was tuned on, and a
// held-out set that it never was; both are reported, and, on held-out seeds, graphics drawn
// as programs store them (fonts, tile sets, sprites by columns, serpentine rows). Real files are
// the known blocks of real-spectrum/ in the shared data beside the repository (run from the
// repository's root), and Debian's console fonts. With --quick: a few drawn files and few
// repetitions, for a smoke run; the real files are all judged, being few. --kinds adds each
// kind's figures: for the tuning set with the files guessed wrong, for each way of storing,
// and the real cases guessed wrong.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

#include "analysis/width_guess.h"
#include "real_corpus.h"
#include "screen/pixel_buffer.h"
#include "sprite_corpus.h"
#include "sprite_file.h"

namespace pelorin {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kTuningSeeds = 1;
constexpr std::uint32_t kHeldOutSeeds = 7'000'001;  // never looked at while tuning

struct Tally {
  int files = 0;
  int first = 0;
  int topThree = 0;
  int unsure = 0;
};

double Percent(int part, int whole) {
  return whole > 0 ? 100.0 * part / whole : 0.0;
}

Tally Score(std::uint32_t firstSeed, int files, bool details) {
  Tally all;
  Tally kinds[std::size(kSpriteKinds)];
  for (int i = 0; i < files; ++i) {
    const std::uint32_t seed = firstSeed + static_cast<std::uint32_t>(i);
    const SpriteFile file = MakeSpriteFile(seed);
    const WidthGuess guess =
        GuessStripWidth(file.bytes.data(), static_cast<std::int32_t>(file.bytes.size()));
    const bool first = guess.ranked[0] == file.width;
    const bool three =
        std::find(guess.ranked.begin(), guess.ranked.begin() + std::min(guess.count, 3),
                  file.width) != guess.ranked.begin() + std::min(guess.count, 3);
    for (Tally* t : {&all, &kinds[static_cast<int>(file.kind)]}) {
      ++t->files;
      t->first += first;
      t->topThree += three;
      t->unsure += guess.unsure;
    }
    if (details && !first) {
      std::printf("  wrong: seed %u %s width %d, %zu bytes: guessed %d %d %d%s\n", seed,
                  SpriteKindName(file.kind), file.width, file.bytes.size(), guess.ranked[0],
                  guess.ranked[1], guess.ranked[2], guess.unsure ? " (unsure)" : "");
    }
  }
  if (details) {
    for (SpriteKind kind : kSpriteKinds) {
      const Tally& t = kinds[static_cast<int>(kind)];
      std::printf("  %-12s %3d files  top-1 %5.1f%%  top-3 %5.1f%%\n", SpriteKindName(kind),
                  t.files, Percent(t.first, t.files), Percent(t.topThree, t.files));
    }
  }
  return all;
}

// Graphics stored as programs store them, on held-out seeds: how often their width comes
// first, each kind alone, followed by code and followed by sprites of another width.
Tally ScoreStored(int filesEach, bool details) {
  Tally all;
  for (const StoredKind kind : kStoredKinds) {
    for (const Followed followed :
         {Followed::kByNothing, Followed::kByCode, Followed::kByOtherSprites}) {
      Tally one;
      for (int i = 0; i < filesEach; ++i) {
        const SpriteFile file =
            MakeStoredFile(kind, followed, kHeldOutSeeds + static_cast<std::uint32_t>(i));
        const WidthGuess guess =
            GuessStripWidth(file.bytes.data(), static_cast<std::int32_t>(file.bytes.size()));
        for (Tally* t : {&all, &one}) {
          ++t->files;
          t->first += guess.ranked[0] == file.width;
        }
      }
      if (details) {
        std::printf("  %-14s followed by %-13s top-1 %5.1f%%\n", StoredKindName(kind),
                    followed == Followed::kByNothing ? "nothing"
                    : followed == Followed::kByCode  ? "code"
                                                     : "other sprites",
                    Percent(one.first, one.files));
      }
    }
  }
  return all;
}

// A small sprite, 8 to 48 rows of a drawn file on tuning seeds, followed at once by another
// drawn file of another width or by noise as packed data is: how often its own width comes
// first.
Tally ScoreSmallBlocks(int files) {
  Tally tally;
  for (int i = 0; i < files; ++i) {
    const auto seed = kTuningSeeds + 500 + static_cast<std::uint32_t>(i);
    SpriteFile small = MakeSpriteFile(seed);
    if (small.kind == SpriteKind::kMasked || small.kind == SpriteKind::kText) continue;
    const std::size_t rows = 8 + seed % 41;
    small.bytes.resize(std::min(small.bytes.size(), rows * static_cast<std::size_t>(small.width)));
    SpriteFile after = MakeSpriteFile(seed + 100'000);
    if (after.width == small.width) continue;
    if (i % 3 == 0)
      for (std::uint8_t& b : after.bytes) b = static_cast<std::uint8_t>((b * 167 + 13) ^ (b >> 3));
    small.bytes.insert(small.bytes.end(), after.bytes.begin(), after.bytes.end());
    const WidthGuess guess =
        GuessStripWidth(small.bytes.data(), static_cast<std::int32_t>(small.bytes.size()));
    ++tally.files;
    tally.first += guess.ranked[0] == small.width;
  }
  return tally;
}

// How often the guess puts each case's width first, over all cases and, in `bySource`, for
// each source.
Tally ScoreReal(const char* what, const std::vector<RealCase>& cases, bool details,
                std::map<std::string, Tally>* bySource = nullptr) {
  Tally tally;
  for (const RealCase& c : cases) {
    const WidthGuess guess =
        GuessStripWidth(c.bytes.data(), static_cast<std::int32_t>(c.bytes.size()));
    ++tally.files;
    tally.first += guess.ranked[0] == c.width;
    if (bySource) {
      Tally& source = (*bySource)[c.source];
      ++source.files;
      source.first += guess.ranked[0] == c.width;
    }
    if (details && guess.ranked[0] != c.width) {
      std::printf("  wrong: %s %s width %d, %zu bytes: guessed %d %d %d%s\n", what, c.name.c_str(),
                  c.width, c.bytes.size(), guess.ranked[0], guess.ranked[1], guess.ranked[2],
                  guess.unsure ? " (unsure)" : "");
    }
  }
  return tally;
}

// The mean over the sources of each one's share of first guesses right. No constant of the
// guess is set on the real corpus, so that each source is judged by a guess never tuned on it.
double MeanOverSources(const std::map<std::string, Tally>& bySource) {
  double sum = 0;
  for (const auto& [source, tally] : bySource) sum += Percent(tally.first, tally.files);
  return bySource.empty() ? 0 : sum / static_cast<double>(bySource.size());
}

// The largest window there is: every byte that can reach the screen, drawn sprites repeated.
std::vector<std::uint8_t> LargestWindow() {
  std::vector<std::uint8_t> bytes;
  for (std::uint32_t seed = 1; bytes.size() < static_cast<std::size_t>(SpriteReadBound); ++seed) {
    const SpriteFile file = MakeSpriteFile(seed);
    bytes.insert(bytes.end(), file.bytes.begin(), file.bytes.end());
  }
  bytes.resize(static_cast<std::size_t>(SpriteReadBound));
  return bytes;
}

template <typename Work>
double FastestSeconds(int repetitions, Work work) {
  double best = 1e30;
  for (int i = 0; i < repetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  return best;
}

// Guessing over the largest window against loading it, both timed in this one run.
double GuessLoadRatio(int repetitions) {
  const std::vector<std::uint8_t> window = LargestWindow();
  const fs::path path =
      fs::temp_directory_path() / ("pelorin-guess-bench-" + std::to_string(::getpid()));
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(window.data()),
             static_cast<std::streamsize>(window.size()));

  ConverterState state;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  bool failed = false;
  const double load = FastestSeconds(repetitions, [&] {
    state.sourcePath = path.u16string();
    LoadSprite(state, painter, [&](const Text&) { failed = true; });
  });
  fs::remove(path);
  if (failed || state.spriteLength != SpriteReadBound) {
    std::fprintf(stderr, "width_guess_bench: the window could not be loaded\n");
    return -1;
  }
  std::int32_t sink = 0;
  const double guess =
      FastestSeconds(repetitions, [&] { sink += GuessStripWidth(state).ranked[0]; });
  std::printf("load %.3f ms, guess %.3f ms over %d bytes (guessed %d)\n", load * 1e3, guess * 1e3,
              state.spriteLength, sink / repetitions);
  return guess / load;
}

}  // namespace
}  // namespace pelorin

int main(int argc, char** argv) {
  bool quick = false;
  bool details = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--quick") == 0) {
      quick = true;
    } else if (std::strcmp(argv[i], "--kinds") == 0) {
      details = true;
    } else {
      std::fprintf(stderr, "usage: width_guess_bench [--quick] [--kinds]\n");
      return 2;
    }
  }
  using namespace pelorin;
  const auto real =
      ReadRealBlocks(std::filesystem::path("..") / "shared" / "data" / "real-spectrum");
  const auto fonts = ReadConsoleFonts("/usr/share/consolefonts");
  if (!real || !fonts || fonts->empty()) {
    std::fprintf(stderr, "width_guess_bench: %s\n",
                 real ? "no console fonts in /usr/share/consolefonts"
                      : "cannot read ../shared/data/real-spectrum (run from the repository root)");
    return 1;
  }
  std::map<std::string, Tally> atOffsetBySource, aloneBySource;
  const Tally atOffset = ScoreReal("at offset", real->atOffset, details, &atOffsetBySource);
  const Tally alone = ScoreReal("block alone", real->alone, details, &aloneBySource);
  const Tally consoleFonts = ScoreReal("font", *fonts, details);
  const int files = quick ? 14 : 420;
  const Tally tuning = Score(kTuningSeeds, files, details);
  const Tally heldOut = Score(kHeldOutSeeds, files, false);
  const Tally stored = ScoreStored(quick ? 2 : 40, details);
  const Tally small = ScoreSmallBlocks(quick ? 20 : 400);
  const double ratio = GuessLoadRatio(quick ? 3 : 30);
  std::printf("width guess files: %d tuning, %d held-out, %d drawn as programs store them\n",
              tuning.files, heldOut.files, stored.files);
  std::printf("width guess top-1: %.1f%%\n", Percent(tuning.first, tuning.files));
  std::printf("width guess top-3: %.1f%%\n", Percent(tuning.topThree, tuning.files));
  std::printf("width guess top-1 (held-out): %.1f%%\n", Percent(heldOut.first, heldOut.files));
  std::printf("width guess top-3 (held-out): %.1f%%\n", Percent(heldOut.topThree, heldOut.files));
  std::printf("width guess unsure (held-out): %.1f%%\n", Percent(heldOut.unsure, heldOut.files));
  std::printf("width guess top-1 (drawn as programs store them, held-out): %.1f%%\n",
              Percent(stored.first, stored.files));
  std::printf("width guess top-1 (small sprite followed by other data): %.1f%%\n",
              Percent(small.first, small.files));
  std::printf("width guess real cases: %d at offset, %d blocks alone, %d console fonts\n",
              atOffset.files, alone.files, consoleFonts.files);
  std::printf("width guess top-1 (real, at offset): %.1f%%\n",
              Percent(atOffset.first, atOffset.files));
  std::printf("width guess top-1 (real, block alone): %.1f%%\n", Percent(alone.first, alone.files));
  std::printf("width guess top-1 (unseen sources, at offset): %.1f%%\n",
              MeanOverSources(atOffsetBySource));
  std::printf("width guess top-1 (unseen sources, block alone): %.1f%%\n",
              MeanOverSources(aloneBySource));
  std::printf("width guess top-1 (console fonts): %.1f%%\n",
              Percent(consoleFonts.first, consoleFonts.files));
  std::printf("guess/load ratio: %.2f\n", ratio);
  return ratio < 0 ? 1 : 0;
}
