// open_file_dialog.h: the platform's open-file dialog, and the record it is shown with.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <array>
#include <cstdint>
#include <memory>

#include "platform/text.h"

namespace pelorin {

// The dialog's file buffer: room for a path of MAX_PATH - 1 characters.
constexpr std::size_t kOpenFileBufferUnits = MAX_PATH;

// Everything the dialog is shown with. The record points into the other members, so a
// request stays where it was made.
struct OpenFileRequest {
  OpenFileRequest() = default;
  OpenFileRequest(const OpenFileRequest&) = delete;
  OpenFileRequest& operator=(const OpenFileRequest&) = delete;

  Text title;
  Text filter;       // description and pattern pairs, each NUL-ended, then an empty string
  Text startFolder;  // empty: the platform chooses the folder
  std::array<char16_t, kOpenFileBufferUnits> file{};  // the preset name in, the path out
  OPENFILENAMEW record{};
};

// The platform's filter list from "description|pattern|description|pattern".
Text FilterList(const Text& patternList);

// The default path split at its last backslash (not at a leading one): the starting folder
// before it, the preset file name after it. A name the user could not have typed (empty,
// with a control character or one of "\/:*?<>|) is dropped: the name box starts empty.
struct DefaultPathParts {
  Text startFolder;
  Text presetName;
};
DefaultPathParts SplitDefaultPath(const Text& defaultPath);

// The request as the dialog is shown with it, owned by the dialog owner of the moment. The
// pattern index is 0-based. Throws std::bad_alloc when it cannot be made.
std::unique_ptr<OpenFileRequest> MakeOpenFileRequest(const Text& title, const Text& defaultPath,
                                                     const Text& patternList,
                                                     std::int32_t patternIndex);

// Lets the user choose one file. The full path of the chosen file, or the empty text when
// the dialog was cancelled or failed; the process's current folder is left as it was. A
// typed name of a missing file in an existing folder is returned: the caller's reading
// fails on it.
Text OpenFileDialog(const Text& title, const Text& defaultPath, const Text& patternList,
                    std::int32_t patternIndex);

}  // namespace pelorin
