// kazumaki-tool prizes: the prize of a draw (per tier its winning tickets and
// the yen paid for each), stored through the entry store as the data entry
// window stores it.
#include <string>
#include <vector>

#include "store/files/text_excerpt.h"
#include "store/sqlite/entry_store.h"
#include "tool/commands.h"
#include "tool/tool_common.h"

namespace km::tool {

// prizes [DB] DRAW W1 P1 W2 P2 W3 P3 W4 P4, or prizes [DB] DRAW --clear.
int prizesCommand(const std::vector<std::string>& a) {
  size_t at = 1;
  std::string given;
  // a first argument that is no draw number names the database
  if (a.size() > 2 && parseDrawNo(a[1]).kind != CellNumber::Number) given = a[at++];
  if (at >= a.size()) return usage();
  const CellNumber draw = parseDrawNo(a[at]);
  if (draw.kind != CellNumber::Number) {
    tell("回数「" + excerpt(a[at]) + "」は1〜" + std::to_string(kMaxDrawNo) + "の整数で指定してください。");
    return 1;
  }
  const std::vector<std::string> figures(a.begin() + static_cast<long>(at) + 1, a.end());
  PrizeTexts texts;  // all empty: --clear
  if (figures != std::vector<std::string>{"--clear"}) {
    if (figures.size() != static_cast<size_t>(kPrizeFields)) {
      tell(
          "当選金は、1等口数 1等当せん金 2等口数 2等当せん金 3等口数 3等当せん金 4等口数 4等当せん金 の8つを"
          "指定してください（" +
          std::to_string(figures.size()) + "個あります）。消すときは --clear です。");
      return 2;
    }
    for (int f = 0; f < kPrizeFields; ++f) texts[f] = figures[f];
    // refused before the file is opened
    if (std::string why = prizeProblem(texts); !why.empty()) {
      tell("第" + std::to_string(draw.value) + "回の" + why);
      return 1;
    }
    for (const std::string& t : texts)
      if (parsePrizeFigure(t).kind == CellNumber::Empty) {  // "" given on purpose
        tell("空の当選金があります。消すときは --clear を指定してください。");
        return 1;
      }
  }
  std::string path, error, details;
  if (!databasePath(given, path)) return 1;
  auto store = EntryStore::open(connectTo(path), error, EntryStore::kDefaultBusyTimeoutMs, &details);
  if (!store) {
    tell(error, details);
    return 1;
  }
  if (const std::string e = store->setPrize(draw.value, texts); !e.empty()) {
    tell(e, store->details());
    return 1;
  }
  return 0;
}

}  // namespace km::tool
