// export_run.h: pelorin-convert's --export and --recipe: regions taken out of each file in
// the forms asked, the rip's recipe that records them, and the recipe made again.
#pragma once

#include "convert_options.h"
#include "converter_messages.h"

namespace pelorin {

// Takes the region of each file (or every region --find finds in it) out into the export
// folder, appends their lines to its rip.tsv and returns the exit status. The folder must
// exist.
int RunExports(const ConvertOptions& options, const Console& console);

// Makes the exports that the lines of options.recipePath list again, into the output folder
// or the recipe's own, from the files they name or the files given. A source that changed
// is refused, a malformed line named; both make the exit status 1 and the others go on.
int RunRecipe(const ConvertOptions& options, const Console& console);

}  // namespace pelorin
