// The readers of the history agree on each value: a number typed, imported
// or stored, a draw number, a date.
#include "store/domain_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "analyses/statistics/chart_choice.h"
#include "store/formats/csv.h"
#include "store/formats/tickets_file.h"
#include "store/sqlite/database.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/store_fault_helpers.h"

namespace km {
namespace {

using test::ScratchDir;

constexpr int kWrong = -1;  // a text the entry window refuses

// A number as text: the entry window, kazumaki-tool add and the CSV reader
// take the same value or refuse it alike.
TEST(DomainValues, EveryReaderOfANumberAsTextTakesTheSameValue) {
  const struct {
    const char* text;
    std::optional<int> cell;  // empty: an empty cell; kWrong: refused
  } cases[] = {
      {"1", 1},
      {"31", 31},
      {"05", 5},
      {"１２", 12},
      {" 7　", 7},
      {"", std::nullopt},
      {"　", std::nullopt},
      {"0", kWrong},
      {"32", kWrong},
      {"5.0", kWrong},
      {"+5", kWrong},
      {"-3", kWrong},
      {"abc", kWrong},
      {"99999999999", kWrong},
  };
  const std::string header = std::string(kCsvHeader) + "\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const CellNumber cell = parseCellNumber(c.text);
    const std::optional<int> got = cell.kind == CellNumber::Empty   ? std::nullopt
                                   : cell.kind == CellNumber::Wrong ? std::optional<int>(kWrong)
                                                                    : std::optional<int>(cell.value);
    EXPECT_EQ(got, c.cell);
    const std::string field =
        std::string(c.text).find(' ') != std::string::npos ? '"' + std::string(c.text) + '"' : std::string(c.text);
    const CsvResult csv = parseHistoryCsv(header + "1,,2,3,4,5,6," + field + "\n");
    EXPECT_EQ(csv.ok, c.cell != kWrong) << csv.error;
    if (csv.ok) {
      EXPECT_EQ(csv.draws[0].n[Bonus], c.cell);
    }
  }
}

// A prize figure as text: typed into the entry window or kazumaki-tool
// prizes, and read from a results file, it is the same value or refused alike.
TEST(DomainValues, EveryReaderOfAPrizeFigureTakesTheSameValue) {
  const struct {
    const char* text;
    std::optional<int> figure;  // empty: an empty field; kWrong: refused
  } cases[] = {
      {"1000", 1000},
      {"1,000", 1000},
      {"１，０００", 1000},
      {"1000円", 1000},
      {" 258,300 ", 258300},
      {"16,868,900", 16868900},
      {"999,999,999", 999999999},
      {"該当なし", 0},
      {"0", 0},
      {"", std::nullopt},
      {"-5", kWrong},
      {"12,34", kWrong},
      {"1234,567", kWrong},
      {"1,0000", kWrong},
      {",100", kWrong},
      {"100,", kWrong},
      {"1.5", kWrong},
      {"円", kWrong},
      {"1,000,000,000", kWrong},
  };
  const std::string header =
      "回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5,ボーナス数字,"
      "1等口数,1等当せん金,2等口数,2等当せん金,3等口数,3等当せん金,4等口数,4等当せん金\n";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const CellNumber n = parsePrizeFigure(c.text);
    const std::optional<int> got = n.kind == CellNumber::Empty   ? std::nullopt
                                   : n.kind == CellNumber::Wrong ? std::optional<int>(kWrong)
                                                                 : std::optional<int>(n.value);
    EXPECT_EQ(got, c.figure);
    // as the 4等当せん金 of a draw whose other figures are sound: a prize
    // only when the figure is one that a tier somebody won can pay
    const bool prize = c.figure && *c.figure > 0;
    PrizeTexts texts = {"1", "100", "1", "100", "1", "100", "1", c.text};
    EXPECT_EQ(prizeProblem(texts).empty(), prize) << prizeProblem(texts);
    const CsvResult csv = parseResultsCsv(header + "1,2020-01-07,1,2,3,4,5,6,1,100,1,100,1,100,1,\"" + c.text + "\"\n");
    EXPECT_EQ(csv.ok, prize) << csv.error;
    if (prize) {
      ASSERT_EQ(csv.prizes.count(1), 1u);
      EXPECT_EQ(csv.prizes.at(1).yen[3], *c.figure);
    }
  }
}

// A list of numbers, wherever it is typed or given (the chart's numbers, a
// ticket's line, the tool's options): the same separators, the same number
// rule, and 「7.5」「-3」「7abc12」 refused everywhere rather than read as
// other numbers.
TEST(DomainValues, EveryReaderOfAListOfNumbersTakesTheSameNumbers) {
  using Numbers = std::optional<std::vector<int>>;
  const struct {
    const char* text;
    Numbers numbers;  // none: refused
  } cases[] = {
      {"7", std::vector<int>{7}},
      {"7,12 31", std::vector<int>{7, 12, 31}},
      {" 1、2、3、4、5 ", std::vector<int>{1, 2, 3, 4, 5}},
      {"３　７，１２\t20,31", std::vector<int>{3, 7, 12, 20, 31}},
      {"31 3 12 7 20", std::vector<int>{31, 3, 12, 7, 20}},
      {"7.5", std::nullopt},
      {"-3", std::nullopt},
      {"7abc12", std::nullopt},
      {"7-12", std::nullopt},
      {"7,7", std::nullopt},
      {"0", std::nullopt},
      {"32", std::nullopt},
      {"99999999999", std::nullopt},
      {"", std::nullopt},
      {" , 、", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(readLotteryNumbers(c.text), c.numbers);
    // the chart takes one to five of them; a ticket exactly five, kept in ascending order
    const Numbers chart = c.numbers && c.numbers->size() <= 5 ? c.numbers : std::nullopt;
    EXPECT_EQ(parseChartNumbers(c.text), chart);
    const NumbersParse ticket = parseTicketNumbers(c.text);
    EXPECT_EQ(ticket.ok(), c.numbers && c.numbers->size() == 5) << ticket.error;
    if (ticket.ok()) {
      std::vector<int> sorted = *c.numbers;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_EQ(std::vector<int>(ticket.numbers.begin(), ticket.numbers.end()), sorted);
    }
  }
}

// A file holding `value` in 第1数字 of draw 1 (typeless columns, so that SQLite keeps what it is given).
void storedFile(const std::string& path, const std::string& drawNo, const std::string& value) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_TRUE(keyConnection(db, databasePassword()));
  const std::string sql =
      "CREATE TABLE 当選データ (回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字);"
      "CREATE VIEW 全データ選択クエリ AS SELECT 回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字 "
      "FROM 当選データ ORDER BY 回数;"
      "INSERT INTO 当選データ VALUES (" +
      drawNo + ", NULL, " + value + ", 2, 3, 4, 5, 6);";
  EXPECT_EQ(test::execSql(db, sql.c_str()), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

// A stored number field: the start-up read, the update's read of a
// downloaded file and the entry window's check all take exactly the sound
// fields (empty, or a lottery number) and refuse every other.
TEST(DomainValues, AStoredNumberIsReadAlikeAtStartUpByTheUpdatesCheckAndByTheEntryWindow) {
  const struct {
    const char* sql;
    std::optional<int> startUp;
    bool sound;
  } cases[] = {
      {"5", 5, true},
      {"'５'", 5, true},
      {"' 7 '", 7, true},
      {"NULL", std::nullopt, true},
      {"''", std::nullopt, true},
      {"32", 32, false},
      {"'32'", 32, false},
      {"0", 0, false},
      {"5.0", std::nullopt, false},
      {"'+5'", std::nullopt, false},
      {"'abc'", std::nullopt, false},
  };
  ScratchDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const ConnectString cs{dir.file("Kazumaki.mdb"), databasePassword()};
    std::filesystem::remove(cs.path);
    storedFile(cs.path, "1", c.sql);
    const LoadResult read = loadHistory(cs);
    EXPECT_EQ(read.ok, c.sound) << read.message;
    if (read.ok) {
      EXPECT_EQ(read.rows[0].n[N1], c.startUp);
    }
    const TableRead download = readDrawTable(cs);
    EXPECT_EQ(download.status == TableRead::Read, c.sound) << download.message;
    std::string error;
    auto store = EntryStore::open(cs, error);
    ASSERT_TRUE(store) << error;
    std::vector<EntryRow> rows;
    ASSERT_EQ(store->readAll(rows), "");
    EXPECT_EQ(parseCellNumber(rows[0].text[0]).kind != CellNumber::Wrong, c.sound) << rows[0].text[0];
  }
}

// A stored draw number: the update's read refuses exactly the files the start-up read refuses.
TEST(DomainValues, AStoredDrawNumberIsAnIntegerFrom1To32767ForEveryReader) {
  const struct {
    const char* sql;
    bool ok;
  } cases[] = {{"1", true},    {"32767", true}, {"0", false},    {"32768", false},
               {"'2'", false}, {"2.0", false},  {"NULL", false}, {"-1", false}};
  ScratchDir dir;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    const ConnectString cs{dir.file("Kazumaki.mdb"), databasePassword()};
    std::filesystem::remove(cs.path);
    storedFile(cs.path, c.sql, "1");
    EXPECT_EQ(loadHistory(cs).ok, c.ok);
    EXPECT_EQ(readDrawTable(cs).status == TableRead::Read, c.ok);
    const CsvResult csv = parseHistoryCsv(std::string(kCsvHeader) + "\n" + c.sql + ",,1,2,3,4,5,6\n");
    if (std::string(c.sql).find_first_not_of("0123456789") == std::string::npos) {
      EXPECT_EQ(csv.ok, c.ok) << csv.error;
    }
  }
}

TEST(DomainValues, ACalendarDateNamesADayThatExists) {
  const struct {
    const char* date;
    bool ok;
  } cases[] = {
      {"2025-09-23", true},  {"2024-02-29", true},  {"2000-02-29", true},  {"0001-01-01", true},
      {"9999-12-31", true},  {"2025-01-31", true},  {"2025-01-00", false}, {"2025-00-10", false},
      {"2025-13-01", false}, {"2023-02-29", false}, {"2100-02-29", false}, {"2025-04-31", false},
      {"0000-01-01", false}, {"2025-1-01", false},  {"2025/01/01", false}, {"２０２５-01-01", false},
  };
  for (const auto& c : cases) EXPECT_EQ(isCalendarDate(c.date), c.ok) << c.date;
}

}  // namespace
}  // namespace km
