// The number reader: any text is Empty, a number 1..31, or Wrong, and the
// check on closing finds the first Wrong cell (lines of the input are the
// cells of a six-column grid); a list of numbers reads as its separate texts
// do, and what it reads writes back to the same list.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_files.h"
#include "store/sqlite/entry_store.h"

using kmfuzz::broken;

namespace {

bool blank(std::string_view t) {
  for (size_t i = 0; i < t.size();) {
    if (t[i] == ' ' || t[i] == '\t') {
      ++i;
    } else if (t.substr(i, 3) == "\xE3\x80\x80") {
      i += 3;
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const km::CellNumber c = km::parseCellNumber(text);
  switch (c.kind) {
    case km::CellNumber::Empty:
      if (!blank(text)) broken("non-blank text taken as empty");
      break;
    case km::CellNumber::Number: {
      if (!km::isLotteryNumber(c.value)) broken("number outside 1..31", std::to_string(c.value));
      const km::CellNumber again = km::parseCellNumber(std::to_string(c.value));
      if (again.kind != km::CellNumber::Number || again.value != c.value) broken("a number does not read back");
      break;
    }
    case km::CellNumber::Wrong:
      if (blank(text)) broken("blank text taken as wrong");
      break;
    default:
      broken("unknown kind");
  }

  // a list: numbers only where every text between separators is one, none twice
  const std::optional<std::vector<int>> list = km::readLotteryNumbers(text);
  const std::vector<std::string_view> texts = km::numberTexts(text);
  if (list) {
    if (list->size() != texts.size()) broken("a list reads more or fewer numbers than it has texts");
    std::string again;
    for (size_t i = 0; i < list->size(); ++i) {
      const km::CellNumber n = km::parseCellNumber(texts[i]);
      if (n.kind != km::CellNumber::Number || n.value != (*list)[i]) broken("a list's number is not its text's");
      again += (i ? " " : "") + std::to_string((*list)[i]);
    }
    if (km::readLotteryNumbers(again) != list) broken("a list does not read back");
  } else {
    bool allNumbers = !texts.empty();
    std::uint32_t seen = 0;
    for (std::string_view t : texts) {
      const km::CellNumber n = km::parseCellNumber(t);
      allNumbers = allNumbers && n.kind == km::CellNumber::Number && !(seen & (1u << n.value));
      if (n.kind == km::CellNumber::Number) seen |= 1u << n.value;
    }
    if (allNumbers) broken("a list of sound, different numbers is refused");
  }
  for (std::string_view t : texts)
    if (t.empty() || t.find(',') != std::string_view::npos) broken("a separator in a list's text");

  std::vector<std::string> cells;
  size_t from = 0;
  for (;;) {
    const size_t at = text.find('\n', from);
    cells.emplace_back(text.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from));
    if (at == std::string_view::npos) break;
    from = at + 1;
  }
  const int columns = km::kDateColumn - km::kFirstNumberColumn + 1;
  const int lines = static_cast<int>((cells.size() + columns - 1) / columns);
  auto cell = [&](int line, int column) -> std::string {
    if (line < 1 || line > lines || column < km::kFirstNumberColumn || column > km::kDateColumn)
      broken("cell asked outside the grid");
    const size_t i = static_cast<size_t>(line - 1) * columns + (column - km::kFirstNumberColumn);
    return i < cells.size() ? cells[i] : std::string();
  };
  const auto wrong = km::findWrongCell(lines, cell, "2026-01-06");
  // a number that does not read is never passed over: it, or a cell before it, is found
  size_t first = cells.size();
  for (size_t i = 0; i < cells.size(); ++i)
    if (static_cast<int>(i % columns) + km::kFirstNumberColumn != km::kDateColumn &&
        km::parseCellNumber(cells[i]).kind == km::CellNumber::Wrong) {
      first = i;
      break;
    }
  if (wrong && wrong->reason.empty()) broken("a wrong cell without a reason");
  if (first != cells.size()) {
    if (!wrong) broken("the wrong cell was not found");
    const size_t at = static_cast<size_t>(wrong->line - 1) * columns + (wrong->column - km::kFirstNumberColumn);
    if (at > first) broken("not the first wrong cell");
  }
  return 0;
}
