// Reading dialog templates field by field, little-endian, never by struct copy.
#include "user/dialog_template.h"

#include "kernel/resources.h"

namespace host::user {
namespace {

class Reader {
 public:
  Reader(const BYTE* data, DWORD size) : data_(data), size_(size ? size : 0xFFFFFFFF) {}

  bool Word(WORD* out) {
    if (!Has(2)) return false;
    *out = static_cast<WORD>(data_[at_] | (data_[at_ + 1] << 8));
    at_ += 2;
    return true;
  }
  bool Dword(DWORD* out) {
    WORD low, high;
    if (!Word(&low) || !Word(&high)) return false;
    *out = low | (static_cast<DWORD>(high) << 16);
    return true;
  }
  bool Short(short* out) {
    WORD value;
    if (!Word(&value)) return false;
    *out = static_cast<short>(value);
    return true;
  }
  bool Byte(BYTE* out) {
    if (!Has(1)) return false;
    *out = data_[at_++];
    return true;
  }
  // A zero-terminated UTF-16 string, narrowed to Windows-1252.
  bool Text(std::string* out) {
    std::vector<WCHAR> wide;
    for (WORD c;;) {
      if (!Word(&c)) return false;  // ran out before the terminator
      if (!c) break;
      wide.push_back(c);
    }
    *out = kernel::NarrowResourceText(wide.data(), wide.size());
    return true;
  }
  bool Name(TemplateName* out) {
    WORD first;
    if (!Word(&first)) return false;
    if (first == 0) return true;
    if (first == 0xFFFF) {
      out->isOrdinal = true;
      return Word(&out->ordinal);
    }
    at_ -= 2;
    return Text(&out->text);
  }
  bool Bytes(DWORD count, std::vector<BYTE>* out) {
    if (!Has(count)) return false;
    out->assign(data_ + at_, data_ + at_ + count);
    at_ += count;
    return true;
  }
  void AlignDword() { at_ = (at_ + 3) & ~3u; }
  DWORD Offset() const { return at_; }

 private:
  bool Has(DWORD count) const { return at_ <= size_ && count <= size_ - at_; }
  const BYTE* data_;
  DWORD size_;
  DWORD at_ = 0;
};

bool ReadHeader(Reader& r, DialogTemplate& t, WORD* count) {
  WORD version, signature;
  if (!r.Word(&version) || !r.Word(&signature)) return false;
  t.extended = version == 1 && signature == 0xFFFF;
  if (t.extended) {
    if (!r.Dword(&t.helpId) || !r.Dword(&t.exStyle) || !r.Dword(&t.style)) return false;
  } else {
    t.style = version | (static_cast<DWORD>(signature) << 16);
    if (!r.Dword(&t.exStyle)) return false;
  }
  if (!r.Word(count) || !r.Short(&t.x) || !r.Short(&t.y) || !r.Short(&t.cx) || !r.Short(&t.cy)) return false;
  if (!r.Name(&t.menu) || !r.Name(&t.cls) || !r.Text(&t.caption)) return false;
  if (t.style & DS_SETFONT) {
    if (!r.Word(&t.pointSize)) return false;
    if (t.extended && (!r.Word(&t.weight) || !r.Byte(&t.italic) || !r.Byte(&t.charset))) return false;
    if (!r.Text(&t.typeface)) return false;
  }
  return true;
}

bool ReadItem(Reader& r, bool extended, DialogItemTemplate& item) {
  r.AlignDword();
  if (extended) {
    if (!r.Dword(&item.helpId) || !r.Dword(&item.exStyle) || !r.Dword(&item.style)) return false;
  } else if (!r.Dword(&item.style) || !r.Dword(&item.exStyle)) {
    return false;
  }
  if (!r.Short(&item.x) || !r.Short(&item.y) || !r.Short(&item.cx) || !r.Short(&item.cy)) return false;
  if (extended) {
    if (!r.Dword(&item.id)) return false;
  } else {
    WORD id;
    if (!r.Word(&id)) return false;
    item.id = id;
  }
  if (!r.Name(&item.cls) || !r.Name(&item.title)) return false;
  WORD extra;
  if (!r.Word(&extra)) return false;
  if (extra) {
    // The creation data's size counts itself in a DLGTEMPLATE, not in a DLGTEMPLATEEX.
    DWORD bytes = extended ? extra : (extra >= 2 ? extra - 2u : 0u);
    std::vector<BYTE> data;
    if (!r.Bytes(bytes, &data)) return false;
    item.creationData = {static_cast<BYTE>(bytes & 0xFF), static_cast<BYTE>(bytes >> 8)};
    item.creationData.insert(item.creationData.end(), data.begin(), data.end());
  }
  return true;
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* data, DWORD size) {
  if (!data) return std::nullopt;
  Reader r(data, size);
  DialogTemplate t;
  WORD count = 0;
  if (!ReadHeader(r, t, &count)) return std::nullopt;
  t.items.resize(count);
  for (auto& item : t.items)
    if (!ReadItem(r, t.extended, item)) return std::nullopt;
  return t;
}

std::string ControlClassName(const TemplateName& cls) {
  if (!cls.isOrdinal) return cls.text;
  switch (cls.ordinal) {
    case 0x0080:
      return "Button";
    case 0x0081:
      return "Edit";
    case 0x0082:
      return "Static";
    case 0x0083:
      return "ListBox";
    case 0x0084:
      return "ScrollBar";
    case 0x0085:
      return "ComboBox";
  }
  return "#" + std::to_string(cls.ordinal);
}

}  // namespace host::user
