// convert_options.cpp: the option table of pelorin-convert and the reading of its values.
#include "convert_options.h"

#include <string_view>

#include "screen/canvas_painter.h"
#include "view_offset.h"
#include "typed_number.h"

namespace pelorin {

namespace {

enum class OptionId {
  kWidth,
  kAttr,
  kOffset,
  kPng,
  kPngOnly,
  kScale,
  kSheet,
  kOutput,
  kQuiet,
  kGuessWidth,
  kLocate,
  kMemory,
  kList,
  kOneScreen,
  kLayout,
  kMasked,
  kShowMasks,
  kColumns,
  kFind,
  kFindSheet,
  kExport,
  kExportAs,
  kLength,
  kRecipe,
  kHelp,
  kVersion
};

struct OptionEntry {
  char16_t shortName;            // 0: none
  std::u16string_view longName;  // empty: none
  bool takesValue;
  OptionId id;
};

// clang-format off
constexpr OptionEntry kOptions[] = {
    {u'w', u"width",    true,  OptionId::kWidth},
    {u'a', u"attr",     true,  OptionId::kAttr},
    {0,    u"offset",   true,  OptionId::kOffset},
    {0,    u"png",      false, OptionId::kPng},
    {0,    u"png-only", false, OptionId::kPngOnly},
    {0,    u"scale",    true,  OptionId::kScale},
    {0,    u"sheet",    true,  OptionId::kSheet},
    {u'o', u"",         true,  OptionId::kOutput},
    {u'q', u"",         false, OptionId::kQuiet},
    {0,    u"guess-width", false, OptionId::kGuessWidth},
    {0,    u"locate",   true,  OptionId::kLocate},
    {0,    u"memory",   false, OptionId::kMemory},
    {0,    u"list",     false, OptionId::kList},
    {0,    u"one-screen", false, OptionId::kOneScreen},
    {0,    u"layout",   true,  OptionId::kLayout},
    {0,    u"masked",   true,  OptionId::kMasked},
    {0,    u"show-masks", false, OptionId::kShowMasks},
    {0,    u"columns",  true,  OptionId::kColumns},
    {0,    u"find",     false, OptionId::kFind},
    {0,    u"find-sheet", true, OptionId::kFindSheet},
    {0,    u"export",   true,  OptionId::kExport},
    {0,    u"export-as", true, OptionId::kExportAs},
    {0,    u"length",   true,  OptionId::kLength},
    {0,    u"recipe",   true,  OptionId::kRecipe},
    {0,    u"help",     false, OptionId::kHelp},
    {0,    u"version",  false, OptionId::kVersion},
};
// clang-format on

const OptionEntry* FindLong(std::u16string_view name) {
  for (const OptionEntry& entry : kOptions)
    if (!entry.longName.empty() && entry.longName == name) return &entry;
  return nullptr;
}

const OptionEntry* FindShort(char16_t name) {
  for (const OptionEntry& entry : kOptions)
    if (entry.shortName != 0 && entry.shortName == name) return &entry;
  return nullptr;
}

// A whole number from 0 to max in decimal. False for no digits, any other character, or a
// value past max.
bool ReadWholeNumber(std::u16string_view text, std::int64_t max, std::int64_t& value) {
  if (text.empty()) return false;
  std::int64_t result = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return false;
    const std::int64_t digit = c - u'0';
    if (result > max / 10 || result * 10 > max - digit) return false;
    result = result * 10 + digit;
  }
  value = result;
  return true;
}

// Applies one option's value; the mistake, or empty text when the value is good.
Text ApplyOption(OptionId id, const Text& name, const Text& value, ConvertOptions& options,
                 CommandAction& action) {
  std::int64_t number = 0;
  switch (id) {
    case OptionId::kWidth:
      if (value == u"auto") {
        options.width = kGuessedWidth;
        return {};
      }
      if (!ReadWholeNumber(value, kMaxStripWidth, number) || number < kMinStripWidth)
        return name + u" takes a width from 1 to 31, not: " + value;
      options.width = static_cast<std::int32_t>(number);
      return {};
    case OptionId::kAttr: {
      // As the window's colour entry reads it; the entry's own message names the mistake.
      Text wrong;
      options.attribute = ReadAttribute(value, [&](const Text& message) { wrong = message; });
      return wrong.empty() ? Text{} : name + u" " + value + u": " + wrong;
    }
    case OptionId::kOffset: {
      const TypedOffset offset = ReadOffset(value, [](const Text&) {});  // as Go to reads it
      if (offset.wrongCharacter || offset.past64Bits)
        return name +
               u" takes a count of bytes: decimal, hexadecimal ($ # 0x) or binary (%), not: " +
               value;
      options.offset = offset.value;
      return {};
    }
    case OptionId::kPng:
      options.writePicture = true;
      return {};
    case OptionId::kPngOnly:
      options.writePicture = true;
      options.writeScreen = false;
      return {};
    case OptionId::kScale:
      if (!ReadWholeNumber(value, kMaxScale, number) || number < 1)
        return name + u" takes a whole number from 1 to 4, not: " + value;
      options.scale = static_cast<std::int32_t>(number);
      return {};
    case OptionId::kSheet:
      options.sheetPath = value;
      return {};
    case OptionId::kOutput:
      options.outputFolder = value;
      return {};
    case OptionId::kQuiet:
      options.quiet = true;
      return {};
    case OptionId::kGuessWidth:
      options.guessWidth = true;
      return {};
    case OptionId::kLocate: {
      const std::size_t comma = value.find(u',');
      std::int64_t y = 0;
      if (comma == Text::npos ||
          !ReadWholeNumber(std::u16string_view{value}.substr(0, comma), kScreenWidth - 1, number) ||
          !ReadWholeNumber(std::u16string_view{value}.substr(comma + 1), kScreenHeight - 1, y))
        return name + u" takes a pixel X,Y of the 256 x 192 screen, not: " + value;
      options.locate = true;
      options.locateX = static_cast<std::int32_t>(number);
      options.locateY = static_cast<std::int32_t>(y);
      return {};
    }
    case OptionId::kMemory:
      options.memory = true;
      return {};
    case OptionId::kList:
      options.list = true;
      return {};
    case OptionId::kOneScreen:
      options.oneScreen = true;
      return {};
    case OptionId::kLayout:
      if (value != u"strips" && value != u"screen")
        return name + u" takes strips or screen, not: " + value;
      options.layout.screen =
          value == u"screen" ? ScreenLayout::kSpectrumScreen : ScreenLayout::kStrips;
      return {};
    case OptionId::kMasked:
      if (value != u"mask-first" && value != u"graphic-first")
        return name + u" takes mask-first or graphic-first, not: " + value;
      options.layout.masks =
          value == u"mask-first" ? MaskOrder::kMaskFirst : MaskOrder::kGraphicFirst;
      return {};
    case OptionId::kShowMasks:
      options.layout.showMasks = true;
      return {};
    case OptionId::kColumns: {
      // Written as offsets are, as "Stored by columns.." reads it.
      const TypedOffset height = ReadOffset(value, [](const Text&) {});
      if (height.wrongCharacter || height.past64Bits || height.value > kMaxColumnHeight)
        return name + u" takes a sprite height from 1 to 192 rows (0: none), not: " + value;
      options.layout.columnHeight = static_cast<std::int32_t>(height.value);
      return {};
    }
    case OptionId::kFind:
      options.find = true;
      return {};
    case OptionId::kFindSheet:
      options.findSheetPath = value;
      return {};
    case OptionId::kExport:
      options.exportFolder = value;
      return {};
    case OptionId::kExportAs: {
      const auto forms = ParseExportForms(value);
      if (!forms) return name + u" takes png, bin and asm, separated by commas, not: " + value;
      options.exportForms = *forms;
      return {};
    }
    case OptionId::kLength: {
      const TypedOffset length = ReadOffset(value, [](const Text&) {});  // as --offset
      if (length.wrongCharacter || length.past64Bits)
        return name + u" takes a count of bytes, written as --offset, not: " + value;
      options.exportLength = length.value;
      return {};
    }
    case OptionId::kRecipe:
      options.recipePath = value;
      return {};
    case OptionId::kHelp:
      action = CommandAction::kHelp;
      return {};
    case OptionId::kVersion:
      action = CommandAction::kVersion;
      return {};
  }
  return {};
}

// The options that print an answer instead of writing: each prints its own, so two of them
// on one command line would leave one unanswered.
bool PrintsInstead(OptionId id) {
  return id == OptionId::kGuessWidth || id == OptionId::kLocate || id == OptionId::kList ||
         id == OptionId::kFind;
}

// The options that make no sense beside --sheet, which writes only the sheet at every width.
bool ConflictsWithSheet(OptionId id) {
  return id == OptionId::kWidth || id == OptionId::kPng || id == OptionId::kPngOnly ||
         id == OptionId::kOutput || id == OptionId::kGuessWidth || id == OptionId::kLocate ||
         id == OptionId::kList || id == OptionId::kFind || id == OptionId::kFindSheet;
}

// The options that make no sense beside --find and --find-sheet, which find the widths and
// the layouts themselves and print or draw what they find.
bool ConflictsWithFind(OptionId id) {
  return id == OptionId::kWidth || id == OptionId::kPng || id == OptionId::kPngOnly ||
         id == OptionId::kOutput || id == OptionId::kGuessWidth || id == OptionId::kLocate ||
         id == OptionId::kList || id == OptionId::kLayout || id == OptionId::kMasked ||
         id == OptionId::kShowMasks || id == OptionId::kColumns;
}

// The options that make no sense beside --export, which writes only the region's forms.
bool ConflictsWithExport(OptionId id) {
  return id == OptionId::kPng || id == OptionId::kPngOnly || id == OptionId::kScale ||
         id == OptionId::kSheet || id == OptionId::kFindSheet || id == OptionId::kOutput ||
         id == OptionId::kGuessWidth || id == OptionId::kLocate || id == OptionId::kList ||
         id == OptionId::kRecipe;
}

// --recipe takes the regions, the layouts and the forms from its lines.
bool ConflictsWithRecipe(OptionId id) {
  return id != OptionId::kRecipe && id != OptionId::kOutput && id != OptionId::kQuiet;
}

CommandLine Mistake(Text text) {
  CommandLine line;
  line.action = CommandAction::kMistake;
  line.mistake = std::move(text);
  return line;
}

}  // namespace

CommandLine ParseCommandLine(const std::vector<Text>& arguments) {
  CommandLine line;
  ConvertOptions& options = line.options;
  Text sheetConflict;                     // the first option given that --sheet rules out
  Text findConflict;                      // and --find or --find-sheet
  Text exportConflict;                    // and --export
  Text recipeConflict;                    // and --recipe
  const OptionEntry* printing = nullptr;  // the first option given that prints instead
  Text printingName;
  bool endOfOptions = false;

  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const Text& argument = arguments[i];
    if (endOfOptions || argument.size() < 2 || argument[0] != u'-') {
      options.files.push_back(argument);  // "-" alone is a file name too
      continue;
    }
    if (argument == u"--") {
      endOfOptions = true;
      continue;
    }

    const OptionEntry* entry;
    Text name;
    Text value;
    bool hasValue = false;
    if (argument[1] == u'-') {  // --name or --name=value
      const std::size_t equals = argument.find(u'=');
      name = argument.substr(0, equals);
      entry = FindLong(std::u16string_view{name}.substr(2));
      if (equals != Text::npos) {
        value = argument.substr(equals + 1);
        hasValue = true;
      }
    } else {  // -x, or -xVALUE for an option that takes a value
      name = argument.substr(0, 2);
      entry = FindShort(argument[1]);
      if (argument.size() > 2) {
        value = argument.substr(2);
        hasValue = true;
      }
    }
    if (entry == nullptr) return Mistake(u"unknown option: " + argument);
    if (!entry->takesValue && hasValue) {
      return Mistake(argument[1] == u'-' ? name + u" takes no value"
                                         : u"unknown option: " + argument);
    }
    if (entry->takesValue && !hasValue) {
      if (i + 1 == arguments.size()) return Mistake(name + u" needs a value");
      value = arguments[++i];
    }
    if (entry->takesValue && value.empty()) return Mistake(name + u" needs a value");

    const Text mistake = ApplyOption(entry->id, name, value, options, line.action);
    if (!mistake.empty()) return Mistake(mistake);
    if (line.action != CommandAction::kConvert) return line;  // --help, --version
    if (ConflictsWithSheet(entry->id) && sheetConflict.empty()) sheetConflict = name;
    if (PrintsInstead(entry->id)) {
      if (printing != nullptr && printing != entry)
        return Mistake(printingName + u" and " + name + u" each print their own answer: give one");
      printing = entry;
      printingName = name;
    }
    if (ConflictsWithFind(entry->id) && findConflict.empty()) findConflict = name;
    if (ConflictsWithExport(entry->id) && exportConflict.empty()) exportConflict = name;
    if (ConflictsWithRecipe(entry->id) && recipeConflict.empty()) recipeConflict = name;
  }

  if (!options.recipePath.empty()) {
    if (!recipeConflict.empty())
      return Mistake(u"--recipe makes the exports its lines name: " + recipeConflict +
                     u" does not go with it");
    return line;  // the files, when given, stand for those the lines name
  }
  if (options.exportFolder.empty() &&
      (options.exportLength >= 0 || options.exportForms != ExportFormSet{}))
    return Mistake(u"--length and --export-as choose what --export writes: add --export");
  if (!options.exportFolder.empty()) {
    if (!exportConflict.empty())
      return Mistake(u"--export writes only the region's forms: " + exportConflict +
                     u" does not go with it");
    if (options.find && options.exportLength >= 0)
      return Mistake(u"--find exports each region found whole: --length does not go with it");
  }
  if (options.files.empty()) return Mistake(u"no input files");
  if (options.list && !options.memory) return Mistake(u"--list lists memory images: add --memory");
  const SpriteLayout& layout = options.layout;
  if (layout.showMasks && !IsMasked(layout))
    return Mistake(u"--show-masks shows the masks of masked sprites: add --masked");
  if (layout.screen == ScreenLayout::kSpectrumScreen && (IsMasked(layout) || HasColumns(layout)))
    return Mistake(
        u"--layout screen shows the bytes as they are: --masked and --columns do not "
        u"go with it");
  if (!options.sheetPath.empty()) {
    if (!sheetConflict.empty())
      return Mistake(u"--sheet writes only the sheet, at every width: " + sheetConflict +
                     u" does not go with it");
    if (options.files.size() != 1) return Mistake(u"--sheet takes exactly one file");
  }
  if (options.find || !options.findSheetPath.empty()) {
    const Text name = options.find ? u"--find" : u"--find-sheet";
    if (!findConflict.empty())
      return Mistake(name + u" finds the widths and writes no screen: " + findConflict +
                     u" does not go with it");
    if (!options.findSheetPath.empty() && options.files.size() != 1)
      return Mistake(u"--find-sheet takes exactly one file");
  }
  return line;
}

Text UsageText() {
  return uR"(Usage: pelorin-convert [options] FILE...
       pelorin-convert --recipe DIR/rip.tsv [-o OUT] [FILE...]
Lays each FILE out on a Spectrum screen as raw sprite bytes, in vertical strips of
the given width, and writes FILE.scr: the 6,912-byte screen, byte for byte what
Pelorin's Save writes at the same width and fill attribute.

Options:
  -w, --width N     sprite width in bytes, 1 to 31 (default 1), or auto: each FILE
                    at the width --guess-width puts first, named unless -q
  -a, --attr VALUE  attribute byte for every cell: decimal, hexadecimal after $ or #,
                    binary after %; the low 8 bits count (default $47, bright white
                    on black)
      --offset N    skip N bytes of header before the sprite bytes: decimal,
                    hexadecimal after $, # or 0x, or binary after %; with --memory,
                    an offset in the memory image
      --memory      read each FILE (.sna .z80 .szx .tap .tzx) as the Spectrum memory
                    it holds: snapshots as the 64K address space, 128K banks not
                    paged in after it; tapes with each CODE file at its address,
                    other data blocks after 65,535. --offset '$C000' shows $C000
      --list        with --memory: print what went where in each FILE, write nothing
      --one-screen  lay out only the whole strips that fit across one screen, the
                    bytes Pelorin's "Next screen" steps over: nothing spills into
                    later lines or the attributes. Use it for any FILE larger than
                    a screen, and for every memory image
      --layout L    strips (the default), or screen: the 6,912 bytes from the
                    offset are a Spectrum screen, shown and written as they are
                    (padded with zeros when fewer); width, masks and columns do
                    not apply
      --masked M    the bytes are pairs of a mask and a graphic byte, M is
                    mask-first or graphic-first: only the graphic bytes are laid
                    out, and the width counts them
      --show-masks  with --masked: lay out the mask bytes instead
      --columns H   the bytes (of --masked, their graphic bytes) are sprites as
                    wide as the width and H rows high, 1 to 192, each stored
                    column by column: each is laid out row after row (0: none)
      --png         also write FILE.png, the picture as the window shows it
      --png-only    write FILE.png instead of FILE.scr
      --scale K     enlarge PNG pictures K times, 1 to 4 (default 1)
      --sheet OUT   write only OUT, a PNG contact sheet of one FILE at all 31
                    widths, each panel labelled with its width
  -o DIR            write the outputs into the folder DIR instead of beside each FILE
  -q                print nothing but errors
      --guess-width print the likely widths of each FILE, best first, and write
                    nothing, as in FILE: 3 (also 6, 1); (unsure) follows when the
                    bytes do not tell
      --locate X,Y  write nothing; print the position in FILE (offset included) of the
                    byte shown at pixel X,Y, or "none" where no byte of it is shown
      --find        write nothing; print each stretch of FILE that holds pictures, in
                    file order, with the width that shows it and what it seems to be:
                    FILE: at 15616 ($3D00), 768 bytes, width 1 (font)
                    or FILE: none. With --memory the offsets are addresses in the
                    image; --offset N searches from N on
      --find-sheet OUT  write only OUT, a PNG contact sheet of what --find finds in
                    one FILE: each stretch at its width, one screen only, labelled
                    with its offset and width.
                    --list, --guess-width, --locate and --find go one at a time
      --export DIR  write only the region into the folder DIR, as NAME-OFFSET-wW.png
                    (the picture, masks transparent), .bin (the bytes as stored)
                    and .asm (defb lines): the bytes one screen shows from --offset
                    at the width, through the layout; with --find every stretch
                    found, each whole. Appends a line per region to DIR/rip.tsv
      --export-as F the forms --export writes: png, bin, asm, separated by commas
                    (default all three)
      --length N    with --export: the region's length in stored bytes, cut at
                    the end of FILE
      --recipe RIP  make the exports listed in RIP (a rip.tsv) again, into -o DIR
                    or the folder of RIP, from the files named there (looked up
                    from the current folder) or the FILEs given, matched by name.
                    A file whose SHA-256 differs is refused
      --help        show this text and exit
      --version     show the version and exit

An output that would replace an input file is refused. Errors name the file and
the other files are still converted.

Exit status: 0 when everything was written, 1 when any file failed, 2 when the
command line is wrong (then nothing is written).
)";
}

}  // namespace pelorin
