// snapshot_banks.h: where a snapshot's RAM banks go in its memory image.
#pragma once

#include <array>

#include "memory_image/memory_image.h"

namespace pelorin {

// The RAM a snapshot can describe. A 16K machine has bank 5 only; a 48K machine banks 5, 2
// and 0 at 0x4000, 0x8000 and 0xC000; a 128K machine banks 0 to 7, paged by port 0x7FFD.
enum class SnapshotModel { k16K, k48K, k128K };

// Gathers the banks of one snapshot into its image. 16K and 48K: the address space. 128K:
// the address space as the port pages it (banks 5, 2 and the paged one), then every bank
// not shown there in ascending order: five, or six when bank 5 or 2 is the paged one, so
// that no bank is ever left out.
class SnapshotImage {
 public:
  // `placed` is told of each place a bank is copied to; it may be empty.
  SnapshotImage(SnapshotModel model, int pagedBank, const PlacedBlockSink& placed);

  // Whether this machine has the bank.
  bool Has(int bank) const;
  // Copies the bank's 16,384 bytes to its places; false when the machine has no such bank
  // or the bank was placed before.
  bool Place(int bank, ByteSpan bytes);
  // The image. A bank the machine has that was never placed is zeros, and the warning
  // names it: "RAM pages 0, 1, 3 missing, shown as zeros", or "no RAM pages: shown as
  // zeros" when none was placed.
  MemoryImage Take();

 private:
  void Record(int bank, ByteSpan bytes, std::int64_t position);

  SnapshotModel model_;
  int pagedBank_;
  const PlacedBlockSink& placed_;
  std::array<bool, 8> bankPlaced_{};
  MemoryImage image_;
};

}  // namespace pelorin
