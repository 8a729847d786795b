// finder_evidence.cpp: the runs the finder judges, labelled against the known blocks.
#include "finder_evidence.h"

#include <algorithm>

#include "analysis/finder/search.h"

namespace pelorin {

namespace {

std::int64_t Overlap(std::int64_t a, std::int64_t aLength, std::int64_t b, std::int64_t bLength) {
  return std::max<std::int64_t>(0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

// What a known block is, for the table: its layout and stored width.
std::string BlockKind(const Truth& block) {
  if (block.storedWidth == 0) return "screen";
  if (HasColumns(block.layout)) return IsMasked(block.layout) ? "masked columns" : "columns";
  if (IsMasked(block.layout)) return "masked";
  return block.storedWidth == 1 ? "width 1" : "rows";
}

}  // namespace

void WriteEvidenceHeader(std::FILE* out) {
  std::fprintf(out, "set\tgroup\timage\tstart\tlength\twidth\tlabel\twhat\tblock\tkept");
  for (const char* name : finder::kFeatureNames) std::fprintf(out, "\t%s", name);

  std::fprintf(out, "\n");
}

void WriteEvidence(std::FILE* out, const std::string& set, const std::string& group,
                   const std::string& image, const std::vector<std::uint8_t>& bytes,
                   const std::vector<Truth>& blocks, const std::vector<FillerSpan>* fillers) {
  std::vector<finder::JudgedRun> judged;
  finder::FindInScan(bytes.data(), std::ssize(bytes), std::ssize(bytes), &judged);
  const bool wholeFile = fillers == nullptr && blocks.size() == 1 && blocks[0].start == 0 &&
                         blocks[0].length >= std::ssize(bytes) - 1;
  for (const Truth& block : blocks)
    std::fprintf(out, "%s\t%s\t%s\t%lld\t%lld\t%d\tblock\t%s\t%lld\t0\n", set.c_str(),
                 group.c_str(), image.c_str(), static_cast<long long>(block.start),
                 static_cast<long long>(block.length), block.storedWidth, BlockKind(block).c_str(),
                 static_cast<long long>(block.start));
  for (const finder::JudgedRun& run : judged) {
    const GraphicsRegion& r = run.region;
    std::int64_t on = 0;
    const Truth* shown = nullptr;
    const Truth* first = nullptr;
    for (const Truth& block : blocks) {
      const std::int64_t overlap = Overlap(r.start, r.length, block.start, block.length);
      if (overlap == 0) continue;
      on += overlap;
      if (first == nullptr) first = &block;
      if (shown == nullptr && Shows(r, block)) shown = &block;
    }
    const char* label = "unknown";
    std::string what = "?";
    if (shown != nullptr) {
      label = "graphics";
      what = BlockKind(*shown);
    } else if (fillers != nullptr && 2 * on >= r.length) {
      label = "wrong";
      what = BlockKind(*first);
    } else if (fillers != nullptr) {
      label = "other";
      const std::int64_t middle = r.start + r.length / 2;
      const auto span = std::find_if(fillers->begin(), fillers->end(), [&](const FillerSpan& f) {
        return middle >= f.start && middle < f.start + f.length;
      });
      if (span != fillers->end()) what = std::string(span->kind);
    } else if (first != nullptr || wholeFile) {
      label = "other";
      if (first != nullptr) what = BlockKind(*first);
    }
    std::fprintf(out, "%s\t%s\t%s\t%lld\t%lld\t%d\t%s\t%s\t%lld\t%d", set.c_str(), group.c_str(),
                 image.c_str(), static_cast<long long>(r.start), static_cast<long long>(r.length),
                 r.width, label, what.c_str(),
                 static_cast<long long>(shown != nullptr ? shown->start : -1), run.kept ? 1 : 0);
    for (const float value : run.features) std::fprintf(out, "\t%.5g", value);

    std::fprintf(out, "\n");
  }
}

}  // namespace pelorin
