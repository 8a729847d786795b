// run_converter.cpp: converting each file as the window's Save does, and the contact sheet.
#include "run_converter.h"

#include <algorithm>
#include <functional>
#include <new>

#include "contact_sheet.h"
#include "convert_options.h"
#include "export_run.h"
#include "graphics_search.h"
#include "memory_image_file.h"
#include "output_files.h"
#include "screen/pixel_buffer.h"
#include "platform/platform.h"
#include "png_file.h"
#include "redraw.h"
#include "screen/paint_screen.h"
#include "sprite_file.h"
#include "analysis/width_guess.h"
#include "view_offset.h"
#include "typed_number.h"
#include "locate_byte.h"

namespace pelorin {

namespace {

void SayUnread(const Text& input, const Text& why, Messages& messages) {
  messages.Error(u"error reading: " + input + u": " + why);
}

// Loads the input into a fresh state as the window loads a file; false, and said, when it
// cannot be read.
bool LoadInput(ConverterState& state, CanvasPainter& painter, const ConvertOptions& options,
               const Text& input, Messages& messages) {
  if (options.memory && !IsMemoryImagePath(input)) {
    messages.Error(u"not a snapshot or tape: " + input);
    return false;
  }
  state.readMemoryImages = options.memory;
  state.oneScreen = options.oneScreen;
  state.layout = options.layout;
  state.stripWidth = options.width;
  state.fillAttribute = options.attribute;
  state.sourcePath = input;
  // The window's message leaves out why a file of its own bytes failed; the outcome says.
  const LoadOutcome outcome = LoadSpriteAtOffset(
      state, painter, [](const Text&) {}, options.offset);
  if (!outcome.fault.empty()) {
    SayUnread(input, outcome.fault, messages);
    return false;
  }
  if (!outcome.warning.empty()) messages.Warning(input, outcome.warning);
  if (state.spriteLength == 0 && !options.guessWidth)  // the guess says "unsure" instead
    messages.Note(u"warning: no sprite bytes, the screen is blank: " + input);
  return true;
}

// Writes one output unless the guard refuses it; false, and said, when it is not written.
bool WriteOutput(const Text& output, const Text& input, OutputGuard& guard, Messages& messages,
                 const std::function<bool()>& write) {
  const Text refusal = guard.Refusal(output, input);
  if (!refusal.empty()) {
    messages.Error(refusal);
    return false;
  }
  if (!write()) {
    messages.Error(u"error writing: " + output);
    return false;
  }
  guard.Record(output, input);
  return true;
}

bool WritePng(const Text& path, const PixelBuffer& picture, std::int32_t scale) {
  const std::vector<std::uint8_t> png = EncodePng(picture, scale);
  return !png.empty() && platform::WriteWholeFile(path, png);
}

// -w auto: the loaded file is laid out again at the width guessed for it, which is named
// unless quiet. The redraw is the load's: with no sprite bytes the screen stays blank, as
// it does at any fixed width.
void UseGuessedWidth(ConverterState& state, const Text& input, const ConvertOptions& options,
                     Messages& messages) {
  const WidthGuess guess = GuessStripWidth(state);
  state.stripWidth = guess.ranked[0];
  CanvasPainter noCanvas;
  Redraw(state, noCanvas);
  if (!options.quiet)
    messages.Output(input + u": width " + DecimalText(state.stripWidth) +
                    (guess.unsure ? u" (unsure)" : u""));
}

bool ConvertFile(const Text& input, const ConvertOptions& options, OutputGuard& guard,
                 Messages& messages) {
  ConverterState state;  // fresh for each file, as the window is when it starts
  // The load's redraw paints no canvas: painting leaves the screen bytes as they are, and
  // it would take most of the time of a conversion that writes only the screen file.
  CanvasPainter noCanvas;
  if (!LoadInput(state, noCanvas, options, input, messages)) return false;
  if (options.width == kGuessedWidth) UseGuessedWidth(state, input, options, messages);

  // Save writes to sourcePath + ".scr": with an output folder, the input's name there.
  state.sourcePath = OutputBase(input, options.outputFolder);
  bool converted = true;
  if (options.writeScreen) {
    converted &= WriteOutput(ScreenFilePath(state.sourcePath), input, guard, messages, [&] {
      bool saved = true;
      SaveScreen(state, [&](const Text&) { saved = false; });
      return saved;
    });
  }
  if (options.writePicture) {
    const Text path = state.sourcePath + u".png";
    converted &= WriteOutput(path, input, guard, messages, [&] {
      // Painted from the screen as saved: an empty file shows the blank screen it saves.
      PixelBuffer picture;
      CanvasPainter painter = MemoryPainter(picture);
      PaintScreen(state.screen, painter);
      return WritePng(path, picture, options.scale);
    });
  }
  return converted;
}

// "FILE: 3 (also 6, 1)": the guess, up to two runners-up, and whether it is unsure.
Text GuessLine(const Text& input, const WidthGuess& guess) {
  Text line = input + u": " + DecimalText(guess.ranked[0]);
  for (std::int32_t i = 1; i < std::min(guess.count, 3); ++i)
    line += (i == 1 ? u" (also " : u", ") + DecimalText(guess.ranked[i]);
  if (guess.count > 1) line += u")";
  if (guess.unsure) line += u" (unsure)";
  return line;
}

bool GuessWidth(const Text& input, const ConvertOptions& options, Messages& messages) {
  ConverterState state;
  CanvasPainter noCanvas;
  if (!LoadInput(state, noCanvas, options, input, messages)) return false;
  messages.Output(GuessLine(input, GuessStripWidth(state)));
  return true;
}

// --locate: the position shown at the pixel, one line per file; false when it cannot be read.
bool LocateInFile(const Text& input, const ConvertOptions& options, Messages& messages) {
  ConverterState state;
  CanvasPainter noCanvas;
  if (!LoadInput(state, noCanvas, options, input, messages)) return false;
  if (options.width == kGuessedWidth) UseGuessedWidth(state, input, options, messages);
  const std::optional<std::int64_t> position = LocateByte(state, options.locateX, options.locateY);
  messages.Output(position ? DecimalText(*position) : Text{u"none"});
  return true;
}

// Prints one line per bank or block placed in the file's memory image, as the reader places
// it; several files each under their name. The lines go out in pieces of bounded size, so
// that a tape of millions of blocks lists in no more memory than a short one. A file found
// broken part way keeps the lines before the fault, and its error follows them.
bool ListFile(const Text& input, const ConvertOptions& options, Messages& messages) {
  if (!IsMemoryImagePath(input)) {
    messages.Error(u"not a snapshot or tape: " + input);
    return false;
  }
  constexpr std::size_t kPieceCharacters = 1 << 16;
  Text piece;  // lines not yet written, between line feeds: Output ends the last
  const auto add = [&](const Text& line) {
    if (!piece.empty()) piece += u'\n';
    piece += line;
    if (piece.size() < kPieceCharacters) return;
    messages.Output(piece);
    piece.clear();
  };
  // With several files, the file's name heads its lines, printed before the first of them.
  bool nameDue = options.files.size() > 1;
  const auto nameFile = [&] {
    if (nameDue) add(input + u":");
    nameDue = false;
  };
  // Only the blocks: a tape's data is passed over, never held.
  const ImageRead read = ReadMemoryImage(
      input,
      [&](const PlacedBlock& block) {
        nameFile();
        add(DescribeBlock(block));
      },
      ReadFor::kBlocksOnly);
  if (read) nameFile();  // a file without a block is named all the same
  if (!piece.empty()) messages.Output(piece);
  if (!read) SayUnread(input, read.why, messages);
  if (read && !read->warning.empty()) messages.Warning(input, read->warning);
  return static_cast<bool>(read);
}

// The graphics in the file from the offset on, read a piece at a time, or with --memory in
// its memory image, made once and left in `image`; nothing, and said, when it cannot be read.
std::optional<GraphicsSearch> FindInFile(const Text& input, const ConvertOptions& options,
                                         Messages& messages, std::vector<std::uint8_t>& image) {
  if (options.memory && !IsMemoryImagePath(input)) {
    messages.Error(u"not a snapshot or tape: " + input);
    return std::nullopt;
  }
  const SearchProgress progress = [&](std::int64_t searched, std::int64_t total) {
    messages.SearchProgress(searched, total);
    return true;
  };
  if (options.memory) {
    ImageRead read = ReadMemoryImage(input);
    if (!read) {
      SayUnread(input, read.why, messages);
      return std::nullopt;
    }
    if (!read->warning.empty()) messages.Warning(input, read->warning);
    image = std::move(read->bytes);
    return SearchGraphicsIn(image, options.offset, progress);
  }
  const std::optional<GraphicsSearch> search = SearchGraphics(input, options.offset, progress);
  if (!search) SayUnread(input, platform::WhyUnreadable(input), messages);
  return search;
}

// "FILE: at 15616 ($3D00), 768 bytes, width 1 (font)", the layout after the kind word:
// "(sprites, masked graphic-first, columns 24)".
Text FoundLine(const Text& input, const GraphicsRegion& region) {
  Text kind = Utf8ToText(GraphicsKindName(region.kind));
  const SpriteLayout& layout = region.layout;
  if (IsMasked(layout))
    kind +=
        layout.masks == MaskOrder::kMaskFirst ? u", masked mask-first" : u", masked graphic-first";
  if (HasColumns(layout)) kind += u", columns " + DecimalText(layout.columnHeight);
  return input + u": at " + PositionText(region.start) + u", " + DecimalText(region.length) +
         u" bytes, width " + DecimalText(region.width) + u" (" + kind + u")";
}

// --find: a line per region, or "FILE: none".
bool PrintFound(const Text& input, const ConvertOptions& options, Messages& messages) {
  std::vector<std::uint8_t> image;
  const auto search = FindInFile(input, options, messages, image);
  if (!search) return false;
  for (const GraphicsRegion& region : search->regions) messages.Output(FoundLine(input, region));
  if (search->regions.empty()) messages.Output(input + u": none");
  return true;
}

// --find-sheet, and the lines of --find with it.
bool WriteFoundSheet(const ConvertOptions& options, OutputGuard& guard, Messages& messages) {
  const Text& input = options.files.front();
  std::vector<std::uint8_t> image;
  const auto search = FindInFile(input, options, messages, image);
  if (!search) return false;
  std::vector<FoundPanel> panels;
  for (const GraphicsRegion& region : search->regions) {
    if (options.find) messages.Output(FoundLine(input, region));
    if (panels.size() == kMaxFoundPanels) continue;
    // What one screen shows through the region's layout: a screen found whole, else the
    // stored bytes of its first strips.
    const std::int64_t shown =
        std::min(region.length, ScreenStoredStep(region.layout, region.width));
    std::optional<std::vector<std::uint8_t>> bytes;
    if (options.memory) {
      const auto from = image.begin() + std::min<std::int64_t>(region.start, image.size());
      bytes.emplace(from, from + std::min<std::int64_t>(shown, image.end() - from));
    } else {
      bytes = ReadRegionBytes(input, region.start, shown);
    }
    if (!bytes) {
      SayUnread(input, platform::WhyUnreadable(input), messages);
      return false;
    }
    panels.push_back({region, std::move(*bytes)});
  }
  // A sheet of nothing is no answer: none is written, and the file counts as failed.
  if (search->regions.empty()) {
    messages.Output(input + u": none");
    return false;
  }
  if (search->regions.size() > kMaxFoundPanels)
    messages.Note(u"the sheet shows the first " + DecimalText(kMaxFoundPanels) + u" of " +
                  DecimalText(static_cast<long long>(search->regions.size())) + u" found in " +
                  input);
  const PixelBuffer sheet = MakeFoundSheet(panels, options.attribute);
  return WriteOutput(options.findSheetPath, input, guard, messages,
                     [&] { return WritePng(options.findSheetPath, sheet, options.scale); });
}

bool WriteSheet(const ConvertOptions& options, OutputGuard& guard, Messages& messages) {
  const Text& input = options.files.front();
  ConverterState state;
  CanvasPainter noCanvas;  // the sheet paints every panel itself
  if (!LoadInput(state, noCanvas, options, input, messages)) return false;
  const PixelBuffer sheet = MakeContactSheet(state);
  return WriteOutput(options.sheetPath, input, guard, messages,
                     [&] { return WritePng(options.sheetPath, sheet, options.scale); });
}

// Does what is asked for one input. Memory that runs out anywhere on the way fails that
// input as one that could not be read; the others are still done.
bool DoForFile(const Text& input, Messages& messages, const std::function<bool()>& work) {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    SayUnread(input, u"out of memory", messages);
    return false;
  }
}

}  // namespace

int RunConverter(const std::vector<Text>& arguments, const Console& console) {
  const CommandLine line = ParseCommandLine(arguments);
  switch (line.action) {
    case CommandAction::kHelp:
      console.output(UsageText());
      return kExitConverted;
    case CommandAction::kVersion:
      console.output(u"pelorin-convert " PELORIN_VERSION "\n");
      return kExitConverted;
    case CommandAction::kMistake:
      console.error(u"pelorin-convert: " + line.mistake +
                    u"\nTry 'pelorin-convert --help' for more information.\n");
      return kExitBadCommandLine;
    case CommandAction::kConvert:
      break;
  }

  const ConvertOptions& options = line.options;
  // A wrong -o is a wrong command line: refused before any file is tried.
  if (!options.outputFolder.empty() && !platform::IsFolder(options.outputFolder)) {
    const bool exists = platform::QueryFileSize(options.outputFolder) != platform::kNoSuchFile;
    console.error(u"pelorin-convert: " + Text{exists ? u"not a folder: " : u"no such folder: "} +
                  options.outputFolder + u"\n");
    return kExitBadCommandLine;
  }

  if (!options.recipePath.empty()) return RunRecipe(options, console);
  if (!options.exportFolder.empty()) return RunExports(options, console);

  OutputGuard guard(options.files);
  Messages messages(console, options.quiet, options.files.size());
  // A sheet is made of one file.
  if (!options.sheetPath.empty() || !options.findSheetPath.empty()) {
    const bool written = DoForFile(options.files.front(), messages, [&] {
      return options.sheetPath.empty() ? WriteFoundSheet(options, guard, messages)
                                       : WriteSheet(options, guard, messages);
    });
    return written ? kExitConverted : kExitSomeFailed;
  }

  std::size_t failed = 0;
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    const Text& file = options.files[i];
    const bool done = DoForFile(file, messages, [&] {
      return options.guessWidth ? GuessWidth(file, options, messages)
             : options.find     ? PrintFound(file, options, messages)
             : options.locate   ? LocateInFile(file, options, messages)
             : options.list     ? ListFile(file, options, messages)
                                : ConvertFile(file, options, guard, messages);
    });
    if (!done) ++failed;
    messages.Progress(i + 1);
  }
  if (failed > 0 && options.files.size() > 1) {
    messages.Note(DecimalText(static_cast<long long>(failed)) + u" of " +
                  DecimalText(static_cast<long long>(options.files.size())) + u" files failed");
  }
  return failed == 0 ? kExitConverted : kExitSomeFailed;
}

}  // namespace pelorin
