// byte_stream.cpp: handing out a file's bytes in order, held or read as asked.
#include "memory_image/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace pelorin {

namespace {

// Bytes read at once beyond what is asked: few reads for many small requests.
constexpr std::int32_t kReadAhead = 64 << 10;
constexpr std::int32_t kLargestRead = 1 << 20;

}  // namespace

void ByteStream::Fill(std::uint64_t count) {
  // What was taken before is given up: the bytes that wait move to the front.
  if (start_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + start_, end_ - start_);
    end_ -= start_;
    start_ = 0;
  }
  // Room for what is asked, made once and kept, but never for more than the file is thought
  // to hold: a length field that promises more costs nothing.
  const std::uint64_t room = std::min<std::uint64_t>(count, end_ + left_) + kReadAhead;
  if (buffer_.size() < room) buffer_.resize(static_cast<std::size_t>(room));
  while (!ended_ && end_ < count) {
    if (end_ == buffer_.size()) buffer_.resize(2 * buffer_.size());  // the file grew since
    const auto wanted =
        static_cast<std::int32_t>(std::min<std::size_t>(buffer_.size() - end_, kLargestRead));
    const std::int64_t delivered = read_(buffer_.data() + end_, wanted);
    failed_ = delivered < 0;
    ended_ = delivered <= 0;
    if (ended_) break;
    end_ += static_cast<std::size_t>(delivered);
    left_ -= std::min<std::uint64_t>(left_, static_cast<std::uint64_t>(delivered));
  }
}

ByteSpan ByteStream::Take(std::uint64_t count) {
  if (!read_) {
    const ByteSpan taken =
        held_.first(static_cast<std::size_t>(std::min<std::uint64_t>(count, held_.size())));
    held_ = held_.subspan(taken.size());
    return taken;
  }
  if (end_ - start_ < count) Fill(count);
  const auto taken = static_cast<std::size_t>(std::min<std::uint64_t>(count, end_ - start_));
  const ByteSpan bytes(buffer_.data() + start_, taken);
  start_ += taken;
  return bytes;
}

bool ByteStream::Skip(std::uint64_t count) {
  if (!read_) {
    const bool whole = count <= held_.size();
    held_ = held_.subspan(whole ? static_cast<std::size_t>(count) : held_.size());
    return whole;
  }
  // Read through a piece at a time: a long block passed over costs no memory.
  while (count > 0) {
    const ByteSpan passed = Take(std::min<std::uint64_t>(count, kLargestRead));
    if (passed.empty()) return false;
    count -= passed.size();
  }
  return true;
}

bool ByteStream::AtEnd() {
  if (!read_) return held_.empty();
  if (end_ == start_) Fill(1);
  return end_ == start_;
}

}  // namespace pelorin
