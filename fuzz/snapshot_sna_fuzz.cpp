// snapshot_sna_fuzz.cpp: the .sna reader. A .sna is recognised by its size alone, larger
// than a fuzzer's inputs, so the first byte picks a size and the rest fills the file over
// and over.
#include "memory_image_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace pelorin;
  if (size < 2) return 0;
  constexpr std::size_t kSizes[] = {49179, 131103, 147487, 49178, 131104, 147486};
  const std::size_t fileSize = kSizes[data[0] % std::size(kSizes)];
  // The input, then what is filled so far copied after it, doubling: few steps, however short.
  std::vector<std::uint8_t> file(fileSize);
  std::size_t filled = std::min(fileSize, size - 1);
  std::copy_n(data + 1, filled, file.begin());
  while (filled < fileSize) {
    const std::size_t count = std::min(filled, fileSize - filled);
    std::copy_n(file.begin(), count, file.begin() + filled);
    filled += count;
  }
  const ReadResult read = ReadAll(ReadSnaImage, file);
  CheckSnapshot(read);
  CheckListed(ReadSnaImage, file, read);
  return 0;
}
