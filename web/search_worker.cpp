// search_worker.cpp: the graphics finder as the page's search worker runs it, in an instance
// of the core of its own: page.js copies each piece of the bytes in and feeds it, and takes
// the regions out at the end.
#include <emscripten/emscripten.h>

#include <optional>
#include <vector>

#include "analysis/graphics_finder.h"

namespace {

std::optional<pelorin::GraphicsFinder> finder;
std::vector<std::uint8_t> piece;
std::vector<double> regions;  // start, length, width and kind of each region

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void finder_start() {
  finder.emplace(0);
}

// Where the next piece of `size` bytes goes.
EMSCRIPTEN_KEEPALIVE std::uint8_t* finder_piece(int size) {
  piece.resize(static_cast<std::size_t>(size > 0 ? size : 0));
  return piece.data();
}

EMSCRIPTEN_KEEPALIVE void finder_feed() {
  finder->Feed(piece.data(), piece.size());
}

// No more bytes come: how many regions there are, four numbers each at finder_regions.
EMSCRIPTEN_KEEPALIVE int finder_finish() {
  finder->Finish();
  regions.clear();
  for (const pelorin::GraphicsRegion& region : finder->TakeRegions())
    regions.insert(regions.end(),
                   {static_cast<double>(region.start), static_cast<double>(region.length),
                    static_cast<double>(region.width), static_cast<double>(region.kind)});
  finder.reset();
  return static_cast<int>(regions.size() / 4);
}

EMSCRIPTEN_KEEPALIVE const double* finder_regions() {
  return regions.data();
}

}  // extern "C"
