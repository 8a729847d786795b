// page_commands.cpp: the page's commands on the document, each doing what the window's menu
// item, key or click does, and leaving the title the window leaves; called by page.js.
// The files handed in live in the in-memory file system of the page's script, where the
// core's POSIX platform layer reads them as it reads files natively.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "analysis/graphics_finder.h"
#include "colour_entry.h"
#include "export/export_names.h"
#include "export_source.h"
#include "locate_byte.h"
#include "memory_image_file.h"
#include "redraw.h"
#include "screen/pixel_buffer.h"
#include "sprite_file.h"
#include "view_offset.h"
#include "view_title.h"

namespace pelorin {

namespace {

// "Find graphics", "Next graphics" and "Previous graphics", in the order page.js numbers them.
enum class GraphicsMove { kFind, kNext, kPrevious };

// The layout choices of the page's one select, in the order page.js numbers them: the
// converter's strips, screen, mask-first and graphic-first.
enum class LayoutChoice { kStrips, kScreen, kMaskFirst, kGraphicFirst };

// Everything the page keeps, as the window's shell keeps it.
struct Page {
  ConverterState state;
  PixelBuffer picture;  // what the canvas shows, painted by the core's redraws
  CanvasPainter painter = MemoryPainter(picture);
  Text title = u"Pelorin";
  Text message;  // the errors of the last command, for the page's message line
  bool byteInTitle = false;
  bool graphicsSearched = false;
  std::vector<GraphicsRegion> graphics;
  std::optional<std::size_t> landed;   // the region found that the view was last moved to
  std::vector<GraphicsRegion> found;   // what the search under way has handed back
  std::vector<std::uint8_t> rgba;      // the picture as the canvas takes it
  std::vector<std::uint8_t> exported;  // the last export's bytes, for its download
  Text exportName;                     // and the name the window suggests for them
  std::string text;                    // the last text handed to page.js, in UTF-8
};

Page page;

void Report(const Text& message) {
  if (!page.message.empty()) page.message += u'\n';
  page.message += message;
}

const ReportError kReport = Report;

bool Loaded() {
  return !page.state.sourcePath.empty();
}

void ShowViewTitle() {
  const ConverterState& state = page.state;
  page.title = ViewTitle(state.stripWidth, state.viewOffset, state.layout);
  page.byteInTitle = false;
}

// Every command but a click on the picture starts so: the last errors go, and a located byte
// leaves the title, as the window's next command takes it out.
void BeginCommand() {
  page.message.clear();
  if (page.byteInTitle) ShowViewTitle();
}

void ForgetGraphics() {
  page.graphicsSearched = false;
  page.graphics.clear();
  page.landed.reset();
}

// Shows the file from `offset` on. When it cannot be read there, the picture and the title
// stay as they were.
void MoveView(std::int64_t offset) {
  if (MoveViewOffset(page.state, page.painter, kReport, offset)) ShowViewTitle();
}

// The width as if the scrollbar had moved there: the title always names it.
void SetWidth(std::int32_t width) {
  page.state.stripWidth = std::clamp(width, kMinStripWidth, kMaxStripWidth);
  ShowViewTitle();
  Redraw(page.state, page.painter);
}

// The bytes are taken again from the same offset; when they cannot be read, the picture and
// the title stay as they were.
void ShowLayout() {
  ConverterState& state = page.state;
  if (Loaded() && !MoveViewOffset(state, page.painter, kReport, state.viewOffset)) return;
  ShowViewTitle();
}

// A region found: from its start, through the layout the finder saw (masks and their order,
// columns and their height, or a Spectrum screen), at the width that shows it under that
// layout, one screen only, and the title says which of them it is.
void ShowGraphics(std::size_t index) {
  ConverterState& state = page.state;
  const GraphicsRegion& region = page.graphics[index];
  state.layout = region.layout;
  state.stripWidth = region.width;
  state.oneScreen = true;
  if (!MoveViewOffset(state, page.painter, kReport, region.start)) return;
  page.title =
      GraphicsTitle(region.width, region.start, index + 1, page.graphics.size(), state.layout);
  page.byteInTitle = false;
  page.landed = index;
}

// Among the regions found: the first at or after the offset for "Find graphics", the first
// after it for "Next", the last before it for "Previous", going round at the ends.
void MoveAmongGraphics(GraphicsMove move) {
  const ConverterState& state = page.state;
  const std::vector<GraphicsRegion>& graphics = page.graphics;
  if (graphics.empty()) {
    page.title = GraphicsTitle(state.stripWidth, state.viewOffset, 0, 0, state.layout);
    return;
  }
  const std::int64_t offset = state.viewOffset;
  std::size_t index = 0;
  if (move == GraphicsMove::kPrevious) {
    index = graphics.size() - 1;
    for (std::size_t i = 0; i < graphics.size() && graphics[i].start < offset; ++i) index = i;
  } else {
    const bool at = move == GraphicsMove::kFind;
    for (std::size_t i = graphics.size(); i-- > 0;)
      if (graphics[i].start > offset || (at && graphics[i].start == offset)) index = i;
  }
  ShowGraphics(index);
}

// "Export.." in the form chosen: the region's bytes in that form, kept for the download, and
// the name the window suggests for them. Nothing kept, and said in the window's words, when
// the region is empty, its bytes can no longer be read or its form cannot be made.
void ExportRegionForm(ExportForm form) {
  const ConverterState& state = page.state;
  const GraphicsRegion* landed =
      page.landed && *page.landed < page.graphics.size() ? &page.graphics[*page.landed] : nullptr;
  const ExportRegion region = ExportRegionOf(state, landed);
  const Text source = SourceFileName(state.sourcePath);
  if (region.length == 0) {
    Report(source + u": nothing at " + DecimalText(region.start));
    return;
  }
  const auto bytes = ReadExportBytes(state, region);
  if (!bytes) {
    Report(u"error reading\n" + state.sourcePath);
    return;
  }
  page.exportName = ExportFileName(source, region, form);
  page.exported = ExportFormBytes(*bytes, region, form, state.fillAttribute, source);
  if (page.exported.empty()) Report(u"error writing\n" + page.exportName);
}

const char* Handed(const Text& text) {
  page.text = TextToUtf8(text);
  return page.text.c_str();
}

}  // namespace

}  // namespace pelorin

using namespace pelorin;

extern "C" {

// Paints the canvas black, as the window's is before anything is loaded.
EMSCRIPTEN_KEEPALIVE void page_start() {
  BeginPainting(page.painter);
  FillRectangle(page.painter.painting, 0, 0, kScreenWidth, kScreenHeight, 0);
  EndPainting(page.painter);
}

// A command that changes nothing in the document (zoom, help): only what every command does.
EMSCRIPTEN_KEEPALIVE void page_command() {
  BeginCommand();
}

// The file chooser opens: as "Open..", what was found goes, even if nothing is chosen.
EMSCRIPTEN_KEEPALIVE void page_open() {
  BeginCommand();
  ForgetGraphics();
}

// The chooser was cancelled: as in the window, the loaded file is forgotten (Save and the
// steps then do nothing), and the picture stays.
EMSCRIPTEN_KEEPALIVE void page_forget_file() {
  page.state.sourcePath.clear();
}

// Loads the file of that name, chosen or dropped, from its start, as the window loads a file
// it is given: a snapshot or tape that is none is shown as its own bytes with the memory
// switch off, and pages a snapshot left out are told. A title that named an offset into the
// last file goes back to the width alone; unmoved, it stays as it was.
EMSCRIPTEN_KEEPALIVE void page_load(const char* name) {
  BeginCommand();
  ConverterState& state = page.state;
  const std::int64_t offsetBefore = state.viewOffset;
  ForgetGraphics();
  state.sourcePath = Utf8ToText(name);
  LoadGivenFile(state, page.painter, kReport, kReport);
  if (offsetBefore != 0 && state.viewOffset == 0) ShowViewTitle();
}

// The width scrollbar moved to `width`.
EMSCRIPTEN_KEEPALIVE void page_width(int width) {
  BeginCommand();
  SetWidth(width);
}

// "Wider" (1) and "Narrower" (-1): as a click on the scrollbar's arrows, even at either end.
EMSCRIPTEN_KEEPALIVE void page_widen(int step) {
  BeginCommand();
  SetWidth(page.state.stripWidth + step);
}

EMSCRIPTEN_KEEPALIVE void page_guess_width() {
  BeginCommand();
  if (Loaded()) SetWidth(GuessStripWidth(page.state).ranked[0]);
}

// One of the View menu's steps, numbered as ViewStep.
EMSCRIPTEN_KEEPALIVE void page_step(int step) {
  BeginCommand();
  const ConverterState& state = page.state;
  if (!Loaded() || step < 0 || step > static_cast<int>(ViewStep::kStartOfFile)) return;
  MoveView(SteppedOffset(state.viewOffset, state.sourceLength, state.stripWidth,
                         static_cast<ViewStep>(step), state.layout));
}

// Notches of the wheel over the picture, towards the user when positive.
EMSCRIPTEN_KEEPALIVE void page_wheel(int notches, int byScreens) {
  BeginCommand();
  const ConverterState& state = page.state;
  if (!Loaded() || notches == 0) return;
  MoveView(WheeledOffset(state.viewOffset, state.sourceLength, state.stripWidth, notches,
                         byScreens != 0, state.layout));
}

// "Go to offset..": the typed offset, or nothing for a wrong character.
EMSCRIPTEN_KEEPALIVE void page_go_to(const char* typed) {
  BeginCommand();
  if (!Loaded()) return;
  if (const auto offset = OffsetAnswer(Utf8ToText(typed), page.state.sourceLength, kReport))
    MoveView(*offset);
}

// "Fill with color..": what the colour dialog takes.
EMSCRIPTEN_KEEPALIVE void page_colour(const char* typed) {
  BeginCommand();
  ApplyColourAnswer(page.state, Utf8ToText(typed), page.painter, kReport);
}

// "Stored by columns..": the sprite height, 0 for none; an empty answer changes nothing.
EMSCRIPTEN_KEEPALIVE void page_columns(const char* typed) {
  BeginCommand();
  const auto height = ColumnHeightAnswer(Utf8ToText(typed), kReport);
  if (!height) return;
  page.state.layout.columnHeight = *height;
  ShowLayout();
}

// The layout select; the Spectrum screen takes no masks, as the converter's --layout screen.
EMSCRIPTEN_KEEPALIVE void page_layout(int choice) {
  BeginCommand();
  SpriteLayout& layout = page.state.layout;
  const auto chosen = static_cast<LayoutChoice>(std::clamp(choice, 0, 3));
  layout.screen =
      chosen == LayoutChoice::kScreen ? ScreenLayout::kSpectrumScreen : ScreenLayout::kStrips;
  layout.masks = chosen == LayoutChoice::kMaskFirst      ? MaskOrder::kMaskFirst
                 : chosen == LayoutChoice::kGraphicFirst ? MaskOrder::kGraphicFirst
                                                         : MaskOrder::kNotMasked;
  ShowLayout();
}

EMSCRIPTEN_KEEPALIVE void page_toggle_show_masks() {
  BeginCommand();
  page.state.layout.showMasks = !page.state.layout.showMasks;
  ShowLayout();
}

// The bytes are already loaded: only their placement changes.
EMSCRIPTEN_KEEPALIVE void page_toggle_one_screen() {
  BeginCommand();
  page.state.oneScreen = !page.state.oneScreen;
  Redraw(page.state, page.painter);
}

// The loaded file is read again the other way, from its start; switching memory images on
// shows one screen only too. After a failed load the title stays as it was.
EMSCRIPTEN_KEEPALIVE void page_toggle_memory() {
  BeginCommand();
  ConverterState& state = page.state;
  state.readMemoryImages = !state.readMemoryImages;
  if (state.readMemoryImages) state.oneScreen = true;
  ForgetGraphics();
  if (!Loaded()) return;
  LoadGivenFile(state, page.painter, kReport, kReport);
  if (Loaded()) ShowViewTitle();
}

// A press of the left button on the picture at screen pixel (x, y): the byte there goes into
// the title; with Shift the view starts at it instead.
EMSCRIPTEN_KEEPALIVE void page_locate(int x, int y, int shift) {
  page.message.clear();
  const std::optional<std::int64_t> position = LocateByte(page.state, x, y);
  if (shift != 0 && position) {
    MoveView(*position);
    return;
  }
  page.title = LocatedByteTitle(page.state, position);
  page.byteInTitle = true;
}

// What "Find graphics" (0), "Next graphics" (1) or "Previous graphics" (2) needs: 0 when the
// command is done already, or a search of the memory image (1, page_image) or of the file (2),
// which page.js has its search worker make, then hands back to page_found and page_find_end.
EMSCRIPTEN_KEEPALIVE int page_find(int move) {
  BeginCommand();
  if (!Loaded()) return 0;
  const auto chosen = static_cast<GraphicsMove>(std::clamp(move, 0, 2));
  if (page.graphicsSearched && chosen != GraphicsMove::kFind) {
    MoveAmongGraphics(chosen);
    return 0;
  }
  return LoadedMemoryImage(page.state).empty() ? 2 : 1;
}

// The memory image the search looks through, its bytes and how many.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* page_image() {
  return LoadedMemoryImage(page.state).data();
}

EMSCRIPTEN_KEEPALIVE int page_image_length() {
  return static_cast<int>(LoadedMemoryImage(page.state).size());
}

// Where the regions the search found go, `bytes` of them as the worker's core held them.
EMSCRIPTEN_KEEPALIVE GraphicsRegion* page_found(int bytes) {
  page.found.resize(static_cast<std::size_t>(std::max(bytes, 0)) / sizeof(GraphicsRegion));
  return page.found.data();
}

// The search is over, all searched or cancelled: what was found is kept either way, and the
// command goes on as "Find graphics" does after any search. A file that could not be read is
// said so.
EMSCRIPTEN_KEEPALIVE void page_find_end(int failed) {
  if (failed != 0) {
    Report(u"error reading\n" + page.state.sourcePath);
    return;
  }
  page.graphics = std::move(page.found);
  page.found.clear();
  page.graphicsSearched = true;
  page.landed.reset();
  MoveAmongGraphics(GraphicsMove::kFind);
}

// "Export.." in the form numbered as ExportForm (PNG, binary, assembler): how many bytes
// page_exported holds for the download named page_export_name, 0 for none.
EMSCRIPTEN_KEEPALIVE int page_export(int form) {
  BeginCommand();
  page.exported.clear();
  if (Loaded() && form >= 0 && form < static_cast<int>(std::size(kExportForms)))
    ExportRegionForm(kExportForms[form]);
  return static_cast<int>(page.exported.size());
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* page_exported() {
  return page.exported.data();
}

EMSCRIPTEN_KEEPALIVE const char* page_export_name() {
  return Handed(page.exportName);
}

// Whether "Save" has a file to name the screen after.
EMSCRIPTEN_KEEPALIVE int page_loaded() {
  return Loaded() ? 1 : 0;
}

// The 6,912 bytes "Save" writes.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* page_screen() {
  return page.state.screen.data();
}

// The name of the file loaded; empty when none is.
EMSCRIPTEN_KEEPALIVE const char* page_source_name() {
  return Handed(page.state.sourcePath);
}

// The name "Save" gives the screen file: the loaded file's with ".scr" after it.
EMSCRIPTEN_KEEPALIVE const char* page_screen_name() {
  return Handed(ScreenFilePath(page.state.sourcePath));
}

// The picture for the canvas: 256 x 192 pixels, each a square of zoom x zoom, in red, green,
// blue and opaque alpha, rows top down.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* page_picture(int zoom) {
  const std::int32_t k = std::clamp(zoom, 1, 3);
  const std::int32_t width = kScreenWidth * k;
  page.rgba.resize(static_cast<std::size_t>(width) * kScreenHeight * k * 4);
  std::uint8_t* out = page.rgba.data();
  for (std::int32_t y = 0; y < kScreenHeight; ++y) {
    std::uint8_t* const row = out;
    for (std::int32_t x = 0; x < kScreenWidth; ++x) {
      const Rgb colour = page.picture.PixelAt(x, y);
      for (std::int32_t copy = 0; copy < k; ++copy, out += 4) {
        out[0] = static_cast<std::uint8_t>(colour);
        out[1] = static_cast<std::uint8_t>(colour >> 8);
        out[2] = static_cast<std::uint8_t>(colour >> 16);
        out[3] = 0xFF;
      }
    }
    for (std::int32_t copy = 1; copy < k; ++copy, out += width * 4)
      std::copy(row, row + width * 4, out);
  }
  return page.rgba.data();
}

EMSCRIPTEN_KEEPALIVE const char* page_title() {
  return Handed(page.title);
}

EMSCRIPTEN_KEEPALIVE const char* page_message() {
  return Handed(page.message);
}

// What the controls show: the width, the offset and colour as their inputs offer them, the
// switches and the layout.
EMSCRIPTEN_KEEPALIVE int page_strip_width() {
  return page.state.stripWidth;
}

EMSCRIPTEN_KEEPALIVE const char* page_offset_text() {
  return Handed(DefaultOffsetText(page.state.viewOffset));
}

EMSCRIPTEN_KEEPALIVE const char* page_colour_text() {
  return Handed(DefaultColourText(page.state.fillAttribute));
}

EMSCRIPTEN_KEEPALIVE int page_column_height() {
  return page.state.layout.columnHeight;
}

EMSCRIPTEN_KEEPALIVE int page_one_screen() {
  return page.state.oneScreen ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int page_memory() {
  return page.state.readMemoryImages ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int page_show_masks() {
  return page.state.layout.showMasks ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE int page_layout_choice() {
  const SpriteLayout& layout = page.state.layout;
  if (layout.screen == ScreenLayout::kSpectrumScreen)
    return static_cast<int>(LayoutChoice::kScreen);
  switch (layout.masks) {
    case MaskOrder::kMaskFirst:
      return static_cast<int>(LayoutChoice::kMaskFirst);
    case MaskOrder::kGraphicFirst:
      return static_cast<int>(LayoutChoice::kGraphicFirst);
    case MaskOrder::kNotMasked:
      break;
  }
  return static_cast<int>(LayoutChoice::kStrips);
}

}  // extern "C"
