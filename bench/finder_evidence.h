// finder_evidence.h: every run the finder judges in an image, with its measures and what it
// lies on, written as a line of a table: the evidence its decision is fitted on.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "finder_scoring.h"
#include "planted_images.h"

namespace pelorin {

// The table's first line: the columns' names.
void WriteEvidenceHeader(std::FILE* out);

// A line for each run judged in the bytes: `set` and `group` say where the image comes from
// (a maker and its seed, or the real corpus and the source), `image` names it. A run is
// `graphics` where it shows a known block, `other` where it lies mostly off them (in a planted
// image, where every byte is known; in a real file, where it overlaps a known block and shows
// none, or anywhere in a file that is one block), `wrong` where it lies on planted blocks at
// another width, and `unknown` in a real file off every known block. `fillers` say what lies
// around the planted blocks.
void WriteEvidence(std::FILE* out, const std::string& set, const std::string& group,
                   const std::string& image, const std::vector<std::uint8_t>& bytes,
                   const std::vector<Truth>& blocks, const std::vector<FillerSpan>* fillers);

}  // namespace pelorin
