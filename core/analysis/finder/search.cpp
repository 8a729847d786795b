// search.cpp: the regions of each stretch the first look picked out, and of a whole scan.
#include "analysis/finder/search.h"

#include <algorithm>
#include <atomic>
#include <cmath>

#include "analysis/finder/decision.h"
#include "analysis/finder/first_look.h"
#include "analysis/finder/layouts.h"
#include "analysis/finder/screens.h"
#include "analysis/two_cores.h"

namespace pelorin::finder {

namespace {

constexpr double kConfidenceScore = 40.0;  // the evidence that makes a region 63 in 100 sure
constexpr std::int64_t kCharacterHeight = 8;

// The regions in one stretch that the first look picked out, measured cell by cell.
std::vector<Found> FindInZone(const std::uint8_t* data, std::int64_t available, std::int64_t origin,
                              std::int64_t end, PlaneStore& store, std::vector<JudgedRun>* judged) {
  const std::vector<Cell> cells =
      MeasureCells(MakePlanes(data, available, origin, end, store), origin, end);
  Evidence evidence = Weigh(cells);
  std::vector<Found> found = FindScreens(data, available, origin, cells, evidence);
  // No run of a strip width goes into or across a screen.
  for (const Found& screen : found) {
    const auto first = static_cast<std::size_t>((screen.region.start - origin) / kCell);
    const auto last =
        std::min(evidence.widths.size(),
                 static_cast<std::size_t>(
                     (screen.region.start - origin + kScreenBytes + kCell - 1) / kCell));
    for (std::size_t c = first; c < last; ++c) {
      evidence.widths[c].fill(-1e6f);
      evidence.widths[c][0] = 0;
    }
  }
  // The evidence of the cells measured over a region, at its stored width: a run's bounds may
  // reach a little before the first.
  const auto scoreOf = [&](const GraphicsRegion& region) {
    double score = 0;
    for (std::int64_t c = std::max<std::int64_t>(0, (region.start - origin) / kCell);
         c <
         std::min<std::int64_t>(std::ssize(cells), (region.start + region.length - origin) / kCell);
         ++c)
      score += evidence.widths[static_cast<std::size_t>(c)][region.width];
    return score;
  };
  const auto judge = [&](const GraphicsRegion& region, double score, Judgment& j) {
    Features features;
    const bool kept = JudgeRun(data, cells, evidence, origin, region, score, j, features);
    if (judged != nullptr) judged->push_back({region, features, kept});
    return kept;
  };

  // A region judged: a font at either end of it is a region of its own, and the rest is shown
  // under its layout.
  const auto add = [&](Found f, const Judgment& j) {
    if (f.region.width > 1 && !Masked(j)) {
      for (const bool fromEnd : {false, true}) {
        const std::int64_t font = FontAt(data + f.region.start, f.region.length, fromEnd);
        if (font == 0) continue;
        Found part = f;
        part.region.width = 1;
        part.region.kind = GraphicsKind::kFont;
        part.region.length = font;
        if (fromEnd) part.region.start += f.region.length - font;
        if (!fromEnd) f.region.start += font;
        f.region.length -= font;
        TakeWholeCharacters(data, available, part.region,
                            JudgeCharacters(data + part.region.start, font));
        found.push_back(part);
      }
    }
    f.region.width = SerpentineWidth(data, f.region, Masked(j));
    f.region.kind = KindOf(j, f.region.width);
    if (f.region.kind == GraphicsKind::kFont) TakeWholeCharacters(data, available, f.region, j);
    if (f.region.width > 1) TakeFilledRows(data, available, f.region);
    SetLayout(data, available, j, f.region);
    WholeUnits(f.region);
    found.push_back(f);
  };
  for (const Segment& segment : Divide(evidence.widths)) {
    Found f = BoundRun(data, available, origin, evidence.usual, segment);
    if (f.region.length < 2 * f.region.width) continue;
    f.region.width =
        RowWidth(data, cells, evidence, origin, f.region.start, f.region.length, f.region.width);
    // The smallest graphics are a character, 8 rows high: fewer rows are a piece of something.
    if (f.region.length < kCharacterHeight * f.region.width) continue;
    Judgment j;
    if (!judge(f.region, f.score, j)) {
      // A run that goes on into a table of its width: judged again without the table, on
      // the evidence of what is left.
      const auto [skip, length] =
          WithoutTable(data + f.region.start, f.region.length, f.region.width);
      if (length == f.region.length || length < kColumnRows * f.region.width) continue;
      f.region.start += skip;
      f.region.length = length;
      f.score = scoreOf(f.region);
      if (!judge(f.region, f.score, j)) continue;
    }
    // Masked sprites beside graphics of the same stored width: the stretch of pairs whose mask
    // and graphic share no pixel is a region of its own, and so are the bytes to either side
    // of it that are judged graphics on their own.
    const auto [skip, length] = Masked(j) || f.region.width % 2 != 0
                                    ? std::pair<std::int64_t, std::int64_t>{0, 0}
                                    : MaskedStretch(data + f.region.start, f.region.length);
    if (length == 0) {
      add(f, j);
      continue;
    }
    const std::int64_t end = f.region.start + f.region.length;
    const std::int64_t parts[][2] = {{f.region.start, f.region.start + skip},
                                     {f.region.start + skip, f.region.start + skip + length},
                                     {f.region.start + skip + length, end}};
    for (const auto& [from, to] : parts) {
      Found part = f;
      part.region.start = from;
      part.region.length = to - from;
      if (part.region.length < 2 * part.region.width) continue;
      part.score = scoreOf(part.region);
      Judgment partJudgment;
      if (judge(part.region, part.score, partJudgment)) add(part, partJudgment);
    }
  }
  return found;
}

}  // namespace

std::vector<Found> FindInScan(const std::uint8_t* data, std::int64_t span, std::int64_t available,
                              std::vector<JudgedRun>* judged) {
  // Zones are judged each on its own, the largest first, each core taking the next one left
  // when it is done with its last, so that both finish together; their regions are gathered
  // in the zones' order.
  const std::vector<std::pair<std::int64_t, std::int64_t>> zones =
      Candidates(data, span, available);
  std::vector<std::size_t> order(zones.size());
  for (std::size_t z = 0; z < zones.size(); ++z) order[z] = z;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return zones[a].second - zones[a].first > zones[b].second - zones[b].first;
  });
  std::atomic<std::size_t> next{0};
  std::vector<std::vector<Found>> inZone(zones.size());
  std::vector<std::vector<JudgedRun>> judgedInZone(judged != nullptr ? zones.size() : 0);
  OnTwoCores([&](int) {
    PlaneStore store;
    for (std::size_t i; (i = next.fetch_add(1)) < order.size();)
      inZone[order[i]] = FindInZone(data, available, zones[order[i]].first, zones[order[i]].second,
                                    store, judged != nullptr ? &judgedInZone[order[i]] : nullptr);
  });
  for (const std::vector<JudgedRun>& runs : judgedInZone)
    judged->insert(judged->end(), runs.begin(), runs.end());
  std::vector<Found> all;
  for (const std::vector<Found>& zone : inZone) all.insert(all.end(), zone.begin(), zone.end());
  std::stable_sort(all.begin(), all.end(),
                   [](const Found& a, const Found& b) { return a.region.start < b.region.start; });
  // In order and apart: a region that starts inside the one before keeps only the whole rows
  // that follow it.
  std::vector<Found> found;
  for (Found f : all) {
    const std::int64_t unit = StoredUnit(f.region);
    if (!found.empty()) {
      const GraphicsRegion& before = found.back().region;
      const std::int64_t cut = before.start + before.length;
      if (f.region.start < cut) {
        const std::int64_t skip = (cut - f.region.start + unit - 1) / unit * unit;
        f.region.length -= skip;
        f.region.start += skip;
      }
    }
    // Two rows at least, a screen whole.
    if (f.region.length < std::min<std::int64_t>(2 * unit, kScreenBytes)) continue;
    WholeUnits(f.region);
    f.region.confidence = static_cast<std::int32_t>(
        std::clamp(100.0 * (1 - std::exp(-f.score / kConfidenceScore)), 1.0, 100.0));
    found.push_back(f);
  }
  return found;
}

}  // namespace pelorin::finder
