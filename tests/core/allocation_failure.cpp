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
// The library's temporary buffers come from this one and go back through the delete below:
// both halves must be ours, or a sanitizer sees memory freed by the wrong hand.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (failLarge && size >= (std::size_t{1} << 20)) return nullptr;
  return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
