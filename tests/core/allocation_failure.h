// allocation_failure.h: makes large allocations fail on demand, as they would with the
// address space exhausted. Linking allocation_failure.cpp replaces the global operator new.
#pragma once

namespace pelorin::testing {
void FailLargeAllocations(bool fail);
}
