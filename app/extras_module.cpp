// The entry of kazumaki-extras.so.
#include <cstring>

#include "frame/ui/extras.h"
#include "km_build_id.h"

namespace {
// Kept as data, so that the id can be found in the file.
__attribute__((used)) const char kBuildId[] = "kazumaki-build-id:" KM_BUILD_ID;
}  // namespace

extern "C" __attribute__((visibility("default"))) const km::Extras* kazumaki_extras_of_build(const char* buildId) {
  const char* own = kBuildId + std::strlen("kazumaki-build-id:");
  return buildId && std::strcmp(buildId, own) == 0 ? &km::linkedExtras() : nullptr;
}
