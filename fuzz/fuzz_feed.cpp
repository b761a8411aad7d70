// The results list (JSON or CSV) and the rule that joins it to a history:
// whatever the bytes, a read gives draws 1..32767 with calendar dates or a
// reason, and a merge adds only sound draws that follow the history.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_files.h"
#include "store/formats/feed.h"

using kmfuzz::broken;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const km::FeedRead feed = km::readFeed(bytes);
  if (!feed.ok) {
    if (feed.error.empty()) broken("a refused list without a reason");
    return 0;
  }
  for (const km::Draw& d : feed.draws) {
    if (d.no < 1 || d.no > 32767) broken("a draw number outside 1..32767");
    if (!d.date.empty() && !km::isCalendarDate(d.date)) broken("a date that is no calendar date", d.date);
  }
  std::vector<km::Draw> stored;
  for (const km::Draw& d : feed.draws)
    if (d.no <= 3 && stored.empty()) stored.push_back(d);
  const km::FeedMerge m = km::mergeFeed(stored, feed.draws);
  if (m.status == km::FeedMerge::Refused && m.reason.empty()) broken("a refused merge without a reason");
  if (m.status != km::FeedMerge::Append) return 0;
  int expected = stored.empty() ? 1 : stored.back().no + 1;
  std::string before = stored.empty() ? std::string() : stored.back().date;
  for (const km::Draw& d : m.added) {
    if (d.no != expected++) broken("an added draw does not follow the one before");
    if (!d.complete() || !km::isCalendarDate(d.date) || (!before.empty() && d.date.text() <= before))
      broken("an added draw is not sound", km::describeDraw(d));
    if (!km::newDrawDateProblem(d.no, d.date, km::todayDate()).empty())
      broken("an added draw off the draws' calendar", km::describeDraw(d));
    for (int f = 0; f < km::kNumberFields; ++f)
      if (!km::isLotteryNumber(d[f])) broken("an added number outside 1..31");
    before = d.date;
  }
  return 0;
}
