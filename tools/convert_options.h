// convert_options.h: what pelorin-convert is asked to do, read from its command line.
#pragma once

#include <cstdint>
#include <vector>

#include "converter_state.h"
#include "export/export_region.h"
#include "platform/text.h"

namespace pelorin {

constexpr std::int32_t kMaxScale = 4;      // a sheet at 4x is already 4,256 pixels wide
constexpr std::int32_t kGuessedWidth = 0;  // -w auto: each file at the width guessed for it

struct ConvertOptions {
  std::int32_t width = kMinStripWidth;             // as the window starts
  std::uint8_t attribute = kDefaultFillAttribute;  // as the window starts
  std::int64_t offset = 0;                         // header bytes skipped before the sprite
  bool writeScreen = true;                         // FILE.scr
  bool writePicture = false;                       // FILE.png
  std::int32_t scale = 1;                          // pixels per Spectrum pixel in a PNG
  Text sheetPath{};     // not empty: write only this contact sheet of the one input
  Text outputFolder{};  // not empty: outputs go here instead of beside each input
  bool quiet = false;
  bool guessWidth = false;  // print each file's likely widths and write nothing
  bool locate = false;      // print the file position shown at (locateX, locateY), write nothing
  std::int32_t locateX = 0;
  std::int32_t locateY = 0;
  bool memory = false;     // snapshots and tapes are read as the memory they hold
  bool list = false;       // with memory: say what went where, and write nothing
  bool oneScreen = false;  // only the whole strips of one screen are placed
  SpriteLayout layout{};   // masks, columns, or the bytes as a Spectrum screen
  bool find = false;       // print the regions of each file that hold pictures, write nothing
  Text findSheetPath{};    // not empty: write only this contact sheet of what is found
  Text exportFolder{};     // not empty: take the region (or each found) out into this folder
  ExportFormSet exportForms{};
  std::int64_t exportLength = -1;  // stored bytes of the region; -1: what one screen shows
  Text recipePath{};               // not empty: make the exports of this rip.tsv again
  std::vector<Text> files{};

  bool operator==(const ConvertOptions&) const = default;
};

enum class CommandAction { kConvert, kHelp, kVersion, kMistake };

struct CommandLine {
  CommandAction action = CommandAction::kConvert;
  ConvertOptions options;
  Text mistake;  // what is wrong with the command line, for kMistake
};

// Reads the arguments (the program's name left out). Options and files may come in any
// order; "--" ends the options, so that a file name may start with "-".
CommandLine ParseCommandLine(const std::vector<Text>& arguments);

// The --help text.
Text UsageText();

}  // namespace pelorin
