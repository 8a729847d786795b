// spectrum_files.cpp: the snapshots and tapes the memory image tests read.
#include "spectrum_files.h"

#include <algorithm>

#include "test_support.h"

namespace pelorin::testing {

namespace {
constexpr std::size_t kBank = 16384;
}

Banks SampleBanks(std::uint32_t seed) {
  Banks banks;
  for (int bank = 0; bank < 8; ++bank) {
    banks[bank] = RandomBytes(kBank, seed * 8 + bank);
    Bytes& b = banks[bank];
    std::fill_n(b.begin() + 100, 300, 0xED);  // longer than one coded run
    std::fill_n(b.begin() + 1000, 2, 0xED);   // the shortest coded run of 0xED
    std::fill_n(b.begin() + 2000, 5, 0x41);   // the shortest coded run of another byte
    std::fill_n(b.begin() + 3000, 4, 0x41);   // one byte short of a run
    b[4000] = 0xED;                           // a lone 0xED before a run
    std::fill_n(b.begin() + 4001, 6, 0x00);
    b.back() = 0xED;  // a lone 0xED at the very end
  }
  std::fill(banks[seed % 2 == 0 ? 7 : 0].begin() + 16, banks[seed % 2 == 0 ? 7 : 0].end(), 0);
  return banks;
}

namespace {

Bytes SnaHeader() {
  Bytes header(27, 0);
  header[23] = 0x00;  // SP 0xFF00: a 48K file's PC is read from there
  header[24] = 0xFF;
  header[25] = 1;  // interrupt mode
  header[26] = 2;  // border
  return header;
}

}  // namespace

Bytes Sna48(const Banks& banks) {
  Bytes file = SnaHeader();
  for (int bank : {5, 2, 0}) file.insert(file.end(), banks[bank].begin(), banks[bank].end());
  return file;
}

Bytes Sna128(const Banks& banks, int paged) {
  Bytes file = SnaHeader();
  for (int bank : {5, 2, paged}) file.insert(file.end(), banks[bank].begin(), banks[bank].end());
  AppendWord(file, 0x8000);                                 // PC
  file.push_back(static_cast<std::uint8_t>(paged | 0x10));  // port 0x7FFD: bank, ROM 1
  file.push_back(0);                                        // TR-DOS not paged
  for (int bank = 0; bank < 8; ++bank)
    if (bank != 5 && bank != 2 && bank != paged)
      file.insert(file.end(), banks[bank].begin(), banks[bank].end());
  return file;
}

Bytes SnapshotImageOf(const Banks& banks, int paged) {
  Bytes image(kBank, 0);
  for (int bank : {5, 2, paged < 0 ? 0 : paged})
    image.insert(image.end(), banks[bank].begin(), banks[bank].end());
  if (paged < 0) return image;
  for (int bank = 0; bank < 8; ++bank)
    if (bank != 5 && bank != 2 && bank != paged)
      image.insert(image.end(), banks[bank].begin(), banks[bank].end());
  return image;
}

Bytes TapeBlock(std::uint8_t flag, const Bytes& data) {
  Bytes block(data.size() + 2, flag);
  std::copy(data.begin(), data.end(), block.begin() + 1);
  block.back() = 0;
  for (std::size_t i = 0; i + 1 < block.size(); ++i) block.back() ^= block[i];
  return block;
}

Bytes TapeHeader(int type, const std::string& name, int length, int parameter1, int parameter2) {
  Bytes header(11, ' ');
  header[0] = static_cast<std::uint8_t>(type);
  std::copy(name.begin(), name.end(), header.begin() + 1);
  AppendWord(header, length);
  AppendWord(header, parameter1);
  AppendWord(header, parameter2);
  return header;
}

Bytes Tap(const std::vector<Bytes>& blocks) {
  Bytes file;
  for (const Bytes& block : blocks) {
    AppendWord(file, static_cast<unsigned>(block.size()));
    file.insert(file.end(), block.begin(), block.end());
  }
  return file;
}

void AppendWord(Bytes& bytes, unsigned value) {
  bytes.push_back(static_cast<std::uint8_t>(value));
  bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

}  // namespace pelorin::testing
