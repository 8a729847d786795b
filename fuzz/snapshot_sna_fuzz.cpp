// snapshot_sna_fuzz.cpp: the .sna reader. A .sna is recognised by its size alone, larger
// than a fuzzer's inputs, so the first byte picks a size and the rest fills the file over
// and over.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  if (size < 2) return 0;
  constexpr std::size_t kSizes[] = {49179, 131103, 147487, 49178, 131104, 147486};
  const std::size_t fileSize = kSizes[data[0] % std::size(kSizes)];
  std::vector<std::uint8_t> file(fileSize);
  for (std::size_t i = 0; i < fileSize; ++i) file[i] = data[1 + i % (size - 1)];
  CheckSnapshot(ReadAll(ReadSnaImage, file));
  return 0;
}
