// export_run.cpp: --export and --recipe.
#include "export_run.h"

#include <map>
#include <new>
#include <optional>
#include <string>

#include "export/export_names.h"
#include "export/rip_recipe.h"
#include "export_source.h"
#include "graphics_search.h"
#include "memory_image_file.h"
#include "output_files.h"
#include "platform/platform.h"
#include "run_converter.h"
#include "sprite_file.h"

namespace pelorin {

namespace {

constexpr char16_t kRipName[] = u"rip.tsv";

// Where each export goes, and what is said of it.
struct ExportRun {
  const ConvertOptions& options;
  Messages& messages;
  OutputGuard& guard;
  std::string ripLines;  // the lines of the regions written, for rip.tsv at the end
};

// Writes the forms of one region into the folder; false, and said, when any is not written.
bool WriteForms(ExportRun& run, const Text& input, const Text& folder, const ConverterState& state,
                const ExportRegion& region, const ExportFormSet& forms, std::uint8_t attribute) {
  const Text name = SourceFileName(input);
  const auto bytes = ReadExportBytes(state, region);
  if (!bytes) {
    run.messages.Error(u"error reading: " + input);
    return false;
  }
  bool written = true;
  for (const ExportForm form : kExportForms) {
    if (!forms.Has(form)) continue;
    const Text path = OutputBase(ExportFileName(name, region, form), folder);
    const Text refusal = run.guard.Refusal(path, input);
    if (!refusal.empty()) {
      run.messages.Error(refusal);
      written = false;
      continue;
    }
    if (!platform::WriteWholeFile(path, ExportFormBytes(*bytes, region, form, attribute, name))) {
      run.messages.Error(u"error writing: " + path);
      written = false;
      continue;
    }
    run.guard.Record(path, input);
  }
  return written;
}

// The input loaded as the converter loads any file, its width guessed for -w auto.
bool LoadSource(ConverterState& state, const Text& input, const ConvertOptions& options,
                Messages& messages) {
  if (options.memory && !IsMemoryImagePath(input)) {
    messages.Error(u"not a snapshot or tape: " + input);
    return false;
  }
  state.readMemoryImages = options.memory;
  state.layout = options.layout;
  state.stripWidth = options.width == kGuessedWidth ? kMinStripWidth : options.width;
  state.fillAttribute = options.attribute;
  state.sourcePath = input;
  CanvasPainter noCanvas;
  const LoadOutcome outcome = LoadSpriteAtOffset(
      state, noCanvas, [](const Text&) {}, options.offset);
  if (!outcome.fault.empty()) {
    messages.Error(u"error reading: " + input + u": " + outcome.fault);
    return false;
  }
  if (!outcome.warning.empty()) messages.Warning(input, outcome.warning);
  if (options.width == kGuessedWidth) state.stripWidth = GuessStripWidth(state).ranked[0];
  return true;
}

// The regions of one input: the one from the offset, or each found from it.
std::optional<std::vector<ExportRegion>> RegionsOf(const ConverterState& state, const Text& input,
                                                   const ConvertOptions& options,
                                                   Messages& messages) {
  const bool memory = !state.memoryImage.empty();
  if (!options.find) {
    const ExportRegion region =
        options.exportLength >= 0
            ? CutRegion(options.offset, options.exportLength, state.sourceLength, state.stripWidth,
                        state.layout, memory)
            : ScreenRegion(options.offset, state.sourceLength, state.stripWidth, state.layout,
                           memory);
    return std::vector<ExportRegion>{region};
  }
  const SearchProgress progress = [&](std::int64_t searched, std::int64_t total) {
    messages.SearchProgress(searched, total);
    return true;
  };
  const auto search =
      memory ? std::optional(SearchGraphicsIn(state.memoryImage, options.offset, progress))
             : SearchGraphics(input, options.offset, progress);
  if (!search) {
    messages.Error(u"error reading: " + input);
    return std::nullopt;
  }
  std::vector<ExportRegion> regions;
  for (const GraphicsRegion& found : search->regions)
    regions.push_back(FoundRegion(found, state.sourceLength, found.width, found.layout, memory));
  if (regions.empty()) messages.Output(input + u": none");
  return regions;
}

bool ExportFile(ExportRun& run, const Text& input) {
  const ConvertOptions& options = run.options;
  ConverterState state;
  if (!LoadSource(state, input, options, run.messages)) return false;
  const auto regions = RegionsOf(state, input, options, run.messages);
  if (!regions) return false;
  if (!options.find && regions->front().length == 0) {
    run.messages.Error(input + u": nothing at " + DecimalText(options.offset));
    return false;
  }
  const auto digest = SourceSha256(state);
  if (!digest) {
    run.messages.Error(u"error reading: " + input);
    return false;
  }
  bool exported = true;
  for (const ExportRegion& region : *regions) {
    if (!WriteForms(run, input, options.exportFolder, state, region, options.exportForms,
                    options.attribute)) {
      exported = false;
      continue;
    }
    run.ripLines +=
        RipLine({SourceFileName(input), *digest, region, options.attribute, options.exportForms});
  }
  return exported;
}

// The whole file, or nothing when it cannot be read; an empty one when there is none.
std::optional<std::string> ReadTextFile(const Text& path) {
  const std::int64_t size = platform::QueryFileSize(path);
  if (size == platform::kNoSuchFile) return std::string();
  const auto bytes = ReadRegionBytes(path, 0, size < 0 ? 0 : size);
  if (size < 0 || !bytes) return std::nullopt;
  return std::string(bytes->begin(), bytes->end());
}

// Appends the lines to the folder's rip.tsv, made with its header when there is none.
bool AppendRip(const Text& folder, const std::string& lines, Messages& messages) {
  const Text path = OutputBase(kRipName, folder);
  auto text = ReadTextFile(path);
  if (!text) {
    messages.Error(u"error reading: " + path);
    return false;
  }
  if (text->empty()) *text = kRipHeader;
  if (text->back() != '\n') *text += '\n';
  *text += lines;
  if (platform::WriteWholeFile(path,
                               {reinterpret_cast<const std::uint8_t*>(text->data()), text->size()}))
    return true;
  messages.Error(u"error writing: " + path);
  return false;
}

// The folder that holds the file the path names: what is before its last separator.
Text FolderOf(const Text& path) {
  const Text name = SourceFileName(path);
  if (name.size() == path.size()) return u".";
  return path.substr(0, path.size() - name.size());
}

// The source a recipe's line names: among the files given, the one of that name; else the
// name itself, from the current folder.
std::optional<Text> RecipeSource(const ConvertOptions& options, const Text& name) {
  if (options.files.empty()) return name;
  for (const Text& file : options.files)
    if (SourceFileName(file) == name) return file;
  return std::nullopt;
}

// One line of the recipe made again; false, and said, when it is refused or fails.
bool ReplayEntry(ExportRun& run, const RipEntry& entry, const Text& folder,
                 std::map<Text, std::optional<std::string>>& digests) {
  const auto source = RecipeSource(run.options, entry.file);
  if (!source) {
    run.messages.Error(entry.file + u": not among the files given");
    return false;
  }
  auto known = digests.find(*source);
  if (known == digests.end()) known = digests.emplace(*source, FileSha256(*source)).first;
  if (!known->second) {
    run.messages.Error(u"error reading: " + *source);
    return false;
  }
  if (*known->second != entry.sha256) {
    run.messages.Error(*source + u": changed since the recipe was made");
    return false;
  }
  ConverterState state;
  state.sourcePath = *source;
  Text warning;
  const Text why = entry.region.memory ? KeepMemoryImage(state, warning) : Text{};
  if (!why.empty()) {
    run.messages.Error(u"error reading: " + *source + u": " + why);
    return false;
  }
  return WriteForms(run, *source, folder, state, entry.region, entry.forms, entry.attribute);
}

template <typename Work>
int RunGuarded(const ConvertOptions& options, const Console& console, Work work) {
  Messages messages(console, options.quiet, options.files.size());
  OutputGuard guard(options.files);
  ExportRun run{options, messages, guard, {}};
  try {
    return work(run) ? kExitConverted : kExitSomeFailed;
  } catch (const std::bad_alloc&) {
    messages.Error(u"out of memory");
    return kExitSomeFailed;
  }
}

}  // namespace

int RunExports(const ConvertOptions& options, const Console& console) {
  if (!platform::IsFolder(options.exportFolder)) {
    console.error(u"pelorin-convert: no such folder: " + options.exportFolder + u"\n");
    return kExitBadCommandLine;
  }
  return RunGuarded(options, console, [&](ExportRun& run) {
    std::size_t failed = 0;
    for (std::size_t i = 0; i < options.files.size(); ++i) {
      if (!ExportFile(run, options.files[i])) ++failed;
      run.messages.Progress(i + 1);
    }
    if (!run.ripLines.empty() && !AppendRip(options.exportFolder, run.ripLines, run.messages))
      ++failed;
    return failed == 0;
  });
}

int RunRecipe(const ConvertOptions& options, const Console& console) {
  const Text folder =
      options.outputFolder.empty() ? FolderOf(options.recipePath) : options.outputFolder;
  return RunGuarded(options, console, [&](ExportRun& run) {
    const auto text = ReadTextFile(options.recipePath);
    if (!text || platform::QueryFileSize(options.recipePath) < 0) {
      run.messages.Error(u"error reading: " + options.recipePath);
      return false;
    }
    bool done = true;
    std::map<Text, std::optional<std::string>> digests;
    std::size_t number = 0;
    for (std::size_t at = 0; at < text->size();) {
      const std::size_t end = std::min(text->find('\n', at), text->size());
      const std::string_view line = std::string_view(*text).substr(at, end - at);
      at = end + 1;
      ++number;
      if (IsRipComment(line)) continue;
      const auto entry = ParseRipLine(line);
      if (!entry) {
        run.messages.Error(options.recipePath + u":" + DecimalText(static_cast<long long>(number)) +
                           u": not a line of a rip, skipped");
        done = false;
        continue;
      }
      done &= ReplayEntry(run, *entry, folder, digests);
    }
    return done;
  });
}

}  // namespace pelorin
