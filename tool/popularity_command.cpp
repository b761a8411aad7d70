// kazumaki-tool popularity: the window 人気度 on the command line.
#include <cmath>
#include <iostream>
#include <string>
#include <vector>

#include "analyses/popularity/popularity_grid.h"
#include "analyses/popularity/popularity_model.h"
#include "frame/grid_setup.h"
#include "tool/commands.h"
#include "tool/tool_common.h"

namespace km::tool {

namespace {

int lines(const PopularityModel& model, const std::vector<TicketNumbers>& lines, bool csv) {
  if (csv) std::cout << "n1,n2,n3,n4,n5,prize1,prize3,prize4\n";
  for (const TicketNumbers& line : lines) {
    const LineEstimate e = estimateLine(model, line);
    std::string numbers;
    for (int n : line) {
      if (!numbers.empty()) numbers += csv ? ',' : ' ';
      numbers += std::to_string(n);
    }
    if (csv) {
      std::cout << numbers;
      for (int tier : {0, 2, 3}) std::cout << ',' << std::llround(e.yen[static_cast<size_t>(tier)]);
      std::cout << '\n';
    } else {
      std::cout << numbers << '\n' << lineEstimateText(model, e) << '\n';
    }
  }
  return written();
}

int numbers(const PopularityModel& model, bool csv) {
  if (csv) {
    std::cout << "number,effect,low,high\n";
    for (const NumberPopularity& p : model.numbers)
      std::cout << p.number << ',' << fixedText(100 * p.effect, 1) << ',' << fixedText(100 * p.low, 1) << ','
                << fixedText(100 * p.high, 1) << '\n';
    return written();
  }
  std::cout << qualitySentence(model) << '\n';
  for (const NumberPopularity& p : model.numbers)
    std::cout << p.number << "：1等の賞金 " << percentText(p.effect) << "（" << percentText(p.low) << "〜"
              << percentText(p.high) << "） 人気の順 " << p.rank << '\n';
  return written();
}

}  // namespace

// popularity [DB] --line "N1 N2 N3 N4 N5" [--line ...] [--csv] | popularity [DB] --numbers [--csv]
int popularityCommand(const std::vector<std::string>& a) {
  std::vector<std::string> paths;
  std::vector<TicketNumbers> asked;
  bool csv = false, byNumber = false;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--csv") {
      csv = true;
    } else if (a[i] == "--numbers") {
      byNumber = true;
    } else if (a[i] == "--line" && i + 1 < a.size()) {
      const NumbersParse p = parseTicketNumbers(a[++i]);
      if (!p.ok()) {
        tell("--line：" + p.error + "。");
        return 1;
      }
      asked.push_back(p.numbers);
    } else if (a[i].rfind("--", 0) == 0 || !paths.empty()) {
      return usage();
    } else {
      paths.push_back(a[i]);
    }
  }
  if (byNumber == !asked.empty()) return usage();
  std::string db;
  if (!databasePath(paths.empty() ? std::string() : paths.front(), db)) return 1;
  LoadResult r;
  if (!load(db, false, r)) return 1;
  const PopularityModel model = fitPopularity(History::fromRows(std::move(r.rows), std::move(r.prizes)));
  if (!model.fitted()) {
    tell(notFittedText(model));
    return 1;
  }
  return byNumber ? numbers(model, csv) : lines(model, asked, csv);
}

}  // namespace km::tool
