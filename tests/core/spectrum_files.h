// spectrum_files.h: snapshots and tapes made in the tests from known memory and blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace pelorin::testing {

using Bytes = std::vector<std::uint8_t>;
using Banks = std::array<Bytes, 8>;  // 16,384 bytes each

// Eight banks of random bytes from the seed, with the runs that coders treat specially:
// runs of 0xED, short and long runs of one byte, and one bank almost all zero.
Banks SampleBanks(std::uint32_t seed);

// A 48K .sna of banks 5, 2 and 0, and a 128K one with `paged` at 0xC000 (stored twice,
// as the format wants, when it is bank 5 or 2).
Bytes Sna48(const Banks& banks);
Bytes Sna128(const Banks& banks, int paged);

// The image a snapshot of these banks must give: the address space with the ROM area zero,
// then for 128K (paged >= 0) the banks not shown there in ascending order.
Bytes SnapshotImageOf(const Banks& banks, int paged);

// A tape block as the ROM saves it: flag, data, checksum.
Bytes TapeBlock(std::uint8_t flag, const Bytes& data);
// The 17 bytes of a standard header's data.
Bytes TapeHeader(int type, const std::string& name, int length, int parameter1, int parameter2);
// Blocks in .tap form: each behind its two-byte length.
Bytes Tap(const std::vector<Bytes>& blocks);

void AppendWord(Bytes& bytes, unsigned value);

}  // namespace pelorin::testing
