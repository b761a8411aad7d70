// The entry of kazumaki-extras.so.
#include "frame/ui/extras.h"

extern "C" __attribute__((visibility("default"))) const km::Extras* kazumaki_extras(int version) {
  return version == km::kExtrasVersion ? &km::linkedExtras() : nullptr;
}
