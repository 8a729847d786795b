// web_core_bench.cpp: the redraw and the graphics finder timed alone. The same source is built
// natively and, as the page's core is, with emscripten to run under node, so that
// scripts/bench (bench/web_bench.sh) can set one against the other on the same bytes.
//   web_core_bench [--quick] FILE
// Prints "redraw: N ns" (a screen of random bytes at width 8, as core_bench draws it, the
// best of several batches), "find: N ms" (the finder over all of FILE, the best of several
// runs) and "found: N regions, checksum C" of where they lie and how they are shown, which the
// two builds must agree on.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

#include "analysis/graphics_finder.h"
#include "redraw.h"
#include "screen/pixel_buffer.h"

namespace pelorin {
namespace {

double Seconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double BestRedrawSeconds(int batches, int perBatch) {
  ConverterState state;
  std::mt19937 random{12345};
  state.spriteData.resize(6144);
  for (auto& b : state.spriteData) b = static_cast<std::uint8_t>(random());
  state.spriteLength = 6144;
  state.stripWidth = 8;
  PixelBuffer buffer;
  CanvasPainter painter = MemoryPainter(buffer);
  double best = 1e9;
  unsigned sum = 0;  // read back, so that no redraw can be left out
  for (int batch = 0; batch < batches; ++batch) {
    const double start = Seconds();
    for (int i = 0; i < perBatch; ++i) {
      Redraw(state, painter);
      sum += buffer.bytes[static_cast<std::size_t>(i) % buffer.bytes.size()];
    }
    best = std::min(best, (Seconds() - start) / perBatch);
  }
  return sum == 0xFFFFFFFFu ? 0 : best;
}

}  // namespace
}  // namespace pelorin

int main(int argc, char** argv) {
  using namespace pelorin;
  const bool quick = argc == 3 && std::strcmp(argv[1], "--quick") == 0;
  if (argc != 2 && !quick) {
    std::fprintf(stderr, "usage: web_core_bench [--quick] FILE\n");
    return 2;
  }
  std::ifstream in(argv[argc - 1], std::ios::binary);
  const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
  if (!in || bytes.empty()) {
    std::fprintf(stderr, "web_core_bench: cannot read %s\n", argv[argc - 1]);
    return 1;
  }

  std::printf("redraw: %.0f ns\n", BestRedrawSeconds(quick ? 1 : 20, quick ? 50 : 1000) * 1e9);

  double best = 1e9;
  std::vector<GraphicsRegion> regions;
  // Ten runs: node first runs WebAssembly as its quick compiler made it, and only some runs
  // later, and later still on a busy machine, as its optimising compiler did. The page's
  // search worker keeps its core from one search to the next, as this keeps the code.
  for (int run = 0; run < (quick ? 1 : 10); ++run) {
    const double start = Seconds();
    regions = FindGraphics(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    best = std::min(best, Seconds() - start);
  }
  // Where each region lies and how it is shown: its width, kind and layout.
  std::uint64_t checksum = 0;
  for (const GraphicsRegion& r : regions) {
    const SpriteLayout& l = r.layout;
    checksum = checksum * 1000003 + static_cast<std::uint64_t>(r.start) * 31 +
               static_cast<std::uint64_t>(r.length) * 7 + static_cast<std::uint64_t>(r.width);
    checksum = checksum * 131 + static_cast<std::uint64_t>(r.kind) * 37 +
               static_cast<std::uint64_t>(l.masks) * 11 + static_cast<std::uint64_t>(l.screen) * 5 +
               static_cast<std::uint64_t>(l.columnHeight);
  }
  std::printf("find: %.2f ms\n", best * 1e3);
  std::printf("found: %zu regions, checksum %016llx\n", regions.size(),
              static_cast<unsigned long long>(checksum));
  return 0;
}
