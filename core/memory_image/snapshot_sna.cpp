// snapshot_sna.cpp: .sna snapshots. There is no signature: the file's size alone tells a
// 48K snapshot from a 128K one.
#include <algorithm>

#include "memory_image/memory_image.h"
#include "memory_image/snapshot_banks.h"

namespace pelorin {

namespace {

constexpr std::size_t kHeaderBytes = 27;
constexpr std::size_t k48KSize = kHeaderBytes + 3 * kBankBytes;                 // 49,179
constexpr std::size_t k128KExtraBytes = 4;                                      // PC, port, TR-DOS
constexpr std::size_t k128KSize = k48KSize + k128KExtraBytes + 5 * kBankBytes;  // 131,103
constexpr std::size_t k128KTwiceSize = k128KSize + kBankBytes;                  // 147,487

ByteSpan Bank(ByteSpan file, std::size_t offset) {
  return file.subspan(offset, kBankBytes);
}

}  // namespace

ImageRead ReadSnaImage(ByteStream& stream, const PlacedBlockSink& placed, ReadFor) {
  // The whole file, and a byte more to tell a longer one.
  const ByteSpan file = stream.Take(k128KTwiceSize + 1);
  if (file.size() == k48KSize) {
    SnapshotImage image(SnapshotModel::k48K, 0, placed);
    // RAM from 0x4000 to the end, in address order: banks 5, 2 and 0.
    image.Place(5, Bank(file, kHeaderBytes));
    image.Place(2, Bank(file, kHeaderBytes + kBankBytes));
    image.Place(0, Bank(file, kHeaderBytes + 2 * kBankBytes));
    return image.Take();
  }
  if (file.size() != k128KSize && file.size() != k128KTwiceSize)
    return Refusal{u"a length no .sna snapshot has"};

  // Banks 5, 2 and the paged one, the port and the rest in ascending order. When the paged
  // bank is 5 or 2 it is stored twice, and the file is one bank longer. A size that does not
  // fit the port, or a second copy that differs from the first, leaves no way to tell which
  // bytes are the machine's: such a file is refused.
  const int paged = file[k48KSize + 2] & 7;
  const bool storedTwice = paged == 5 || paged == 2;
  if (storedTwice != (file.size() == k128KTwiceSize))
    return Refusal{u"its length does not fit its paging"};
  const std::size_t pagedOffset = kHeaderBytes + 2 * kBankBytes;
  if (storedTwice) {
    const ByteSpan first = Bank(file, kHeaderBytes + (paged == 5 ? 0 : kBankBytes));
    const ByteSpan copy = Bank(file, pagedOffset);
    if (!std::equal(first.begin(), first.end(), copy.begin()))
      return Refusal{u"the second copy of bank " + DecimalText(paged) + u" differs"};
  }
  SnapshotImage image(SnapshotModel::k128K, paged, placed);
  image.Place(5, Bank(file, kHeaderBytes));
  image.Place(2, Bank(file, kHeaderBytes + kBankBytes));
  if (!storedTwice) image.Place(paged, Bank(file, pagedOffset));
  std::size_t offset = k48KSize + k128KExtraBytes;
  for (int bank = 0; bank < 8; ++bank) {
    if (bank == 5 || bank == 2 || bank == paged) continue;
    image.Place(bank, Bank(file, offset));
    offset += kBankBytes;
  }
  return image.Take();
}

}  // namespace pelorin
