// The program's dialog templates as the resource compiler leaves them in the
// compiled resources (the .res file made of tallo.rc), so that the scripted
// user works the real controls, texts, styles and order.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testkit {

struct ControlTemplate {
  int id;
  std::wstring windowClass;  // "Button", "Edit", "Static", "ComboBox", ...
  uint32_t style;
  std::wstring text;
};

struct DialogTemplate {
  std::wstring title;
  std::vector<ControlTemplate> controls;  // in template (tab) order
};

// Dialog templates by resource id.
using DialogTemplates = std::map<int, DialogTemplate>;

// Reads every dialog template of the .res file at `resPath` into
// `*templates`. False when the file cannot be read or holds something that
// is no resource.
bool ReadDialogTemplates(const std::string& resPath, DialogTemplates* templates);

}  // namespace testkit
