// view_offset.h: browsing a file: how far the View commands and the wheel move the view
// offset, and the offsets and heights typed into the View and Layout dialogs.
#pragma once

#include <cstdint>
#include <optional>

#include "converter_state.h"
#include "screen/layout.h"
#include "platform/text.h"

namespace pelorin {

enum class ViewStep {
  kNextScreen,
  kPreviousScreen,
  kNextRow,
  kPreviousRow,
  kNextByte,
  kPreviousByte,
  kStartOfFile,
};

// The offset after the step, for a source of `sourceLength` bytes shown at `width` through
// the layout. Steps move through the stored bytes: a row is the stored bytes of one laid-out
// row, a screen those of what one screen shows (RowStoredStep, ScreenStoredStep); a byte is
// a byte. Backward steps stop at 0; a forward step that would reach or pass the end is
// refused, and the offset stays.
std::int64_t SteppedOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           ViewStep step, const SpriteLayout& layout = {});

// The offset after `notches` turns of the mouse wheel, forward when positive: three Next
// rows each, or one Next screen each `byScreens`, every step within the limits of its item.
std::int64_t WheeledOffset(std::int64_t offset, std::int64_t sourceLength, std::int32_t width,
                           std::int32_t notches, bool byScreens, const SpriteLayout& layout = {});

// The text "Go to offset.." offers: the offset in decimal.
Text DefaultOffsetText(std::int64_t offset);

// The offset an answer of "Go to offset.." asks for (ReadOffset); an offset at or past the
// end goes to the last byte. Nothing for an empty answer (a cancelled dialog) or a wrong
// character: the view stays where it is.
std::optional<std::int64_t> OffsetAnswer(const Text& answer, std::int64_t sourceLength,
                                         const ReportError& reportError);

// The sprite height an answer of "Stored by columns.." asks for, read as offsets are; 0
// turns the columns off, and more than 192 rows is 192. Nothing for an empty answer or a
// wrong character: the layout stays as it is.
std::optional<std::int32_t> ColumnHeightAnswer(const Text& answer, const ReportError& reportError);

}  // namespace pelorin
