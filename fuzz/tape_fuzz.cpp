// tape_fuzz.cpp: the .tap and .tzx readers over the same arbitrary bytes.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pelorin::CheckTape(pelorin::ReadAll(pelorin::ReadTapImage, {data, size}), size);
  pelorin::CheckTape(pelorin::ReadAll(pelorin::ReadTzxImage, {data, size}), size);
  return 0;
}
