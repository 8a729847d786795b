// snapshot_banks.cpp: the placing of RAM banks in a snapshot's memory image.
#include "memory_image/snapshot_banks.h"

#include <algorithm>

namespace pelorin {

namespace {

constexpr int kAddressSlot[8] = {-1, -1, 2, -1, -1, 1, -1, -1};  // bank 5 at 0x4000, 2 at 0x8000

bool ShownInAddressSpace(int bank, int pagedBank) {
  return kAddressSlot[bank] >= 0 || bank == pagedBank;
}

}  // namespace

SnapshotImage::SnapshotImage(SnapshotModel model, int pagedBank, const PlacedBlockSink& placed)
    : model_(model),
      pagedBank_(model == SnapshotModel::k128K ? pagedBank & 7 : 0),
      placed_(placed) {
  std::int64_t size = kAddressSpaceBytes;
  if (model_ == SnapshotModel::k128K)
    for (int bank = 0; bank < 8; ++bank)
      if (!ShownInAddressSpace(bank, pagedBank_)) size += kBankBytes;
  image_.bytes.assign(static_cast<std::size_t>(size), 0);
}

bool SnapshotImage::Has(int bank) const {
  switch (model_) {
    case SnapshotModel::k16K:
      return bank == 5;
    case SnapshotModel::k48K:
      return bank == 5 || bank == 2 || bank == 0;
    case SnapshotModel::k128K:
      return bank >= 0 && bank < 8;
  }
  return false;
}

bool SnapshotImage::Place(int bank, ByteSpan bytes) {
  if (!Has(bank) || bankPlaced_[bank] || bytes.size() != kBankBytes) return false;
  bankPlaced_[bank] = true;
  if (model_ != SnapshotModel::k128K) {
    // A 48K machine's third bank is the one at 0xC000.
    Record(bank, bytes, bank == 0 ? 3 * kBankBytes : kAddressSlot[bank] * kBankBytes);
    return true;
  }
  if (kAddressSlot[bank] >= 0) Record(bank, bytes, kAddressSlot[bank] * kBankBytes);
  if (bank == pagedBank_) Record(bank, bytes, 3 * kBankBytes);
  if (!ShownInAddressSpace(bank, pagedBank_)) {
    std::int64_t position = kAddressSpaceBytes;
    for (int earlier = 0; earlier < bank; ++earlier)
      if (!ShownInAddressSpace(earlier, pagedBank_)) position += kBankBytes;
    Record(bank, bytes, position);
  }
  return true;
}

MemoryImage SnapshotImage::Take() {
  Text missing;
  int count = 0;
  bool anyPlaced = false;
  for (int bank = 0; bank < 8; ++bank) {
    anyPlaced |= bankPlaced_[bank];
    if (!Has(bank) || bankPlaced_[bank]) continue;
    missing += (count++ == 0 ? u"" : u", ") + DecimalText(bank);
  }
  if (!anyPlaced)
    image_.warning = u"no RAM pages: shown as zeros";
  else if (count > 0)
    image_.warning =
        (count == 1 ? u"RAM page " : u"RAM pages ") + missing + u" missing, shown as zeros";
  return std::move(image_);
}

void SnapshotImage::Record(int bank, ByteSpan bytes, std::int64_t position) {
  std::copy(bytes.begin(), bytes.end(), image_.bytes.begin() + position);
  if (placed_) placed_({PlacedBlock::Kind::kBank, bank, {}, kBankBytes, position});
}

}  // namespace pelorin
