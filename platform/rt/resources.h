// The program's resources: a compiled resource file (the standard binary .res
// format) embedded in the program, and the module handles that name it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win32.h"

namespace kv {
namespace rt {

struct ResourceData {
  const uint8_t* data = nullptr;
  size_t size = 0;
};

// The module of the running program: the resources built into it.
HINSTANCE ProgramInstance();

// A module over a .res image in memory (tests, tools). The image is not
// copied and must outlive the module. Null when the image does not parse.
HINSTANCE CreateInstanceFromRes(const uint8_t* image, size_t size);
void DestroyInstance(HINSTANCE instance);

// Finds a resource by numeric type and numeric id; language 1033 is taken
// when present, otherwise the first language found. False when absent, or
// when `instance` is null or not a module.
bool FindResource(HINSTANCE instance, uint16_t type, uint16_t id, ResourceData* out);

// The same, with the interface's way of naming a resource: a MAKEINTRESOURCEW
// value. Named (string) resources are not used by the program and not found.
bool FindResource(HINSTANCE instance, uint16_t type, LPCWSTR name, ResourceData* out);

// One entry of a module, as listed for checking tools.
struct ResourceInfo {
  bool typeIsOrdinal = true;
  uint16_t type = 0;
  std::wstring typeName;  // when the type is a string
  bool nameIsOrdinal = true;
  uint16_t id = 0;
  std::wstring name;  // when the name is a string
  uint16_t language = 0;
  ResourceData data;
};

// Every resource of a module in file order (the leading empty entry is not
// listed). Empty when `instance` is null or not a module.
std::vector<ResourceInfo> ListResources(HINSTANCE instance);

}  // namespace rt
}  // namespace kv
