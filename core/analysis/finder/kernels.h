// kernels.h: the finder's hot loops, each written plainly and again for the processor's
// vector registers (SSE2, AVX2, AVX-512), and the one table of them chosen for this
// processor. Every set gives the same results as the plain one, bit for bit. WebAssembly
// built with its 128-bit vectors runs the SSE2 set, which the compiler translates to them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "analysis/finder/cells.h"
#include "analysis/finder/first_look.h"

namespace pelorin::finder {

using WidthRow = std::array<float, kStates>;  // a cell's evidence: background, then widths

struct FinderKernels {
  const char* name;
  // The planes of the `n` bytes from `p`: each widened, 0xFF where it holds an edge, a bit
  // for each that is 0; `blank` is cleared beforehand.
  void (*makePlanes)(const std::uint8_t* p, std::size_t n, std::uint8_t* widened,
                     std::uint8_t* edges, std::uint64_t* blank);
  // The cells of the bytes from `first` to `end`, into `cells`.
  void (*measureCells)(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells);
  // The first look at each of `blocks` blocks from `bytes`, into `looks`, which start empty.
  void (*sampleBlocks)(const std::uint8_t* bytes, std::int64_t blocks, Look* looks);
  // The first look's evidence for every width over a window, at `evidence` + w.
  void (*windowEvidences)(const WindowSums& sums, float mean, float root, float* evidence);
  // How far each look's screen lag continues better than its mean, in standard deviations,
  // no lower than -kScreenBlockDoubt.
  void (*screenEvidences)(const Look* looks, std::size_t count, float* evidence);
  // The evidence for each width of a cell whose pairs at every lag are all there, width 0
  // set to 0: (expected - unmatched + contrast * (side - unmatched)) * scale - cost.
  void (*wholeCellWidths)(const Cell& cell, float expected, float scale, float cost, WidthRow& e);
  // The pass forward of the division into runs, entering one costing `entry`: per cell, a
  // bit for each state whether it continued from the cell before, and the best state, the
  // first of equals.
  void (*forward)(const std::vector<WidthRow>& evidence, float entry, std::uint32_t* stayed,
                  std::uint8_t* best);
};

// The set this processor runs, chosen once, at the first use.
const FinderKernels& Kernels();

// Every set this processor can run, the plain one first.
std::vector<const FinderKernels*> KernelsOfThisProcessor();

// From now on searches run on `kernels`, which this processor must have: for comparing the
// sets on whole searches.
void UseKernels(const FinderKernels& kernels);

// The sets, each in its own file; a set takes the plain or a narrower set's kernel where it
// has none of its own.
namespace plain {
void MakePlanes(const std::uint8_t* p, std::size_t n, std::uint8_t* widened, std::uint8_t* edges,
                std::uint64_t* blank);
void MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells);
void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks, Look* looks);
void WindowEvidences(const WindowSums& sums, float mean, float root, float* evidence);
void ScreenEvidences(const Look* looks, std::size_t count, float* evidence);
void WholeCellWidths(const Cell& cell, float expected, float scale, float cost, WidthRow& e);
void Forward(const std::vector<WidthRow>& evidence, float entry, std::uint32_t* stayed,
             std::uint8_t* best);
}  // namespace plain

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define PELORIN_FINDER_X86 1
#endif
#if defined(PELORIN_FINDER_X86) || (defined(__wasm_simd128__) && defined(__SSE2__))
#define PELORIN_FINDER_SSE2 1
// SSE2 with the instruction that counts the bits of a word.
namespace sse2 {
void MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells);
void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks, Look* looks);
void WindowEvidences(const WindowSums& sums, float mean, float root, float* evidence);
void ScreenEvidences(const Look* looks, std::size_t count, float* evidence);
void WholeCellWidths(const Cell& cell, float expected, float scale, float cost, WidthRow& e);
void Forward(const std::vector<WidthRow>& evidence, float entry, std::uint32_t* stayed,
             std::uint8_t* best);
}  // namespace sse2
#endif
#ifdef PELORIN_FINDER_X86
namespace avx2 {
void MakePlanes(const std::uint8_t* p, std::size_t n, std::uint8_t* widened, std::uint8_t* edges,
                std::uint64_t* blank);
void MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells);
void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks, Look* looks);
void WholeCellWidths(const Cell& cell, float expected, float scale, float cost, WidthRow& e);
void Forward(const std::vector<WidthRow>& evidence, float entry, std::uint32_t* stayed,
             std::uint8_t* best);
// Two whole cells from `at`, as MeasureCell has them: the AVX-512 set's narrower step.
void MeasurePair(const Planes& planes, std::int64_t at, Cell* cells);
}  // namespace avx2
// With the instruction that counts the bits of each byte.
namespace avx512 {
void MeasureCells(const Planes& planes, std::int64_t first, std::int64_t end, Cell* cells);
void SampleBlocks(const std::uint8_t* bytes, std::int64_t blocks, Look* looks);
}  // namespace avx512
#endif

}  // namespace pelorin::finder
