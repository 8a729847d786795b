// core_bench.cpp: how fast the core redraws and loads, each set against a yardstick measured
// in the same run: a copy of the canvas buffer, and a small file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "screen/pixel_buffer.h"
#include "redraw.h"
#include "sprite_file.h"

namespace pelorin {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> RandomBytes(std::size_t count) {
  std::mt19937 random{12345};
  std::vector<std::uint8_t> bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

void RedrawRepeatedly(benchmark::State& run, std::vector<std::uint8_t> sprite, int width,
                      const SpriteLayout& layout = {}) {
  ConverterState state;
  state.spriteLength = static_cast<std::int32_t>(sprite.size());
  state.spriteData = std::move(sprite);
  state.stripWidth = width;
  state.layout = layout;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  for (auto _ : run) {
    Redraw(state, painter);
    benchmark::DoNotOptimize(buffer.bytes.data());
    benchmark::ClobberMemory();
  }
}

// Random pixels, so that neither the ink/paper choice nor the colour can be predicted: the
// worst case for the painting loop.
void BM_Redraw(benchmark::State& run) {
  RedrawRepeatedly(run, RandomBytes(6144), 8);
}
BENCHMARK(BM_Redraw);

// Random attributes too: at width 1 the last strips spill over the attribute area.
void BM_RedrawRandomAttributes(benchmark::State& run) {
  RedrawRepeatedly(run, RandomBytes(SpriteReadBound), 1);
}
BENCHMARK(BM_RedrawRandomAttributes);

// Both rearranging steps on the same picture: a screen of masked sprites 24 rows high,
// stored column by column, pairs of random bytes.
void BM_RedrawMaskedColumns(benchmark::State& run) {
  const SpriteLayout layout{ScreenLayout::kStrips, MaskOrder::kGraphicFirst, false, 24};
  RedrawRepeatedly(run, RandomBytes(2 * 6144), 8, layout);
}
BENCHMARK(BM_RedrawMaskedColumns);

// The same steps over every byte that can reach the screen at width 1, where the far
// strips spill over the attributes.
void BM_RedrawMaskedColumnsWholeWindow(benchmark::State& run) {
  const SpriteLayout layout{ScreenLayout::kStrips, MaskOrder::kGraphicFirst, false, 24};
  RedrawRepeatedly(run, RandomBytes(StoredReadBound(layout)), 1, layout);
}
BENCHMARK(BM_RedrawMaskedColumnsWholeWindow);

// The yardstick: one copy of the 147,456-byte canvas buffer.
void BM_CopyCanvas(benchmark::State& run) {
  PixelBuffer from, to;
  for (auto _ : run) {
    std::memcpy(to.bytes.data(), from.bytes.data(), from.bytes.size());
    benchmark::DoNotOptimize(to.bytes.data());
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_CopyCanvas);

// Placement alone stops once no later byte can land: its time must not grow with the
// length past the visible prefix.
void BM_PlaceSprite(benchmark::State& run) {
  ConverterState state;
  state.spriteData.assign(static_cast<std::size_t>(run.range(0)), 0x5A);
  state.spriteLength = static_cast<std::int32_t>(run.range(0));
  for (auto _ : run) {
    PlaceSprite(state);
    benchmark::DoNotOptimize(state.screen.data());
  }
}
BENCHMARK(BM_PlaceSprite)->Arg(6144)->Arg(SpriteReadBound)->Arg(64 << 20);

class SpriteFiles {
 public:
  SpriteFiles()
      : folder_(fs::temp_directory_path() / ("pelorin-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(folder_);
    const std::vector<std::uint8_t> bytes = RandomBytes(64 << 10);
    std::ofstream(small(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    std::ofstream(huge(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    fs::resize_file(huge(), std::uintmax_t{4} << 30);  // sparse: costs no disk
  }
  ~SpriteFiles() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }
  fs::path small() const { return folder_ / "small.bin"; }
  fs::path huge() const { return folder_ / "huge.bin"; }

 private:
  fs::path folder_;
};

const SpriteFiles& Files() {
  static const SpriteFiles files;
  return files;
}

void LoadAndRedraw(benchmark::State& run, const fs::path& path) {
  ConverterState state;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  bool failed = false;
  const ReportError report = [&](const Text&) { failed = true; };
  for (auto _ : run) {
    state.sourcePath = path.u16string();
    LoadSprite(state, painter, report);
    benchmark::DoNotOptimize(buffer.bytes.data());
  }
  if (failed) run.SkipWithError("the file could not be read");
  run.counters["sprite_bytes"] = state.spriteLength;
}

void BM_Load4GiB(benchmark::State& run) {
  LoadAndRedraw(run, Files().huge());
}
void BM_Load64KiB(benchmark::State& run) {
  LoadAndRedraw(run, Files().small());
}
BENCHMARK(BM_Load4GiB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Load64KiB)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration, for the ratios printed at the end.
class RecordingReporter : public benchmark::ConsoleReporter {
 public:
  RecordingReporter() : ConsoleReporter(isatty(1) ? OO_Defaults : OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred)
        seconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> seconds;
};

}  // namespace
}  // namespace pelorin

int main(int argc, char** argv) {
  // --quick: every benchmark once, briefly, to prove that it still runs.
  std::vector<char*> arguments(argv, argv + argc);
  char quickTime[] = "--benchmark_min_time=0.001";
  for (char*& argument : arguments)
    if (std::strcmp(argument, "--quick") == 0) argument = quickTime;
  argc = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  benchmark::Initialize(&argc, arguments.data());
  pelorin::RecordingReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  auto& t = reporter.seconds;
  const auto ratio = [&](const char* a, const char* b) {
    return t.count(a) && t.count(b) && t[b] > 0 ? t[a] / t[b] : -1.0;
  };
  std::printf("redraw/memcpy ratio: %.1f\n", ratio("BM_Redraw", "BM_CopyCanvas"));
  std::printf("redraw/memcpy ratio (masked, columns): %.1f\n",
              ratio("BM_RedrawMaskedColumns", "BM_CopyCanvas"));
  std::printf("load 4GiB/64KiB ratio: %.2f\n", ratio("BM_Load4GiB", "BM_Load64KiB"));
  benchmark::Shutdown();
}
