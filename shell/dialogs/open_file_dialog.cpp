// open_file_dialog.cpp: building the open-file record and showing the dialog.
#include "dialogs/open_file_dialog.h"

#include <algorithm>
#include <new>
#include <string_view>

#include "dialogs/dialog_support.h"

namespace pelorin {

namespace {

constexpr std::u16string_view kNotInNames = u"\"\\/:*?<>|";

bool IsTypableName(const Text& name) {
  if (name.empty()) return false;
  return std::none_of(name.begin(), name.end(), [](char16_t c) {
    return c < 0x20 || kNotInNames.find(c) != std::u16string_view::npos;
  });
}

}  // namespace

Text FilterList(const Text& patternList) {
  Text filter = patternList;
  std::replace(filter.begin(), filter.end(), u'|', u'\0');
  filter.append(2, u'\0');
  return filter;
}

DefaultPathParts SplitDefaultPath(const Text& defaultPath) {
  DefaultPathParts parts;
  const std::size_t split = defaultPath.rfind(u'\\');
  if (split != Text::npos && split > 0) {
    parts.startFolder = defaultPath.substr(0, split);
    parts.presetName = defaultPath.substr(split + 1);
  } else {
    parts.presetName = defaultPath;
  }
  parts.presetName.resize(std::min(parts.presetName.size(), kOpenFileBufferUnits - 1));
  if (!IsTypableName(parts.presetName)) parts.presetName.clear();
  return parts;
}

std::unique_ptr<OpenFileRequest> MakeOpenFileRequest(const Text& title, const Text& defaultPath,
                                                     const Text& patternList,
                                                     std::int32_t patternIndex) {
  auto request = std::make_unique<OpenFileRequest>();
  DefaultPathParts parts = SplitDefaultPath(defaultPath);
  request->title = title;
  request->filter = FilterList(patternList);
  request->startFolder = std::move(parts.startFolder);
  std::copy(parts.presetName.begin(), parts.presetName.end(), request->file.begin());

  OPENFILENAMEW& record = request->record;
  record.lStructSize = OPENFILENAME_SIZE_VERSION_400W;  // without the trailing Windows 2000 fields
  record.hwndOwner = DialogOwner();
  record.lpstrFilter = WideText(request->filter);
  record.nFilterIndex = static_cast<DWORD>(patternIndex) + 1;
  record.lpstrFile = reinterpret_cast<wchar_t*>(request->file.data());
  record.nMaxFile = static_cast<DWORD>(request->file.size());
  record.lpstrInitialDir = WideText(request->startFolder);
  record.lpstrTitle = WideText(request->title);
  // The folder of a typed name must exist but the file need not; the read-only box is
  // hidden; the current folder stays.
  record.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  return request;
}

Text OpenFileDialog(const Text& title, const Text& defaultPath, const Text& patternList,
                    std::int32_t patternIndex) {
  std::unique_ptr<OpenFileRequest> request;
  try {
    request = MakeOpenFileRequest(title, defaultPath, patternList, patternIndex);
  } catch (const std::bad_alloc&) {
    return {};
  }
  SuspendWindows();
  const BOOL chosen = GetOpenFileNameW(&request->record);
  ResumeWindows();
  if (!chosen) return {};
  const auto end = std::find(request->file.begin(), request->file.end(), u'\0');
  return Text(request->file.begin(), end);
}

}  // namespace pelorin
