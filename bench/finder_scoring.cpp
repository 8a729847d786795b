// finder_scoring.cpp: scoring the finder's regions against known blocks.
#include "finder_scoring.h"

#include <algorithm>

namespace pelorin {

namespace {

std::int64_t Overlap(std::int64_t a, std::int64_t aLength, std::int64_t b, std::int64_t bLength) {
  return std::max<std::int64_t>(0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

bool Covers(const GraphicsRegion& r, const Truth& block) {
  const std::int64_t overlap = Overlap(r.start, r.length, block.start, block.length);
  return 2 * overlap >= block.length || (r.length < block.length && 2 * overlap >= r.length);
}

bool IsScreen(const SpriteLayout& layout) {
  return layout.screen == ScreenLayout::kSpectrumScreen;
}

// The strip width at which the region's stored bytes form rows, as a block's StoredWidth.
std::int32_t StoredWidth(const GraphicsRegion& r) {
  if (IsScreen(r.layout)) return 0;
  return (HasColumns(r.layout) ? 1 : r.width) * static_cast<std::int32_t>(StoredPerLaid(r.layout));
}

bool SameLayout(const GraphicsRegion& r, const Truth& block) {
  return r.layout.masks == block.layout.masks &&
         r.layout.columnHeight == block.layout.columnHeight && r.width == block.width;
}

// The stored bytes the region's rows (a screen, whole sprites by columns) repeat at.
std::int64_t StoredUnit(const GraphicsRegion& r) {
  if (IsScreen(r.layout)) return kScreenBytes;
  const std::int64_t pair = StoredPerLaid(r.layout);
  return HasColumns(r.layout) ? r.width * r.layout.columnHeight * pair : r.width * pair;
}

}  // namespace

void Score::Add(const Score& other) {
  blocks += other.blocks;
  found += other.found;
  startExact += other.startExact;
  laidOut += other.laidOut;
  layoutRight += other.layoutRight;
  judged += other.judged;
  falseRegions += other.falseRegions;
}

double Percent(std::int64_t part, std::int64_t whole) {
  return whole > 0 ? 100.0 * static_cast<double>(part) / static_cast<double>(whole) : 0.0;
}

bool Shows(const GraphicsRegion& r, const Truth& block) {
  if (!Covers(r, block)) return false;
  if (IsScreen(block.layout) || IsScreen(r.layout))
    return IsScreen(block.layout) && IsScreen(r.layout);
  return StoredWidth(r) == block.storedWidth || (block.layoutKnown && SameLayout(r, block));
}

void ScoreImage(const std::vector<GraphicsRegion>& regions, const std::vector<Truth>& blocks,
                Judging judging, const std::string& group, std::map<std::string, Score>& scores,
                bool details) {
  for (const Truth& block : blocks) {
    Score& score = scores[block.group];
    ++score.blocks;
    const auto shown = std::find_if(regions.begin(), regions.end(),
                                    [&](const GraphicsRegion& r) { return Shows(r, block); });
    if (shown == regions.end()) {
      if (details) std::printf("  missed: %s\n", block.name.c_str());
      continue;
    }
    ++score.found;
    const bool exact = (shown->start - block.start) % StoredUnit(*shown) == 0;
    score.startExact += exact;
    if (details && !exact)
      std::printf("  starts off a row: %s, found at %lld\n", block.name.c_str(),
                  static_cast<long long>(shown->start));
    if (block.layoutKnown && (IsMasked(block.layout) || HasColumns(block.layout))) {
      ++score.laidOut;
      const bool right = SameLayout(*shown, block);
      score.layoutRight += right;
      if (details && !right)
        std::printf("  layout wrong: %s, found at width %d, masks %d, columns %d\n",
                    block.name.c_str(), shown->width, static_cast<int>(shown->layout.masks),
                    shown->layout.columnHeight);
    }
  }
  for (const GraphicsRegion& r : regions) {
    std::int64_t on = 0;
    const Truth* first = nullptr;
    bool showsOne = false;
    for (const Truth& block : blocks) {
      const std::int64_t overlap = Overlap(r.start, r.length, block.start, block.length);
      if (overlap == 0) continue;
      on += overlap;
      if (first == nullptr) first = &block;
      showsOne |= Shows(r, block);
    }
    bool judged = true, falsely = false;
    if (judging == Judging::kHalfOnBlocks)
      falsely = 2 * on < r.length;
    else if (first == nullptr)
      judged = false;
    else
      falsely = !showsOne;
    if (!judged) continue;
    Score& score = scores[first != nullptr ? first->group : group];
    ++score.judged;
    score.falseRegions += falsely;
    if (details && falsely)
      std::printf("  false: %s at %lld, %lld bytes, width %d (%s)\n", group.c_str(),
                  static_cast<long long>(r.start), static_cast<long long>(r.length), r.width,
                  GraphicsKindName(r.kind));
  }
}

Means MeanOverGroups(const std::map<std::string, Score>& scores) {
  Means means;
  int recalls = 0, shares = 0, starts = 0, layouts = 0;
  for (const auto& [group, s] : scores) {
    if (s.blocks > 0) means.recall += Percent(s.found, s.blocks), ++recalls;
    if (s.judged > 0) means.falseShare += Percent(s.falseRegions, s.judged), ++shares;
    if (s.found > 0) means.startExact += Percent(s.startExact, s.found), ++starts;
    if (s.laidOut > 0) means.layoutRight += Percent(s.layoutRight, s.laidOut), ++layouts;
  }
  means.recall /= std::max(recalls, 1);
  means.falseShare /= std::max(shares, 1);
  means.startExact /= std::max(starts, 1);
  means.layoutRight /= std::max(layouts, 1);
  return means;
}

Score Pooled(const std::map<std::string, Score>& scores) {
  Score all;
  for (const auto& [group, s] : scores) all.Add(s);
  return all;
}

}  // namespace pelorin
