// fuzz_check.h: the fuzzers' one way to fail: abort, so that the fuzzer keeps the input.
#pragma once

#include <cstdlib>

namespace pelorin {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace pelorin
