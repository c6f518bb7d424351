// Menu and dialog templates in their binary resource form. All input is
// untrusted: reads are bounds-checked and nesting is limited, so a damaged
// template is refused instead of read past its end.
#include "platform/rt/resource_templates.h"

#include "platform/rt/byte_reader.h"

namespace kv {
namespace rt {

namespace {

constexpr uint16_t kMfPopup = 0x10;
constexpr uint16_t kMfEnd = 0x80;
// Extended menus mark a drop-down with this bit of the resource flags.
constexpr uint16_t kMfrPopup = 0x01;
constexpr int kMaxMenuDepth = 16;

bool ParseStandardItems(ByteReader& in, int depth, std::vector<MenuItemTemplate>* items) {
  if (depth > kMaxMenuDepth) return false;
  for (;;) {
    MenuItemTemplate item;
    item.flags = in.U16();
    if (!in.ok()) return false;
    const bool popup = (item.flags & kMfPopup) != 0;
    if (!popup) item.id = in.U16();
    item.text = in.Utf16z();
    if (!in.ok()) return false;
    if (popup && !ParseStandardItems(in, depth + 1, &item.items)) return false;
    const bool last = (item.flags & kMfEnd) != 0;
    // The end marker belongs to the layout, not to the item.
    item.flags = static_cast<uint16_t>(item.flags & ~kMfEnd);
    items->push_back(std::move(item));
    if (last) return true;
  }
}

bool ParseExtendedItems(ByteReader& in, int depth, std::vector<MenuItemTemplate>* items) {
  if (depth > kMaxMenuDepth) return false;
  for (;;) {
    MenuItemTemplate item;
    in.U32();                         // type (MFT_*)
    const uint32_t state = in.U32();  // state (MFS_*)
    const uint32_t id = in.U32();
    const uint16_t resInfo = in.U16();
    item.text = in.Utf16z();
    in.Align(4);
    if (!in.ok()) return false;
    const bool popup = (resInfo & kMfrPopup) != 0;
    // MFS_CHECKED and MFS_GRAYED share their values with MF_CHECKED and
    // MF_GRAYED|MF_DISABLED.
    item.flags = static_cast<uint16_t>(state & 0x0B);
    if (popup) {
      item.flags = static_cast<uint16_t>(item.flags | kMfPopup);
      in.U32();  // help id
      if (!in.ok() || !ParseExtendedItems(in, depth + 1, &item.items)) return false;
    } else {
      item.id = static_cast<uint16_t>(id);
    }
    items->push_back(std::move(item));
    if (resInfo & kMfEnd) return true;
  }
}

// A field that is either absent (0), an ordinal (0xFFFF, value) or a string.
struct SzOrOrd {
  bool isOrdinal = false;
  uint16_t ordinal = 0;
  std::wstring text;
};

SzOrOrd ReadSzOrOrd(ByteReader& in) {
  SzOrOrd v;
  ByteReader peek = in;
  const uint16_t first = peek.U16();
  if (!peek.ok()) {
    in.Fail();
    return v;
  }
  if (first == 0xFFFF) {
    in.U16();
    v.isOrdinal = true;
    v.ordinal = in.U16();
  } else {
    v.text = in.Utf16z();
  }
  return v;
}

// The dialog record keeps its menu and class as text; an ordinal becomes
// "#N", the form the interface uses for numeric names.
std::wstring OrdinalAsText(const SzOrOrd& v) {
  return v.isOrdinal ? L"#" + std::to_wstring(v.ordinal) : v.text;
}

bool ParseControl(ByteReader& in, bool extended, DialogControlTemplate* c) {
  in.Align(4);
  if (extended) {
    c->helpId = in.U32();
    c->exStyle = in.U32();
    c->style = in.U32();
  } else {
    c->style = in.U32();
    c->exStyle = in.U32();
  }
  c->x = in.I16();
  c->y = in.I16();
  c->cx = in.I16();
  c->cy = in.I16();
  if (extended) {
    c->id = static_cast<int32_t>(in.U32());
  } else {
    c->id = in.I16();
  }
  const SzOrOrd cls = ReadSzOrOrd(in);
  if (cls.isOrdinal) {
    c->classAtom = cls.ordinal;
  } else {
    c->className = cls.text;
  }
  const SzOrOrd text = ReadSzOrOrd(in);
  if (text.isOrdinal) {
    c->hasTextOrdinal = true;
    c->textOrdinal = text.ordinal;
  } else {
    c->text = text.text;
  }
  // Creation data: a byte count (including the count word in the standard
  // form), then the bytes, which the program does not use.
  const uint16_t extra = in.U16();
  if (extended) {
    in.Skip(extra);
  } else if (extra > 2) {
    in.Skip(extra - 2u);
  }
  return in.ok();
}

}  // namespace

bool ParseMenuTemplate(const uint8_t* data, size_t size, std::vector<MenuItemTemplate>* out) {
  if (out == nullptr) return false;
  out->clear();
  ByteReader in(data, size);
  const uint16_t version = in.U16();
  const uint16_t offset = in.U16();
  if (!in.ok()) return false;
  bool ok = false;
  if (version == 0) {
    // The standard header's second word is the header size, always 0.
    if (offset != 0) return false;
    ok = ParseStandardItems(in, 0, out);
  } else if (version == 1) {
    // Extended: the offset from the end of this word pair to the first item.
    in.Skip(offset);
    ok = in.ok() && ParseExtendedItems(in, 0, out);
  }
  if (!ok) out->clear();
  return ok;
}

bool ParseDialogTemplate(const uint8_t* data, size_t size, DialogTemplate* out) {
  if (out == nullptr) return false;
  *out = DialogTemplate();
  ByteReader in(data, size);
  DialogTemplate d;
  const uint16_t dlgVer = in.U16();
  const uint16_t signature = in.U16();
  if (!in.ok()) return false;
  d.extended = dlgVer == 1 && signature == 0xFFFF;
  if (d.extended) {
    d.helpId = in.U32();
    d.exStyle = in.U32();
    d.style = in.U32();
  } else {
    // DLGTEMPLATE starts with the style; re-read it from the start.
    in = ByteReader(data, size);
    d.style = in.U32();
    d.exStyle = in.U32();
  }
  const uint16_t count = in.U16();
  d.x = in.I16();
  d.y = in.I16();
  d.cx = in.I16();
  d.cy = in.I16();
  d.menu = OrdinalAsText(ReadSzOrOrd(in));
  d.className = OrdinalAsText(ReadSzOrOrd(in));
  d.title = in.Utf16z();
  if (!in.ok()) return false;
  constexpr uint32_t kDsSetFont = 0x40;
  if (d.style & kDsSetFont) {
    d.pointSize = in.U16();
    if (d.extended) {
      d.weight = in.U16();
      d.italic = in.U8();
      d.charset = in.U8();
    }
    d.faceName = in.Utf16z();
  }
  if (!in.ok()) return false;
  // Each control takes at least its fixed fields, so a count larger than the
  // data can hold is refused before anything is reserved for it.
  const size_t minControl = d.extended ? 30 : 24;
  if (static_cast<size_t>(count) * minControl > in.remaining()) return false;
  d.controls.reserve(count);
  for (uint16_t i = 0; i < count; ++i) {
    DialogControlTemplate c;
    if (!ParseControl(in, d.extended, &c)) return false;
    d.controls.push_back(std::move(c));
  }
  *out = std::move(d);
  return true;
}

}  // namespace rt
}  // namespace kv
