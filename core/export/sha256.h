// sha256.h: the SHA-256 digest, fed a piece at a time, which names a rip's source.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace pelorin {

class Sha256 {
 public:
  // Hashes `count` blocks of 64 bytes into the state.
  using Blocks = void (*)(std::array<std::uint32_t, 8>& state, const std::uint8_t* blocks,
                          std::size_t count);

  // With the processor's SHA instructions where it has them; the plain code otherwise, or
  // when asked for (the tests compare the two).
  explicit Sha256(bool processorInstructions = true);
  void Update(std::span<const std::uint8_t> bytes);
  // The digest of every byte fed; the object is spent.
  std::array<std::uint8_t, 32> Finish();

 private:
  Blocks blocks_;
  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> pending_{};
  std::size_t pendingCount_ = 0;
  std::uint64_t total_ = 0;  // bytes fed
};

// The digest in 64 lower-case hexadecimal digits, as sha256sum prints it.
std::string DigestHex(const std::array<std::uint8_t, 32>& digest);

}  // namespace pelorin
