// DLGTEMPLATE and DLGTEMPLATEEX as the dialog manager reads them: the
// resource compiler writes exactly this form, and programs may build it in
// memory. Parsing checks every field against the given size, so a damaged
// template is refused instead of read past its end.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace host::user {

// A name-or-ordinal field: 0x0000 (none), 0xFFFF + ordinal, or a string.
struct TemplateName {
  bool isOrdinal = false;
  WORD ordinal = 0;
  std::string text;  // Windows-1252
  bool empty() const { return !isOrdinal && text.empty(); }
};

struct DialogItemTemplate {
  DWORD helpId = 0, exStyle = 0, style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  DWORD id = 0;
  TemplateName cls, title;
  std::vector<BYTE> creationData;  // as CreateWindowExA's lpParam receives it: WORD size, then the bytes
};

struct DialogTemplate {
  bool extended = false;
  DWORD helpId = 0, exStyle = 0, style = 0;
  short x = 0, y = 0, cx = 0, cy = 0;
  TemplateName menu, cls;
  std::string caption;
  // DS_SETFONT: the font the dialog and its controls use.
  WORD pointSize = 0, weight = 0;
  BYTE italic = 0, charset = 0;
  std::string typeface;
  std::vector<DialogItemTemplate> items;
};

// The template at `data`; `size` bounds the reading (0: not known, as for
// CreateDialogIndirectParamA, which trusts the caller's memory).
std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* data, DWORD size);

// The class a control's template names: its atom (0x0080 button ... 0x0085
// combo box) as the system class name, or the name given.
std::string ControlClassName(const TemplateName& cls);

}  // namespace host::user
