// tape_fuzz.cpp: the .tap and .tzx readers over the same arbitrary bytes, held and read as
// from a disk.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  for (const MemoryImageReader reader : {ReadTapImage, ReadTzxImage}) {
    const ReadResult read = ReadAll(reader, {data, size});
    CheckTape(read, size);
    CheckListed(reader, {data, size}, read);
  }
  return 0;
}
