// two_cores.h: work that falls into two halves independent of each other, done at once on two
// cores where the machine has them. Each half writes only its own results, so what comes out
// is the same however the halves are run.
#pragma once

#include <exception>
#include <system_error>
#include <thread>

namespace pelorin {

// Runs work(0) on this thread and work(1) beside it, and returns when both are done. An
// exception of either half, running out of memory among them, reaches the caller.
template <typename Work>
void OnTwoCores(const Work& work) {
  static const bool two = std::thread::hardware_concurrency() >= 2;
  if (!two) {
    work(0);
    work(1);
    return;
  }
  std::exception_ptr failed;
  std::thread other;
  try {
    other = std::thread([&] {
      try {
        work(1);
      } catch (...) {
        failed = std::current_exception();
      }
    });
  } catch (const std::system_error&) {
    work(1);  // no thread to be had: the second half here, after the first
  }
  try {
    work(0);
  } catch (...) {
    if (other.joinable()) other.join();
    throw;
  }
  if (other.joinable()) other.join();
  if (failed) std::rethrow_exception(failed);
}

}  // namespace pelorin
