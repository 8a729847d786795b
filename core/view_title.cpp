// view_title.cpp: the window's title.
#include "view_title.h"

#include "typed_number.h"

namespace pelorin {

namespace {

Text LayoutTitle(std::int32_t width, const SpriteLayout& layout) {
  if (layout.screen == ScreenLayout::kSpectrumScreen) return u"Pelorin screen";
  Text title = u"Pelorin," + DecimalText(width);
  if (IsMasked(layout)) title += layout.showMasks ? u" masks" : u" masked";
  if (HasColumns(layout)) title += u" columns " + DecimalText(layout.columnHeight);
  return title;
}

}  // namespace

Text ViewTitle(std::int32_t width, std::int64_t offset, const SpriteLayout& layout) {
  const Text title = LayoutTitle(width, layout);
  return offset == 0 ? title : title + u" @ " + PositionText(offset);
}

Text GraphicsTitle(std::int32_t width, std::int64_t offset, std::size_t number, std::size_t count,
                   const SpriteLayout& layout) {
  if (count == 0) return ViewTitle(width, 0, layout) + u" graphics none";
  return ViewTitle(width, offset, layout) + u" graphics " +
         DecimalText(static_cast<long long>(number)) + u" of " +
         DecimalText(static_cast<long long>(count));
}

Text LocatedByteTitle(const ConverterState& state, std::optional<std::int64_t> position) {
  const Text title = ViewTitle(state.stripWidth, state.viewOffset, state.layout) + u" byte ";
  if (!position) return title + u"none";
  const std::uint8_t value =
      state.spriteData[static_cast<std::size_t>(*position - state.viewOffset)];
  return title + PositionText(*position) + u" = $" + ByteHexText(value);
}

}  // namespace pelorin
