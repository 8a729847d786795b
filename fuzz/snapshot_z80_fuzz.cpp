// snapshot_z80_fuzz.cpp: the .z80 reader over arbitrary bytes, held and read as from a disk.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  const ReadResult read = ReadAll(ReadZ80Image, {data, size});
  CheckSnapshot(read);
  CheckListed(ReadZ80Image, {data, size}, read);
  return 0;
}
