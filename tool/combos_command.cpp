// kazumaki-tool combos: the lines the conditions of 組合せ作成 keep, their
// count beside the stored winning lines the same conditions kept, or some of
// them chosen at random; sorted by 賞金倍率 or kept at or above one, as the
// window does.
#include <algorithm>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "analyses/combos/conditions.h"
#include "analyses/combos/line_factors.h"
#include "analyses/popularity/popularity_grid.h"
#include "frame/grid_setup.h"
#include "store/domain_values.h"
#include "tool/commands.h"
#include "tool/tool_common.h"

namespace km::tool {

namespace {

// "70-90" (or 70〜90): the sum range; false with the reason.
bool parseSum(const std::string& text, Conditions& c, std::string& why) {
  size_t at = std::string::npos, width = 0;
  for (std::string_view dash : {"-", "〜", "～"})
    if (const size_t p = text.find(dash); p != std::string::npos) {
      at = p;
      width = dash.size();
      break;
    }
  if (at == std::string::npos) {
    why = "合計は「70-90」のように下限-上限で指定します";
    return false;
  }
  const CellNumber from = parseWholeNumber(std::string_view(text).substr(0, at));
  const CellNumber to = parseWholeNumber(std::string_view(text).substr(at + width));
  if (from.kind != CellNumber::Number || to.kind != CellNumber::Number) {
    why = "合計は「70-90」のように下限-上限で指定します";
    return false;
  }
  c.sum = true;
  c.sumFrom = from.value;
  c.sumTo = to.value;
  return true;
}

// "5:1,2": N and the counts.
bool parseRecent(const std::string& text, Conditions& c, std::string& why) {
  size_t at = text.find(':'), width = 1;
  if (at == std::string::npos && (at = text.find("：")) != std::string::npos) width = std::string("：").size();
  if (at == std::string::npos) {
    why = "「5:1,2」のように回数:個数で指定します";
    return false;
  }
  const CellNumber n = parseWholeNumber(std::string_view(text).substr(0, at));
  if (n.kind != CellNumber::Number || n.value < 1 || n.value > kMaxRecentDraws) {
    why = "直近の回数は1〜" + std::to_string(kMaxRecentDraws) + "です";
    return false;
  }
  const CountsParse counts = parseCountSet(std::string_view(text).substr(at + width), countRange(Condition::Recent));
  if (!counts.ok()) {
    why = counts.error;
    return false;
  }
  if (!counts.set) {
    why = "個数がありません";
    return false;
  }
  c.recentDraws = n.value;
  c.recent = counts.set;
  return true;
}

// "1.1" or "1.10": a factor 0..kMaxMinFactor; false with the reason.
bool parseFactor(const std::string& text, double& factor, std::string& why) {
  why = "賞金倍率は0〜" + fixedText(kMaxMinFactor, 2) + "の数です（例：1.1）";
  const size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot), part = dot == std::string::npos ? "" : text.substr(dot + 1);
  auto digits = [](const std::string& s, size_t most) {
    return s.size() <= most && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
  };
  if (whole.empty() || !digits(whole, 2) || !digits(part, 2) || (dot != std::string::npos && part.empty()))
    return false;
  factor = std::stoi(whole) + (part.empty() ? 0.0 : std::stoi(part) / (part.size() == 1 ? 10.0 : 100.0));
  return factor <= kMaxMinFactor;
}

// The lines, and with `factors` the column factor (to two decimals, as the window shows it).
void writeLines(const std::vector<TicketNumbers>& lines, const std::vector<double>& factors = {}) {
  std::string out = factors.empty() ? "n1,n2,n3,n4,n5\n" : "n1,n2,n3,n4,n5,factor\n";
  out.reserve(out.size() + lines.size() * 20);
  for (size_t k = 0; k < lines.size(); ++k) {
    for (size_t i = 0; i < 5; ++i) {
      if (i) out += ',';
      out += std::to_string(lines[k][i]);
    }
    if (!factors.empty()) out += ',' + fixedText(factors[k], 2);
    out += '\n';
  }
  std::cout << out;
}

}  // namespace

int combosCommand(const std::vector<std::string>& a) {
  Conditions c;
  std::vector<std::string> paths;
  enum class Output { None, Count, Csv, Sample } output = Output::None;
  std::string sampleText, seedText;
  FactorChoice factor;
  bool factorAsked = false;
  std::vector<std::string> given;
  for (size_t i = 1; i < a.size(); ++i) {
    const std::string& o = a[i];
    if (o.rfind("--", 0) != 0) {
      paths.push_back(o);
      continue;
    }
    for (const std::string& g : given)
      if (g == o) return usage();  // an option twice
    given.push_back(o);
    if (o == "--count" || o == "--csv") {
      if (output != Output::None) return usage();
      output = o == "--count" ? Output::Count : Output::Csv;
      continue;
    }
    if (o == "--sort-factor") {
      factor.sort = factorAsked = true;
      continue;
    }
    if (i + 1 >= a.size()) return usage();
    const std::string& v = a[++i];
    std::string why;
    bool ok = true;
    if (o == "--axis" || o == "--exclude") {
      const NumberSetParse p = parseNumberSet(v);
      ok = p.ok();
      why = p.error;
      (o == "--axis" ? c.axis : c.excluded) = p.set;
    } else if (o == "--sum") {
      ok = parseSum(v, c, why);
    } else if (o == "--odd" || o == "--low" || o == "--consecutive" || o == "--last-digits") {
      const Condition which = o == "--odd"           ? Condition::Odd
                              : o == "--low"         ? Condition::Low
                              : o == "--consecutive" ? Condition::Consecutive
                                                     : Condition::LastDigits;
      const CountsParse p = parseCountSet(v, countRange(which));
      ok = p.ok();
      why = p.error;
      (which == Condition::Odd           ? c.odd
       : which == Condition::Low         ? c.low
       : which == Condition::Consecutive ? c.consecutive
                                         : c.lastDigits) = p.set;
    } else if (o == "--recent") {
      ok = parseRecent(v, c, why);
    } else if (o == "--sample") {
      if (output != Output::None) return usage();
      output = Output::Sample;
      sampleText = v;
    } else if (o == "--seed") {
      seedText = v;
    } else if (o == "--min-factor") {
      ok = parseFactor(v, factor.minimum, why);
      factorAsked = true;
    } else {
      return usage();
    }
    if (!ok) {
      tell(o + "：" + why + "。");
      return 1;
    }
  }
  if (paths.size() > 1 || output == Output::None || (!seedText.empty() && output != Output::Sample) ||
      (factorAsked && output == Output::Count))
    return usage();
  if (const std::string why = conditionsProblem(c); !why.empty()) {
    tell(why);
    return 1;
  }
  int count = 0;
  std::uint64_t seed = 0;
  if (output == Output::Sample) {
    const CellNumber k = parseWholeNumber(sampleText);
    if (k.kind != CellNumber::Number || k.value < 1) {
      tell("--sample：口数は1以上の整数です。");
      return 1;
    }
    count = k.value;
    if (seedText.empty()) {
      seed = std::random_device{}() % (kMaxSeed + 1);
    } else {
      const CellNumber s = parseWholeNumber(seedText);
      if (s.kind != CellNumber::Number) {
        tell("--seed：シードは0〜" + std::to_string(kMaxSeed) + "の整数です。");
        return 1;
      }
      seed = static_cast<std::uint64_t>(s.value);
    }
  }

  std::string db;
  if (!databasePath(paths.empty() ? std::string() : paths.front(), db)) return 1;
  LoadResult r;
  if (!load(db, false, r)) return 1;
  const History history = History::fromRows(std::move(r.rows), std::move(r.prizes));
  const LineSpace space(history);
  PopularityModel model;
  if (factorAsked && !(model = fitPopularity(history)).fitted()) {
    tell(notFittedText(model));
    return 1;
  }
  // the lines with their factors, as the window shows them
  auto write = [&](const std::vector<TicketNumbers>& lines) {
    if (!factorAsked) return writeLines(lines);
    const FactoredLines kept = chooseByFactor(lines, lineFactors(model, lines), factor, false);
    writeLines(kept.lines, kept.factors);
  };
  switch (output) {
    case Output::Count: {
      const Figures f = space.figures(c);
      std::cout << f.all.kept << ',' << f.all.hits << ',' << f.all.judged << '\n';
      break;
    }
    case Output::Csv:
      write(space.keptLines(c));
      break;
    case Output::Sample:
      // the seed chosen here, so that the same lines can be made again
      if (seedText.empty())
        tell("シード " + std::to_string(seed) + "（--seed " + std::to_string(seed) + " で同じ口を作れます）");
      write(space.sampleLines(c, count, seed));
      break;
    case Output::None:
      break;
  }
  return written();
}

}  // namespace km::tool
