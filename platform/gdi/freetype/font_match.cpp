// Face names resolved through fontconfig.
#include "platform/gdi/freetype/font_match.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <cstdlib>

namespace kv {
namespace gdi {
namespace {

bool SameName(const char* a, const char* b) { return a && b && strcasecmp(a, b) == 0; }

bool IsGeneric(const std::string& family) {
  static const char* const kGeneric[] = {"sans-serif", "sans", "serif", "monospace",
                                         "mono", "system-ui", "cursive", "fantasy"};
  for (const char* g : kGeneric)
    if (SameName(family.c_str(), g)) return true;
  return false;
}

// The family that came back is acceptable when it is the one asked for, or
// one the configuration names as its stand-in with a strong binding (the
// metric-compatible aliases). A weak preference, such as "some serif" for an
// unknown serif family, is not.
bool AcceptedMatch(FcPattern* request, const char* requested, const char* matched) {
  if (SameName(requested, matched)) return true;
  FcValue v;
  FcValueBinding binding;
  for (int i = 0; FcPatternGetWithBinding(request, FC_FAMILY, i, &v, &binding) == FcResultMatch;
       ++i) {
    if (v.type != FcTypeString) continue;
    if (SameName(reinterpret_cast<const char*>(v.u.s), matched))
      return binding == FcValueBindingStrong || binding == FcValueBindingSame;
  }
  return false;
}

bool Match(const std::string& family, int weight, bool checkFamily, FontFile* out) {
  FcPattern* request = FcPatternCreate();
  if (!request) return false;
  FcPatternAddString(request, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddInteger(request, FC_WEIGHT, FcWeightFromOpenType(weight));
  FcPatternAddInteger(request, FC_SLANT, FC_SLANT_ROMAN);
  FcPatternAddBool(request, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, request, FcMatchPattern);
  FcDefaultSubstitute(request);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, request, &result);
  bool ok = false;
  if (match) {
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    int index = 0, matchedWeight = FC_WEIGHT_REGULAR;
    FcBool scalable = FcFalse;
    FcPatternGetBool(match, FC_SCALABLE, 0, &scalable);
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch && scalable) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      FcPatternGetInteger(match, FC_WEIGHT, 0, &matchedWeight);
      const char* name = reinterpret_cast<const char*>(matchedFamily);
      if (!checkFamily || AcceptedMatch(request, family.c_str(), name)) {
        out->path = reinterpret_cast<const char*>(file);
        out->index = index;
        out->family = name;
        out->bold = matchedWeight >= FC_WEIGHT_DEMIBOLD;
        ok = true;
      }
    }
    FcPatternDestroy(match);
  }
  FcPatternDestroy(request);
  return ok;
}

}  // namespace

bool MatchFontFile(const std::string& family, int weight, FontFile* out) {
  // Released at exit so that leak checkers see a clean end.
  static const bool initialised = FcInit() == FcTrue && std::atexit(FcFini) == 0;
  if (!initialised) return false;
  if (weight <= 0) weight = 400;
  if (weight > 1000) weight = 1000;
  if (!family.empty() && Match(family, weight, !IsGeneric(family), out)) return true;
  return Match("sans-serif", weight, false, out);
}

}  // namespace gdi
}  // namespace kv
