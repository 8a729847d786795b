// memory_image_bench.cpp: loading a 128K .z80 snapshot as memory, decoded and shown, against
// loading a raw file of the image's size, 147,456 bytes; and a step of the View menu through
// a 128K .szx of compressed pages, loaded once, against a step through that raw file. Each
// pair is measured in the same run.
//   memory_image_bench [--quick]
// --quick runs a handful of rounds, enough to show that it works.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>
#include <zlib.h>

#include "screen/pixel_buffer.h"
#include "screen/placement.h"
#include "sprite_file.h"

namespace {

using namespace pelorin;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kBank = 16384;

// Memory as games leave it: stretches of random bytes (code, graphics) between runs of one
// byte (cleared areas), about a third of it runs.
Bytes GameMemory(std::size_t size) {
  std::mt19937 random{2024};
  Bytes bytes(size);
  for (std::size_t i = 0; i < size;) {
    const std::size_t stretch = std::min<std::size_t>(size - i, 64 + random() % 1024);
    const bool run = random() % 3 == 0;
    const auto value = static_cast<std::uint8_t>(random());
    for (std::size_t k = 0; k < stretch; ++k)
      bytes[i + k] = run ? value : static_cast<std::uint8_t>(random());
    i += stretch;
  }
  return bytes;
}

// The .z80 run-length code: runs of five or more (two or more of 0xED) as ED ED n v; the byte
// after a lone 0xED is always written as it is.
Bytes RunLengthCode(const std::uint8_t* in, std::size_t size) {
  Bytes out;
  for (std::size_t i = 0; i < size;) {
    const std::uint8_t v = in[i];
    std::size_t run = 1;
    while (i + run < size && in[i + run] == v && run < 255) ++run;
    if (run >= 5 || (v == 0xED && run >= 2)) {
      out.insert(out.end(), {0xED, 0xED, static_cast<std::uint8_t>(run), v});
      i += run;
      continue;
    }
    out.push_back(v);
    ++i;
    if (v == 0xED && i < size) out.push_back(in[i++]);
  }
  return out;
}

// Version 3, 128K hardware, bank 0 paged at 0xC000, pages 3 to 10 coded.
Bytes Z80Of128K(const Bytes& memory) {
  Bytes file(86, 0);
  file[30] = 54;
  file[34] = 4;
  for (int bank = 0; bank < 8; ++bank) {
    const Bytes coded = RunLengthCode(memory.data() + bank * kBank, kBank);
    file.push_back(static_cast<std::uint8_t>(coded.size()));
    file.push_back(static_cast<std::uint8_t>(coded.size() >> 8));
    file.push_back(static_cast<std::uint8_t>(bank + 3));
    file.insert(file.end(), coded.begin(), coded.end());
  }
  return file;
}

void Append(Bytes& to, std::initializer_list<std::uint8_t> bytes) {
  to.insert(to.end(), bytes);
}

void AppendLittleEndian(Bytes& to, std::uint32_t value, int count) {
  for (int i = 0; i < count; ++i) to.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A 128K machine's .szx: every bank a compressed page chunk, bank 0 paged at 0xC000.
Bytes SzxOf128K(const Bytes& memory) {
  Bytes file = {'Z', 'X', 'S', 'T', 1, 4, 2, 0};
  Append(file, {'S', 'P', 'C', 'R', 8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  for (int bank = 0; bank < 8; ++bank) {
    uLongf size = compressBound(kBank);
    Bytes packed(size);
    compress2(packed.data(), &size, memory.data() + bank * kBank, kBank, Z_BEST_COMPRESSION);
    Append(file, {'R', 'A', 'M', 'P'});
    AppendLittleEndian(file, static_cast<std::uint32_t>(size + 3), 4);
    Append(file, {1, 0, static_cast<std::uint8_t>(bank)});
    file.insert(file.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(size));
  }
  return file;
}

void Write(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

void Fail(const Text&) {
  std::fputs("memory_image_bench: the file could not be loaded\n", stderr);
  std::exit(1);
}

double MicrosecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
      .count();
}

// One load, with the window's switch as given, in microseconds.
double TimedLoad(const fs::path& path, bool asMemory) {
  static PixelBuffer canvas;
  CanvasPainter painter = MemoryPainter(canvas);
  ConverterState state;
  state.readMemoryImages = asMemory;
  state.sourcePath = Utf8ToText(path.string());
  const auto start = std::chrono::steady_clock::now();
  LoadSprite(state, painter, Fail);
  return MicrosecondsSince(start);
}

// A file loaded in the window at width 1, one screen only, ready to be stepped through.
ConverterState Loaded(const fs::path& path, bool asMemory) {
  PixelBuffer canvas;
  CanvasPainter painter = MemoryPainter(canvas);
  ConverterState state;
  state.readMemoryImages = asMemory;
  state.oneScreen = true;
  state.sourcePath = Utf8ToText(path.string());
  LoadSprite(state, painter, Fail);
  return state;
}

// One step of the View menu to `offset`, shown, in microseconds.
double TimedStep(ConverterState& state, std::int64_t offset) {
  static PixelBuffer canvas;
  CanvasPainter painter = MemoryPainter(canvas);
  const auto start = std::chrono::steady_clock::now();
  MoveViewOffset(state, painter, Fail, offset);
  return MicrosecondsSince(start);
}

double Median(std::vector<double> times) {
  std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  const int rounds = quick ? 3 : 301;
  const fs::path folder =
      fs::temp_directory_path() / ("pelorin-memory-bench-" + std::to_string(getpid()));
  fs::create_directories(folder);
  const Bytes memory = GameMemory(8 * kBank);
  Write(folder / "game.z80", Z80Of128K(memory));
  Write(folder / "game.szx", SzxOf128K(memory));
  Write(folder / "game.bin", GameMemory(147456));

  // The two loads alternate, each going first in every other round, so that neither is
  // favoured by what the other left in the caches or by a busy moment of the machine.
  std::vector<double> snapshotTimes, rawTimes;
  for (int round = 0; round <= rounds; ++round) {
    const bool snapshotFirst = round % 2 == 0;
    const double first =
        TimedLoad(folder / (snapshotFirst ? "game.z80" : "game.bin"), snapshotFirst);
    const double second =
        TimedLoad(folder / (snapshotFirst ? "game.bin" : "game.z80"), !snapshotFirst);
    if (round == 0) continue;  // warming up
    snapshotTimes.push_back(snapshotFirst ? first : second);
    rawTimes.push_back(snapshotFirst ? second : first);
  }
  const double snapshot = Median(snapshotTimes);
  const double raw = Median(rawTimes);

  // Screen by screen through both, from the start again after the last, alternating as
  // the loads do.
  ConverterState szx = Loaded(folder / "game.szx", true);
  ConverterState bin = Loaded(folder / "game.bin", false);
  std::vector<double> memoryStepTimes, rawStepTimes;
  for (int round = 0; round <= rounds; ++round) {
    const std::int64_t offset = round * ScreenStep(1) % 147456;
    const bool memoryFirst = round % 2 == 0;
    const double first = TimedStep(memoryFirst ? szx : bin, offset);
    const double second = TimedStep(memoryFirst ? bin : szx, offset);
    if (round == 0) continue;
    memoryStepTimes.push_back(memoryFirst ? first : second);
    rawStepTimes.push_back(memoryFirst ? second : first);
  }
  const double memoryStep = Median(memoryStepTimes);
  const double rawStep = Median(rawStepTimes);
  fs::remove_all(folder);

  std::printf("128K .z80, decoded and shown: %.0f us\n", snapshot);
  std::printf("raw 147,456-byte file, shown: %.0f us\n", raw);
  std::printf("a step through a 128K .szx loaded as memory: %.0f us\n", memoryStep);
  std::printf("a step through the raw file: %.0f us\n", rawStep);
  std::printf("snapshot/raw load ratio: %.2f\n", snapshot / raw);
  std::printf("memory step/raw step ratio: %.2f\n", memoryStep / rawStep);
  return 0;
}
