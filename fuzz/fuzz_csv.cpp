// The history CSV parser: any bytes give either a sound history or an error,
// and a sound history survives writing and reading back unchanged.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "store/formats/csv.h"

using kmfuzz::broken;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const km::Result<km::DrawList> r = km::parseHistoryCsv(text);
  if (!r.ok()) {
    if (r.message().empty()) broken("a refused CSV without a reason");
    return 0;
  }
  if (!r.message().empty()) broken("an accepted CSV with an error", r.message());
  int last = 0;
  for (const km::Draw& d : r->draws) {
    if (d.no < 1 || d.no > 32767) broken("draw number outside 1..32767", std::to_string(d.no));
    if (d.no <= last) broken("draw numbers not strictly ascending", std::to_string(d.no));
    last = d.no;
    for (const auto& v : d.n)
      if (v && !km::isLotteryNumber(*v)) broken("number outside 1..31", std::to_string(*v));
  }
  const km::Result<km::DrawList> back = km::parseHistoryCsv(km::historyToCsvWithPrizes(r->draws, r->prizes));
  if (!back.ok()) broken("the written CSV is refused", back.message());
  if (back->draws.size() != r->draws.size()) broken("the written CSV lost draws");
  for (size_t i = 0; i < r->draws.size(); ++i)
    if (back->draws[i].no != r->draws[i].no || back->draws[i].date != r->draws[i].date ||
        back->draws[i].n != r->draws[i].n)
      broken("the written CSV changed draw", std::to_string(r->draws[i].no));
  if (back->prizes != r->prizes) broken("the written CSV changed the prizes");
  return 0;
}
