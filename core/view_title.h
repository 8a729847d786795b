// view_title.h: the window's title, which says what the picture shows: the width and the
// layout, the offset, the graphics found, a located byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "converter_state.h"
#include "screen/layout.h"
#include "platform/text.h"

namespace pelorin {

// "Pelorin,W", then the layout's steps that are on (" masked", or " masks" while they are
// shown; " columns H"), and " @ D ($H)" while the offset is not 0:
// "Pelorin,3 masked columns 24 @ 6912 ($1B00)". The screen layout has no width:
// "Pelorin screen @ 16384 ($4000)".
Text ViewTitle(std::int32_t width, std::int64_t offset, const SpriteLayout& layout = {});

// The title at a region of graphics found: "Pelorin,W @ D ($H) graphics K of N" for the
// region numbered `number` (from 1) of `count`, the rest as ViewTitle shows it; with none
// found, "Pelorin,W graphics none".
Text GraphicsTitle(std::int32_t width, std::int64_t offset, std::size_t number, std::size_t count,
                   const SpriteLayout& layout = {});

// The view's title with the located byte after it, its position and value:
// "Pelorin,2 @ 6912 ($1B00) byte 6953 ($1B29) = $3C", or "... byte none" for none. The
// position is one LocateByte gave for this state.
Text LocatedByteTitle(const ConverterState& state, std::optional<std::int64_t> position);

}  // namespace pelorin
