// search_worker.cpp: the graphics finder as the page's search worker runs it, in an instance
// of the core of its own: page.js copies each piece of the bytes in and feeds it, and takes
// the regions out at the end.
#include <emscripten/emscripten.h>

#include <optional>
#include <type_traits>
#include <vector>

#include "analysis/graphics_finder.h"

// The regions go to the page as the bytes they are held in: the page's instance of the same
// core reads them back as they are, whatever a region holds.
static_assert(std::is_trivially_copyable_v<pelorin::GraphicsRegion>);

namespace {

std::optional<pelorin::GraphicsFinder> finder;
std::vector<std::uint8_t> piece;
std::vector<pelorin::GraphicsRegion> regions;

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

// No more bytes come: how many bytes the regions found take at finder_regions.
EMSCRIPTEN_KEEPALIVE int finder_finish() {
  finder->Finish();
  regions = finder->TakeRegions();
  finder.reset();
  return static_cast<int>(regions.size() * sizeof(pelorin::GraphicsRegion));
}

EMSCRIPTEN_KEEPALIVE const pelorin::GraphicsRegion* finder_regions() {
  return regions.data();
}

}  // extern "C"
