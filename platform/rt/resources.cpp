// Reads the standard binary .res format: a sequence of resource headers, each
// followed by its data, everything aligned to four bytes, and an empty entry
// first. The image is untrusted input: every field is bounds-checked, and an
// image that does not parse as a whole yields no module at all.
#include "platform/rt/resources.h"

#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/rt/byte_reader.h"

// The embedded image, linked in from the resources library.
extern "C" const uint8_t kv_resource_image[];
extern "C" const uint8_t kv_resource_image_end[];

namespace {

// A TYPE or NAME field: a 16-bit ordinal or a string.
struct ResName {
  bool isOrdinal = true;
  uint16_t ordinal = 0;
  std::wstring text;
};

struct ResEntry {
  ResName type;
  ResName name;
  uint16_t language = 0;
  const uint8_t* data = nullptr;
  size_t size = 0;
};

}  // namespace

struct HINSTANCE__ {
  const uint8_t* image = nullptr;
  size_t size = 0;
  std::vector<ResEntry> entries;
};

namespace kv {
namespace rt {

namespace {

// Live modules, so that a handle that is not one of ours is refused rather
// than dereferenced.
std::mutex gModulesLock;
std::set<const HINSTANCE__*>& Modules() {
  static std::set<const HINSTANCE__*> modules;
  return modules;
}

bool IsModule(HINSTANCE instance) {
  if (instance == nullptr) return false;
  std::lock_guard<std::mutex> lock(gModulesLock);
  return Modules().count(instance) != 0;
}

ResName ReadName(ByteReader& in) {
  ResName n;
  // The first 16-bit unit decides: 0xFFFF introduces an ordinal.
  ByteReader peek = in;
  uint16_t first = peek.U16();
  if (!peek.ok()) {
    in.Fail();
    return n;
  }
  if (first == 0xFFFF) {
    in.U16();
    n.ordinal = in.U16();
  } else {
    n.isOrdinal = false;
    n.text = in.Utf16z();
  }
  return n;
}

// Parses one entry starting at the reader's position. The reader ends after
// the entry's data and padding.
bool ReadEntry(ByteReader& in, const uint8_t* base, ResEntry* out) {
  const size_t start = in.pos();
  const uint32_t dataSize = in.U32();
  const uint32_t headerSize = in.U32();
  if (!in.ok()) return false;
  // The fixed part alone is 8 + 4 + 4 + 16 bytes (two ordinals).
  if (headerSize < 32 || headerSize % 4 != 0) return false;
  if (headerSize - 8 > in.remaining()) return false;

  // TYPE, NAME and the fixed fields must fit inside the declared header.
  ByteReader header(base + start, headerSize);
  header.Skip(8);
  out->type = ReadName(header);
  out->name = ReadName(header);
  header.Align(4);
  header.U32();  // DataVersion
  header.U16();  // MemoryFlags
  out->language = header.U16();
  header.U32();  // Version
  header.U32();  // Characteristics
  if (!header.ok()) return false;

  in.Skip(headerSize - 8);
  if (dataSize > in.remaining()) return false;
  out->data = in.here();
  out->size = dataSize;
  in.Skip(dataSize);
  in.Align(4, /*allowShortEnd=*/true);
  return in.ok();
}

bool ParseImage(const uint8_t* image, size_t size, std::vector<ResEntry>* entries) {
  if (image == nullptr || size == 0) return false;
  ByteReader in(image, size);
  bool first = true;
  while (in.pos() < in.size()) {
    ResEntry e;
    if (!ReadEntry(in, image, &e)) return false;
    if (first) {
      // A .res file opens with an empty entry of type 0 and name 0; it is
      // what tells this format apart from other data.
      if (!e.type.isOrdinal || e.type.ordinal != 0 || !e.name.isOrdinal || e.name.ordinal != 0 ||
          e.size != 0)
        return false;
      first = false;
      continue;
    }
    entries->push_back(std::move(e));
  }
  return !first;
}

const ResEntry* Find(const HINSTANCE__* module, uint16_t type, uint16_t id) {
  const ResEntry* fallback = nullptr;
  for (const ResEntry& e : module->entries) {
    if (!e.type.isOrdinal || e.type.ordinal != type) continue;
    if (!e.name.isOrdinal || e.name.ordinal != id) continue;
    if (e.language == 1033) return &e;
    if (fallback == nullptr) fallback = &e;
  }
  return fallback;
}

}  // namespace

HINSTANCE CreateInstanceFromRes(const uint8_t* image, size_t size) {
  std::vector<ResEntry> entries;
  if (!ParseImage(image, size, &entries)) return nullptr;
  HINSTANCE__* module = new HINSTANCE__;
  module->image = image;
  module->size = size;
  module->entries = std::move(entries);
  std::lock_guard<std::mutex> lock(gModulesLock);
  Modules().insert(module);
  return module;
}

void DestroyInstance(HINSTANCE instance) {
  if (instance == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(gModulesLock);
    if (Modules().erase(instance) == 0) return;
  }
  delete instance;
}

HINSTANCE ProgramInstance() {
  // Built on first use and kept for the life of the program.
  static HINSTANCE instance = CreateInstanceFromRes(
      kv_resource_image, static_cast<size_t>(kv_resource_image_end - kv_resource_image));
  return instance;
}

bool FindResource(HINSTANCE instance, uint16_t type, uint16_t id, ResourceData* out) {
  if (!IsModule(instance)) return false;
  const ResEntry* e = Find(instance, type, id);
  if (e == nullptr) return false;
  if (out != nullptr) {
    out->data = e->data;
    out->size = e->size;
  }
  return true;
}

std::vector<ResourceInfo> ListResources(HINSTANCE instance) {
  std::vector<ResourceInfo> list;
  if (!IsModule(instance)) return list;
  for (const ResEntry& e : instance->entries) {
    ResourceInfo info;
    info.typeIsOrdinal = e.type.isOrdinal;
    info.type = e.type.ordinal;
    info.typeName = e.type.text;
    info.nameIsOrdinal = e.name.isOrdinal;
    info.id = e.name.ordinal;
    info.name = e.name.text;
    info.language = e.language;
    info.data.data = e.data;
    info.data.size = e.size;
    list.push_back(std::move(info));
  }
  return list;
}

bool FindResource(HINSTANCE instance, uint16_t type, LPCWSTR name, ResourceData* out) {
  if (name == nullptr || !IS_INTRESOURCE(name)) return false;
  return FindResource(instance, type, static_cast<uint16_t>(reinterpret_cast<uintptr_t>(name)),
                      out);
}

}  // namespace rt
}  // namespace kv
