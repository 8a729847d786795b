// byte_stream.h: a file's bytes handed to a reader in order, from bytes already held or read
// from the file as they are asked for, so that a reader holds no more of it than it uses.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace pelorin {

using ByteSpan = std::span<const std::uint8_t>;

class ByteStream {
 public:
  // Reads up to n bytes into `into`, on from where the last read ended: the count read, 0 at
  // the end of the file, -1 when the read failed.
  using ReadMore = std::function<std::int64_t(std::uint8_t* into, std::int32_t n)>;

  explicit ByteStream(ByteSpan held) : held_(held) {}
  // `expected`: how many bytes the file is thought to hold, so that a large request is made
  // room for once and not grown into; a file that grew since still reads on.
  ByteStream(ReadMore read, std::uint64_t expected) : read_(std::move(read)), left_(expected) {}
  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;

  // The next `count` bytes, or all that are left when fewer are; valid until the next call.
  ByteSpan Take(std::uint64_t count);
  // Passes over the next `count` bytes; false when fewer were left.
  bool Skip(std::uint64_t count);
  // Whether every byte has been taken or passed over.
  bool AtEnd();
  // Whether a read of the file failed: the stream then ended early.
  bool Failed() const { return failed_; }

 private:
  // Reads until `count` bytes wait in the buffer, or the file ends.
  void Fill(std::uint64_t count);

  ByteSpan held_;
  ReadMore read_;
  std::uint64_t left_ = 0;            // bytes the file is still thought to hold
  std::vector<std::uint8_t> buffer_;  // what was read and not yet taken: start_ to end_
  std::size_t start_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;  // the file gave no more
  bool failed_ = false;
};

}  // namespace pelorin
