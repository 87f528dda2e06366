#include "tests/kit/dialog_templates.h"

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <iterator>

namespace testkit {
namespace {

// Reads a compiled resource file (.res) as the resource compiler writes it:
// a run of resources, each a header (sizes, type, name, flags) and its data,
// both padded to four bytes. Every value is little-endian.
class ResReader {
 public:
  explicit ResReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Done() const { return at_ >= bytes_.size(); }
  bool Ok() const { return ok_; }
  size_t At() const { return at_; }
  void Seek(size_t at) {
    at_ = at;
    if (at_ > bytes_.size()) ok_ = false;
  }
  void Align() { Seek((at_ + 3) & ~size_t{3}); }
  uint16_t U16() {
    if (at_ + 2 > bytes_.size()) return Fail();
    const uint16_t v = static_cast<uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return v;
  }
  uint32_t U32() { return U16() | uint32_t{U16()} << 16; }
  // A name or ordinal: 0xFFFF and a number, or a zero-terminated UTF-16 text
  // (0 alone: none). `*ordinal` is -1 for a text.
  std::wstring NameOrOrdinal(int* ordinal) {
    *ordinal = -1;
    const uint16_t first = U16();
    if (first == 0xFFFF) {
      *ordinal = U16();
      return L"";
    }
    std::wstring text;
    for (uint16_t unit = first; ok_ && unit != 0; unit = U16()) text += static_cast<wchar_t>(unit);
    return text;
  }

 private:
  uint16_t Fail() {
    ok_ = false;
    at_ = bytes_.size();
    return 0;
  }
  std::vector<uint8_t> bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

constexpr int kDialogResource = 5;   // RT_DIALOG
constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT: the template names a font

// The class of a control: a predefined class's ordinal, or its name in any
// case (the resource compiler writes "EDIT" for "Edit").
std::wstring ControlClass(int ordinal, const std::wstring& name) {
  static const wchar_t* const kPredefined[] = {L"Button",  L"Edit",      L"Static",
                                               L"ListBox", L"ScrollBar", L"ComboBox"};
  if (ordinal >= 0x80 && ordinal < 0x80 + 6) return kPredefined[ordinal - 0x80];
  for (const wchar_t* known : kPredefined) {
    const std::wstring k = known;
    if (k.size() == name.size() &&
        std::equal(k.begin(), k.end(), name.begin(),
                   [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); })) {
      return k;
    }
  }
  return name;
}

// An extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX
// items) starting at the reader's position. False when it is not one.
bool ReadDialog(ResReader& in, DialogTemplate* dialog) {
  if (in.U16() != 1 || in.U16() != 0xFFFF) return false;  // version, signature
  in.U32();                                               // help id
  in.U32();                                               // extended style
  const uint32_t style = in.U32();
  const uint16_t items = in.U16();
  for (int i = 0; i < 4; ++i) in.U16();  // x, y, width, height
  int ordinal;
  in.NameOrOrdinal(&ordinal);  // menu
  in.NameOrOrdinal(&ordinal);  // class
  dialog->title = in.NameOrOrdinal(&ordinal);
  if ((style & kSetFont) != 0) {
    in.U16();  // point size
    in.U16();  // weight
    in.U16();  // italic, character set
    in.NameOrOrdinal(&ordinal);
  }
  for (uint16_t i = 0; in.Ok() && i < items; ++i) {
    in.Align();
    ControlTemplate c;
    in.U32();  // help id
    in.U32();  // extended style
    c.style = in.U32();
    for (int k = 0; k < 4; ++k) in.U16();  // x, y, width, height
    c.id = static_cast<int32_t>(in.U32());
    const std::wstring className = in.NameOrOrdinal(&ordinal);
    c.windowClass = ControlClass(ordinal, className);
    c.text = in.NameOrOrdinal(&ordinal);  // an ordinal: an icon's resource id
    const uint16_t extra = in.U16();
    in.Seek(in.At() + extra);
    dialog->controls.push_back(c);
  }
  return in.Ok();
}

}  // namespace

bool ReadDialogTemplates(const std::string& resPath, DialogTemplates* templates) {
  std::ifstream file(resPath, std::ios::binary);
  if (!file) return false;
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>()};
  ResReader in(std::move(bytes));
  DialogTemplates read;
  while (!in.Done()) {
    const size_t start = in.At();
    const uint32_t dataSize = in.U32();
    const uint32_t headerSize = in.U32();
    int type, name;
    in.NameOrOrdinal(&type);
    in.NameOrOrdinal(&name);
    const size_t data = start + headerSize;
    if (!in.Ok() || headerSize < 8 || data + dataSize < data) return false;
    if (type == kDialogResource) {
      in.Seek(data);
      if (name < 0 || !ReadDialog(in, &read[name])) return false;
    }
    in.Seek(data + dataSize);
    in.Align();
    if (!in.Ok()) return false;
  }
  *templates = std::move(read);
  return true;
}

}  // namespace testkit
