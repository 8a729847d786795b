// kernels.cpp: the sets of the finder's hot loops, and the one look at the processor that
// chooses among them.
#include "analysis/finder/kernels.h"

#include <atomic>

namespace pelorin::finder {

namespace {

constexpr FinderKernels kPlain{"plain",
                               plain::MakePlanes,
                               plain::MeasureCells,
                               plain::SampleBlocks,
                               plain::WindowEvidences,
                               plain::ScreenEvidences,
                               plain::WholeCellWidths,
                               plain::Forward};
#ifdef PELORIN_FINDER_SSE2
constexpr FinderKernels kSse2{"SSE2",
                              plain::MakePlanes,
                              sse2::MeasureCells,
                              sse2::SampleBlocks,
                              sse2::WindowEvidences,
                              sse2::ScreenEvidences,
                              sse2::WholeCellWidths,
                              sse2::Forward};
#endif
#ifdef PELORIN_FINDER_X86
constexpr FinderKernels kAvx2{"AVX2",
                              avx2::MakePlanes,
                              avx2::MeasureCells,
                              avx2::SampleBlocks,
                              sse2::WindowEvidences,
                              sse2::ScreenEvidences,
                              avx2::WholeCellWidths,
                              avx2::Forward};
constexpr FinderKernels kAvx512{"AVX-512",
                                avx2::MakePlanes,
                                avx512::MeasureCells,
                                avx512::SampleBlocks,
                                sse2::WindowEvidences,
                                sse2::ScreenEvidences,
                                avx2::WholeCellWidths,
                                avx2::Forward};
#endif

// The sets the processor has, the widest last. Neither Windows nor Linux build may assume
// more than the plain one's instructions: the processor is asked once. WebAssembly built
// with vectors does not start without them, so its SSE2 set is there whenever it runs.
std::vector<const FinderKernels*> Available() {
  std::vector<const FinderKernels*> sets{&kPlain};
#if defined(PELORIN_FINDER_SSE2) && !defined(PELORIN_FINDER_X86)
  sets.push_back(&kSse2);
#endif
#ifdef PELORIN_FINDER_X86
  __builtin_cpu_init();
  if (__builtin_cpu_supports("sse2") == 0 || __builtin_cpu_supports("popcnt") == 0) return sets;
  sets.push_back(&kSse2);
  if (__builtin_cpu_supports("avx2") == 0) return sets;
  sets.push_back(&kAvx2);
  if (__builtin_cpu_supports("avx512f") != 0 && __builtin_cpu_supports("avx512bw") != 0 &&
      __builtin_cpu_supports("avx512vl") != 0 && __builtin_cpu_supports("avx512bitalg") != 0)
    sets.push_back(&kAvx512);
#endif
  return sets;
}

const std::vector<const FinderKernels*>& Sets() {
  static const std::vector<const FinderKernels*> sets = Available();
  return sets;
}

std::atomic<const FinderKernels*> chosen{nullptr};

}  // namespace

const FinderKernels& Kernels() {
  const FinderKernels* kernels = chosen.load(std::memory_order_relaxed);
  if (kernels == nullptr) {
    kernels = Sets().back();
    chosen.store(kernels, std::memory_order_relaxed);
  }
  return *kernels;
}

std::vector<const FinderKernels*> KernelsOfThisProcessor() {
  return Sets();
}

void UseKernels(const FinderKernels& kernels) {
  chosen.store(&kernels, std::memory_order_relaxed);
}

}  // namespace pelorin::finder
