// snapshot_z80_fuzz.cpp: the .z80 reader over arbitrary bytes.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  pelorin::CheckSnapshot(pelorin::ReadAll(pelorin::ReadZ80Image, {data, size}));
  return 0;
}
