// snapshot_szx_fuzz.cpp: the .szx reader over arbitrary bytes, held and read as from a disk.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  const ReadResult read = ReadAll(ReadSzxImage, {data, size});
  CheckSnapshot(read);
  CheckListed(ReadSzxImage, {data, size}, read);
  return 0;
}
