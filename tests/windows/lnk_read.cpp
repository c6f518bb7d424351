// Reads a Windows shortcut (.lnk, the Shell Link binary format) and prints
// what it starts, one "name=value" line each:
//   target=C:\...\kelvara.exe    the local path, from the link's LinkInfo
//   arguments=--pace 500
//   working_dir=C:\...
//   icon=C:\...\kelvara.ico
//   icon_index=0
//   description=...
// Absent fields print empty. Exit status 0, or 1 with the reason on standard
// error when the file is not a shortcut or is cut short.
//   kv_lnk_read FILE.lnk
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Reader {
  const std::vector<uint8_t>& bytes;
  std::string error;

  bool Has(size_t offset, size_t size) const {
    return offset <= bytes.size() && size <= bytes.size() - offset;
  }
  uint32_t U16(size_t at) const { return bytes[at] | (bytes[at + 1] << 8); }
  uint32_t U32(size_t at) const { return U16(at) | (U16(at + 2) << 16); }
  bool Fail(const std::string& why) {
    if (error.empty()) error = why;
    return false;
  }
};

// UTF-16LE to UTF-8 (surrogate pairs joined; a lone one becomes U+FFFD).
std::string Utf8FromUtf16(const std::vector<uint32_t>& units) {
  std::string out;
  for (size_t i = 0; i < units.size(); ++i) {
    uint32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

// A NUL-terminated string inside [start, end): UTF-16 or single bytes
// (taken as Latin-1: the paths the tests meet are plain ASCII).
bool ReadTerminated(Reader& r, size_t at, size_t end, bool wide, std::string* out) {
  std::vector<uint32_t> units;
  for (;;) {
    const size_t size = wide ? 2 : 1;
    if (at + size > end || !r.Has(at, size)) return r.Fail("a LinkInfo string runs past its block");
    const uint32_t unit = wide ? r.U16(at) : r.bytes[at];
    at += size;
    if (unit == 0) break;
    units.push_back(unit);
  }
  *out = Utf8FromUtf16(units);
  return true;
}

struct Link {
  std::string target, arguments, workingDir, icon, description;
  int32_t iconIndex = 0;
};

const uint8_t kLinkClsid[16] = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

enum : uint32_t {
  kHasTargetIdList = 1u << 0,
  kHasLinkInfo = 1u << 1,
  kHasName = 1u << 2,
  kHasRelativePath = 1u << 3,
  kHasWorkingDir = 1u << 4,
  kHasArguments = 1u << 5,
  kHasIconLocation = 1u << 6,
  kIsUnicode = 1u << 7,
};

// LinkInfo: the target as a local base path plus a common suffix, each in
// the ANSI form and, in newer links, the Unicode form too.
bool ReadLinkInfo(Reader& r, size_t at, size_t* next, Link* link) {
  if (!r.Has(at, 28)) return r.Fail("the LinkInfo header is cut short");
  const size_t size = r.U32(at);
  const size_t headerSize = r.U32(at + 4);
  if (size < 28 || !r.Has(at, size)) return r.Fail("the LinkInfo block runs past the file");
  if (headerSize < 28 || headerSize > size) return r.Fail("the LinkInfo header size is wrong");
  const uint32_t flags = r.U32(at + 8);
  const size_t end = at + size;
  if (flags & 1) {  // VolumeIDAndLocalBasePath
    const bool wide = headerSize >= 0x24;
    const size_t baseOffset = wide ? r.U32(at + 28) : r.U32(at + 16);
    const size_t suffixOffset = wide ? r.U32(at + 32) : r.U32(at + 24);
    if (baseOffset >= size || suffixOffset >= size) return r.Fail("a LinkInfo offset is wrong");
    std::string base, suffix;
    if (!ReadTerminated(r, at + baseOffset, end, wide, &base) ||
        !ReadTerminated(r, at + suffixOffset, end, wide, &suffix))
      return false;
    link->target = base + suffix;
  }
  *next = end;
  return true;
}

bool ReadCountedString(Reader& r, size_t* at, bool wide, std::string* out) {
  if (!r.Has(*at, 2)) return r.Fail("a string's length is cut short");
  const size_t count = r.U16(*at);
  *at += 2;
  const size_t size = count * (wide ? 2 : 1);
  if (!r.Has(*at, size)) return r.Fail("a string runs past the file");
  std::vector<uint32_t> units;
  for (size_t i = 0; i < count; ++i) units.push_back(wide ? r.U16(*at + 2 * i) : r.bytes[*at + i]);
  *at += size;
  *out = Utf8FromUtf16(units);
  return true;
}

bool ReadLink(Reader& r, Link* link) {
  if (!r.Has(0, 0x4C)) return r.Fail("shorter than a shortcut's header");
  if (r.U32(0) != 0x4C) return r.Fail("the header size is not 0x4C");
  for (int i = 0; i < 16; ++i)
    if (r.bytes[4 + i] != kLinkClsid[i]) return r.Fail("not a shell link (class id)");
  const uint32_t flags = r.U32(0x14);
  link->iconIndex = static_cast<int32_t>(r.U32(0x38));
  size_t at = 0x4C;
  if (flags & kHasTargetIdList) {
    if (!r.Has(at, 2)) return r.Fail("the item id list is cut short");
    at += 2 + r.U16(at);
    if (!r.Has(at, 0)) return r.Fail("the item id list runs past the file");
  }
  if ((flags & kHasLinkInfo) && !ReadLinkInfo(r, at, &at, link)) return false;
  const bool wide = (flags & kIsUnicode) != 0;
  std::string relativePath;
  struct {
    uint32_t flag;
    std::string* field;
  } const strings[] = {{kHasName, &link->description},
                       {kHasRelativePath, &relativePath},
                       {kHasWorkingDir, &link->workingDir},
                       {kHasArguments, &link->arguments},
                       {kHasIconLocation, &link->icon}};
  for (const auto& s : strings)
    if ((flags & s.flag) && !ReadCountedString(r, &at, wide, s.field)) return false;
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kv_lnk_read FILE.lnk\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "kv_lnk_read: cannot open %s\n", argv[1]);
    return 1;
  }
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                   std::istreambuf_iterator<char>());
  Reader reader{bytes, {}};
  Link link;
  if (!ReadLink(reader, &link)) {
    std::fprintf(stderr, "kv_lnk_read: %s: %s\n", argv[1], reader.error.c_str());
    return 1;
  }
  std::printf("target=%s\narguments=%s\nworking_dir=%s\nicon=%s\nicon_index=%d\ndescription=%s\n",
              link.target.c_str(), link.arguments.c_str(), link.workingDir.c_str(),
              link.icon.c_str(), static_cast<int>(link.iconIndex), link.description.c_str());
  return 0;
}
