// kazumaki-tool wheel: the lines of a wheel over the numbers given, with the
// guarantee "当せん数字のうちM個が選んだ数字に入っていれば、少なくとも1口はT個一致".
#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "analyses/combos/wheel.h"
#include "analyses/tickets/ticket_check.h"
#include "store/domain_values.h"
#include "store/files/text_excerpt.h"
#include "tool/commands.h"
#include "tool/tool_common.h"

namespace km::tool {

namespace {

// A count given on the command line (full-width digits too), or -1 said.
int countOption(const std::string& option, const std::string& text) {
  const CellNumber n = parseWholeNumber(text);
  if (n.kind == CellNumber::Number) return n.value;
  tell(option + " の「" + excerpt(text) + "」は個数ではありません。" +
       (option == "--match" ? "2〜4の数で指定してください。" : "--match の数から5までの数で指定してください。"));
  return -1;
}

// The pool written as text: numbers separated as a ticket's are, each 1..31,
// all different (more checks in makeWheel); false, said, when not.
bool poolOf(const std::string& text, std::vector<int>& pool) {
  std::string error;
  for (std::string_view piece : numberTexts(text)) {
    const CellNumber n = parseCellNumber(piece);
    if (n.kind != CellNumber::Number) {
      error = "「" + excerpt(piece) + "」は1〜31の数字ではありません";
      break;
    }
    pool.push_back(n.value);
  }
  if (error.empty() && pool.empty()) error = "数字がありません";
  std::sort(pool.begin(), pool.end());
  if (error.empty())
    if (const auto twice = std::adjacent_find(pool.begin(), pool.end()); twice != pool.end())
      error = "数字" + std::to_string(*twice) + "が2回あります";
  if (!error.empty()) tell("--numbers：" + error + "。");
  return error.empty();
}

void writeLine(const WheelLine& line, char separator) {
  for (size_t i = 0; i < line.size(); ++i) std::cout << (i ? std::string(1, separator) : "") << line[i];
  std::cout << '\n';
}

}  // namespace

// wheel --numbers "N N .." --match T [--if M] [--csv]
int wheelCommand(const std::vector<std::string>& a) {
  std::string numbers, match, ifDrawn;
  bool csv = false, hasNumbers = false;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--csv") {
      csv = true;
    } else if (a[i] == "--numbers" && i + 1 < a.size() && !hasNumbers) {
      numbers = a[++i];
      hasNumbers = true;
    } else if (a[i] == "--match" && i + 1 < a.size() && match.empty()) {
      match = a[++i];
    } else if (a[i] == "--if" && i + 1 < a.size() && ifDrawn.empty()) {
      ifDrawn = a[++i];
    } else {
      return usage();
    }
  }
  if (!hasNumbers || match.empty()) return usage();
  WheelRequest request;
  if (!poolOf(numbers, request.pool)) return 1;
  if ((request.match = countOption("--match", match)) < 0) return 1;
  request.ifDrawn = request.match;
  if (!ifDrawn.empty() && (request.ifDrawn = countOption("--if", ifDrawn)) < 0) return 1;
  const Wheel w = makeWheel(request);
  if (w.status != Wheel::Made || w.uncovered != 0) {
    tell(w.status == Wheel::Refused ? w.reason : "保証つきの組合せを作れませんでした。");
    return 1;
  }
  if (!csv) {
    std::cout << "保証：当せん数字のうち" << request.ifDrawn << "個が選んだ数字に入っていれば、少なくとも1口は"
              << request.match << "個一致\n"
              << "選んだ数字：" << request.pool.size() << "個\n"
              << "口数：" << w.lines.size() << "口（" << yenText(static_cast<long long>(w.lines.size()) * kLinePriceYen)
              << "）\n"
              << "下限：" << w.lowerBound << "口\n"
              << "証明された最小：" << (w.provenMinimum ? std::to_string(*w.provenMinimum) + "口" : "不明") << "\n";
    for (const WheelLine& line : w.lines) writeLine(line, ' ');
    return written();
  }
  std::cout << "n1,n2,n3,n4,n5\n";
  for (const WheelLine& line : w.lines) writeLine(line, ',');
  return written();
}

}  // namespace km::tool
