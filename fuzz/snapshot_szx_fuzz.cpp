// snapshot_szx_fuzz.cpp: the .szx reader over arbitrary bytes, zlib streams included.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pelorin::CheckSnapshot(pelorin::ReadAll(pelorin::ReadSzxImage, {data, size}));
  return 0;
}
