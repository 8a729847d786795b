// save_file_dialog.h: the platform's save-file dialog, with a choice of file types.
#pragma once

#include <cstdint>

#include "platform/text.h"

namespace pelorin {

struct SaveAnswer {
  Text path;                      // empty: cancelled
  std::int32_t patternIndex = 0;  // the type chosen, 0-based
};

// Lets the user name a file to write: in the default path's folder, its name offered, the
// types of the "description|pattern|..." list offered from `patternIndex` on. An existing
// file is replaced only once the user has agreed. The current folder stays as it was.
SaveAnswer SaveFileDialog(const Text& title, const Text& defaultPath, const Text& patternList,
                          std::int32_t patternIndex);

}  // namespace pelorin
