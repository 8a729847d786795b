// finder_scoring.h: the finder's regions scored against the blocks known to hold graphics,
// planted or listed in the real corpus: found, starting on a row, in the right layout, and
// the regions that are no graphics.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "analysis/graphics_finder.h"

namespace pelorin {

// A block known to hold graphics, as stored.
struct Truth {
  std::int64_t start;
  std::int64_t length;
  std::int32_t width;        // the width that shows it under its layout
  std::int32_t storedWidth;  // the strip width at which its stored bytes form rows; 0: a screen
  SpriteLayout layout;
  bool layoutKnown;   // false where only the stored width is known
  std::string group;  // what its figures are gathered under: its source, or its kind
  std::string name;   // for the details
};

struct Score {
  int blocks = 0;
  int found = 0;        // a region shows it (Shows)
  int startExact = 0;   // of those found: the region starts on one of its rows
  int laidOut = 0;      // of those found: masked or stored by columns, with the layout known
  int layoutRight = 0;  // of those: the region's layout and width are its own
  int judged = 0;       // regions judged
  int falseRegions = 0;

  void Add(const Score& other);
};

double Percent(std::int64_t part, std::int64_t whole);

// Whether the region shows the block: it covers half of it, or lies half on it when shorter,
// and shows it at its stored width, or under its layout at its width; a screen as a screen.
bool Shows(const GraphicsRegion& region, const Truth& block);

// How false regions are told among the regions of one image.
enum class Judging {
  // Every byte is known: a region is false when less than half of it lies on known blocks.
  kHalfOnBlocks,
  // Only the blocks listed are known: a region is judged where it overlaps one of them, or
  // everywhere in a file that is one known block, and is false when it shows none of them.
  kOverlapping,
};

// Scores the regions of one image against its known blocks, adding to `scores` under each
// block's group; the regions' counts go to the group of the first block they overlap, else to
// `group`. With `details`, each miss and false region is printed.
void ScoreImage(const std::vector<GraphicsRegion>& regions, const std::vector<Truth>& blocks,
                Judging judging, const std::string& group, std::map<std::string, Score>& scores,
                bool details);

// The figures of the groups, each share the mean over the groups that have any cases of it.
struct Means {
  double recall = 0, falseShare = 0, startExact = 0, layoutRight = 0;
};
Means MeanOverGroups(const std::map<std::string, Score>& scores);

// The figures over all the groups' cases together.
Score Pooled(const std::map<std::string, Score>& scores);

}  // namespace pelorin
