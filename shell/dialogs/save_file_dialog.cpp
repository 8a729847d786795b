// save_file_dialog.cpp: the save-file dialog, shown from the open-file dialog's record.
#include "dialogs/save_file_dialog.h"

#include <algorithm>
#include <new>

#include "dialogs/dialog_support.h"
#include "dialogs/open_file_dialog.h"

namespace pelorin {

SaveAnswer SaveFileDialog(const Text& title, const Text& defaultPath, const Text& patternList,
                          std::int32_t patternIndex) {
  std::unique_ptr<OpenFileRequest> request;
  try {
    request = MakeOpenFileRequest(title, defaultPath, patternList, patternIndex);
  } catch (const std::bad_alloc&) {
    return {};
  }
  request->record.Flags |= OFN_OVERWRITEPROMPT;
  SuspendWindows();
  const BOOL chosen = GetSaveFileNameW(&request->record);
  ResumeWindows();
  if (!chosen) return {};
  const auto end = std::find(request->file.begin(), request->file.end(), u'\0');
  return {Text(request->file.begin(), end),
          static_cast<std::int32_t>(request->record.nFilterIndex) - 1};
}

}  // namespace pelorin
