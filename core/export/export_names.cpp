// export_names.cpp: exported files' names and extensions.
#include "export/export_names.h"

namespace pelorin {

Text FormExtension(ExportForm form) {
  switch (form) {
    case ExportForm::kPng:
      return u"png";
    case ExportForm::kBinary:
      return u"bin";
    case ExportForm::kAssembler:
      return u"asm";
  }
  return {};
}

Text ExportFileName(const Text& sourceName, const ExportRegion& region, ExportForm form) {
  return sourceName + u"-" + DecimalText(region.start) + u"-w" + DecimalText(region.width) + u"." +
         FormExtension(form);
}

Text PathForForm(const Text& path, ExportForm form) {
  const std::size_t dot = path.rfind(u'.');
  const std::size_t separator = path.find_last_of(u"\\/");
  if (dot == Text::npos || (separator != Text::npos && dot < separator))
    return path + u"." + FormExtension(form);
  Text extension = path.substr(dot + 1);
  for (char16_t& c : extension)
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
  for (const ExportForm other : kExportForms)
    if (extension == FormExtension(other)) return path.substr(0, dot + 1) + FormExtension(form);
  return path;
}

}  // namespace pelorin
