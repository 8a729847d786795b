// allocation_failure.cpp: a global operator new that refuses large blocks when asked to.
// Kept in a file of its own so that no caller sees its body.
#include "allocation_failure.h"

#include <cstdlib>
#include <new>

namespace {
bool failLarge = false;
}

namespace pelorin::testing {
void FailLargeAllocations(bool fail) {
  failLarge = fail;
}
}  // namespace pelorin::testing

void* operator new(std::size_t size) {
  if (failLarge && size >= (std::size_t{1} << 20)) throw std::bad_alloc();
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
