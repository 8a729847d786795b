// export_commands.cpp: the region's forms written where the user says, or its picture put on
// the clipboard.
#include "commands/export_commands.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "dialogs/save_file_dialog.h"
#include "export/export_names.h"
#include "export/region_picture.h"
#include "export_source.h"
#include "platform/platform.h"
#include "win32_handles.h"

namespace pelorin {

namespace {

constexpr char16_t kExportTypes[] =
    u"PNG picture (*.png)|*.png|Binary (*.bin)|*.bin|Assembler source (*.asm)|*.asm";

const GraphicsRegion* LandedRegion(const ShellState& shell) {
  if (!shell.landedGraphics || *shell.landedGraphics >= shell.graphics.size()) return nullptr;
  return &shell.graphics[*shell.landedGraphics];
}

// The path's folder with its last separator: what a name is put after to lie beside it.
Text FolderPart(const Text& path) {
  return path.substr(0, path.size() - SourceFileName(path).size());
}

ExportForm FormAt(std::int32_t index) {
  return kExportForms[std::clamp<std::int32_t>(index, 0, std::size(kExportForms) - 1)];
}

// The region's bytes, or nothing when there are none (said with the region's place) or
// the file can no longer be read (said as a load says it).
std::optional<std::vector<std::uint8_t>> RegionBytes(ShellState& shell,
                                                     const ExportRegion& region) {
  const ConverterState& state = *shell.state;
  if (region.length == 0) {
    shell.reportError(SourceFileName(state.sourcePath) + u": nothing at " +
                      DecimalText(region.start));
    return std::nullopt;
  }
  auto bytes = ReadExportBytes(state, region);
  if (!bytes) shell.reportError(u"error reading\n" + state.sourcePath);
  return bytes;
}

bool WriteForm(ShellState& shell, const Text& path, const std::vector<std::uint8_t>& bytes,
               const ExportRegion& region, ExportForm form) {
  const ConverterState& state = *shell.state;
  const std::vector<std::uint8_t> written =
      ExportFormBytes(bytes, region, form, state.fillAttribute, SourceFileName(state.sourcePath));
  if (!written.empty() && platform::WriteWholeFile(path, written)) return true;
  shell.reportError(u"error writing\n" + path);
  return false;
}

// The picture as a device-independent bitmap on the clipboard, 24 bits, bottom-up.
bool PutOnClipboard(HWND owner, const IndexedPicture& picture) {
  const std::vector<std::uint8_t> rows = OpaqueRows(picture);
  const std::size_t stride = rows.size() / std::max(picture.height, 1);
  OwnedGlobal memory(GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + rows.size()));
  if (!memory) return false;
  auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(memory.Get()));
  if (header == nullptr) return false;
  *header = BITMAPINFOHEADER{};
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = picture.width;
  header->biHeight = picture.height;
  header->biPlanes = 1;
  header->biBitCount = 24;
  header->biCompression = BI_RGB;
  header->biSizeImage = static_cast<DWORD>(rows.size());
  auto* bits = reinterpret_cast<std::uint8_t*>(header + 1);
  for (std::int32_t y = 0; y < picture.height; ++y)
    std::memcpy(bits + (picture.height - 1 - y) * stride, rows.data() + y * stride, stride);
  GlobalUnlock(memory.Get());
  const OpenedClipboard clipboard(owner);
  if (!clipboard || !EmptyClipboard() || SetClipboardData(CF_DIB, memory.Get()) == nullptr)
    return false;
  memory.Release();  // the clipboard owns it now
  return true;
}

}  // namespace

void ExportShownRegion(ShellState& shell) {
  const ConverterState& state = *shell.state;
  if (state.sourcePath.empty()) return;
  const ExportRegion region = ExportRegionOf(state, LandedRegion(shell));
  const auto bytes = RegionBytes(shell, region);
  if (!bytes) return;
  const Text name = SourceFileName(state.sourcePath);
  const SaveAnswer answer = SaveFileDialog(
      u"Export", FolderPart(state.sourcePath) + ExportFileName(name, region, ExportForm::kPng),
      kExportTypes, 0);
  if (answer.path.empty()) return;
  const ExportForm form = FormAt(answer.patternIndex);
  WriteForm(shell, PathForForm(answer.path, form), *bytes, region, form);
}

void CopyPicture(ShellState& shell) {
  const ConverterState& state = *shell.state;
  if (state.sourcePath.empty()) return;
  const ExportRegion region = ExportRegionOf(state, LandedRegion(shell));
  const auto bytes = RegionBytes(shell, region);
  if (!bytes) return;
  if (!PutOnClipboard(shell.main.window.Get(), RegionPicture(*bytes, region, state.fillAttribute)))
    shell.reportError(u"error copying the picture to the clipboard");
}

void ExportFoundRegions(ShellState& shell, const std::vector<std::size_t>& indices) {
  const ConverterState& state = *shell.state;
  if (state.sourcePath.empty() || indices.empty()) return;
  const bool memory = !state.memoryImage.empty();
  const auto regionAt = [&](std::size_t index) {
    const GraphicsRegion& found = shell.graphics[index];
    return FoundRegion(found, state.sourceLength, found.width, found.layout, memory);
  };
  if (std::any_of(indices.begin(), indices.end(),
                  [&](std::size_t index) { return index >= shell.graphics.size(); }))
    return;
  const Text name = SourceFileName(state.sourcePath);
  const SaveAnswer answer =
      SaveFileDialog(u"Export graphics",
                     FolderPart(state.sourcePath) +
                         ExportFileName(name, regionAt(indices.front()), ExportForm::kPng),
                     kExportTypes, 0);
  if (answer.path.empty()) return;
  const ExportForm form = FormAt(answer.patternIndex);
  const Text folder = FolderPart(answer.path);
  for (const std::size_t index : indices) {
    const ExportRegion region = regionAt(index);
    const auto bytes = RegionBytes(shell, region);
    if (!bytes ||
        !WriteForm(shell, folder + ExportFileName(name, region, form), *bytes, region, form))
      return;
  }
}

}  // namespace pelorin
