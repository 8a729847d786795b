// export_names.h: the names of exported files, the same in the window and the converter.
#pragma once

#include "export/export_region.h"
#include "platform/text.h"

namespace pelorin {

// "png", "bin" or "asm".
Text FormExtension(ExportForm form);

// NAME-OFFSET-wW.EXT: the source's whole file name, the region's start in decimal (the
// address in a memory image), its width and the form's extension:
// "dogmole.tap-38133-w3.png".
Text ExportFileName(const Text& sourceName, const ExportRegion& region, ExportForm form);

// The path a Save dialog answered, for the type chosen in it: a name ending in another
// form's extension takes the chosen one, a name without an extension gets it, and any other
// name stays as typed.
Text PathForForm(const Text& path, ExportForm form);

}  // namespace pelorin
