// The readers of the history agree on each value: a number typed, imported
// or stored, a draw number, a date.
#include "store/domain_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "analyses/statistics/chart_choice.h"
#include "store/formats/csv.h"
#include "store/formats/feed.h"
#include "store/formats/tickets_file.h"
#include "store/sqlite/database.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/store_fault_helpers.h"
#include "tests/core/test_history.h"
#include "tests/core/test_results.h"

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
    const Result<DrawList> csv = parseHistoryCsv(header + "1,,2,3,4,5,6," + field + "\n");
    EXPECT_EQ(csv.ok(), c.cell != kWrong) << csv.message();
    if (csv.ok()) {
      EXPECT_EQ(csv->draws[0].n[Bonus], c.cell);
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
    const Result<DrawList> csv =
        parseResultsCsv(header + "1,2020-01-07,1,2,3,4,5,6,1,100,1,100,1,100,1,\"" + c.text + "\"\n");
    EXPECT_EQ(csv.ok(), prize) << csv.message();
    if (prize) {
      ASSERT_EQ(csv->prizes.count(1), 1u);
      EXPECT_EQ(csv->prizes.at(1).yen[3], *c.figure);
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
    const Result<TicketNumbers> ticket = parseTicketNumbers(c.text);
    EXPECT_EQ(ticket.ok(), c.numbers && c.numbers->size() == 5) << ticket.message();
    if (ticket.ok()) {
      std::vector<int> sorted = *c.numbers;
      std::sort(sorted.begin(), sorted.end());
      EXPECT_EQ(std::vector<int>((*ticket).begin(), (*ticket).end()), sorted);
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
    EXPECT_EQ(read.ok(), c.sound) << read.message();
    if (read.ok()) {
      EXPECT_EQ(read->draws[0].n[N1], c.startUp);
    }
    const Result<DrawList> download = readDrawTable(cs);
    EXPECT_EQ(download.kind() == Fault::None, c.sound) << download.message();
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
    EXPECT_EQ(loadHistory(cs).ok(), c.ok);
    EXPECT_EQ(readDrawTable(cs).kind() == Fault::None, c.ok);
    const Result<DrawList> csv = parseHistoryCsv(std::string(kCsvHeader) + "\n" + c.sql + ",,1,2,3,4,5,6\n");
    if (std::string(c.sql).find_first_not_of("0123456789") == std::string::npos) {
      EXPECT_EQ(csv.ok(), c.ok) << csv.message();
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

// A date as the lists write it and as it is typed: the three forms, full-width digits and separators (ー is the dash
// a Japanese input method types, − the minus sign), and a date with a time: with a zone, Japan's date of that moment.
TEST(DomainValues, ADateIsReadInEveryFormTheListsAndTypingUse) {
  for (const char* text :
       {"2026-08-25", "2026/8/25", "2026年8月25日", " ２０２６-０８-２５　", "２０２６／８／２５", "2026－08－25",
        "2026ー08ー25", "2026−08−25", "2026-08-25T18:45", "2026-08-25 18:45:00", "2026-08-25T09:45:00Z",
        "2026-08-25T18:45:00+09:00", "2026-08-25T14:59:59Z", "2026-08-24T23:00:00-05:00", "2026-08-25 18:45 JST"})
    EXPECT_EQ(normalizedDate(text), "2026-08-25") << text;
  for (const char* text : {"2026-08-25T15:00:00Z", "2026-08-25T18:45:00.250Z", "2026-08-25T10:00:00-05:00"})
    EXPECT_EQ(normalizedDate(text), "2026-08-26") << text;
  EXPECT_EQ(normalizedDate("2026-08-25T00:30:00+1000"), "2026-08-24");
  for (const char* text : {"2026-02-30", "2026-08-25T25:00", "2026-08-25T18:45+25:00", "2026-08-25T",
                           "2026-08-25 banana", "20260825", "2026.08.25"})
    EXPECT_EQ(normalizedDate(text), "") << text;
}

// "Now" for the calendar test: a fixed moment, on a computer in Los Angeles.
std::chrono::system_clock::time_point g_now;
struct FixedClock {
  Clock previous;
  std::optional<std::string> oldZone;
  explicit FixedClock(std::chrono::system_clock::time_point at) {
    g_now = at;
    previous = setClock([] { return g_now; });
    if (const char* old = std::getenv("TZ")) oldZone = old;
    ::setenv("TZ", "PST8PDT", 1);
    ::tzset();
  }
  ~FixedClock() {
    setClock(previous);
    oldZone ? ::setenv("TZ", oldZone->c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
  }
};

// The draws' calendar for a draw new to the history: a Tuesday outside the
// year-end break (31 December to 3 January), not after today's date in Japan
// whatever the computer's zone.  A list's new draw here (a typed one in
// entry_store_test); the refusal names the draw, the date and the rule.
TEST(DomainValues, ANewDrawIsDatedByTheDrawsCalendar) {
  using namespace std::chrono;
  {
    const FixedClock clock(sys_days{2026y / August / 24} + 14h + 59min);  // 23:59 in Japan
    EXPECT_EQ(todayDate(), "2026-08-24");
  }
  const FixedClock clock(sys_days{2026y / August / 24} + 15h);  // midnight in Japan, the 24th in Los Angeles
  EXPECT_EQ(todayDate(), "2026-08-25");
  const std::vector<Draw> stored = test::feedDraws(3);
  auto merged = [&](const char* date) {  // draw 4 on that date from a list
    std::vector<Draw> list = stored;
    list.push_back(test::draw(4, {2, 3, 4, 5, 6, 7}, normalizedDate(date)));
    return mergeFeed(stored, list);
  };
  for (const char* date : {"2026-08-25", "2025-12-30"})
    EXPECT_EQ(test::ended(merged(date)), test::Ended::Added) << date;
  const std::pair<const char*, const char*> refused[] = {
      {"2026-08-24", "取得先の第4回の抽選日 2026-08-24 は月曜日です。ミニロトの抽せんは火曜日です。"},
      {"2024-12-31", "第4回の抽選日 2024-12-31 は年末年始（12月31日〜1月3日）の火曜日です。"},
      {"2023-01-03", "2023-01-03 は年末年始"},
      {"2026-09-01", "第4回の抽選日 2026-09-01 は、今日（日本の日付で 2026-08-25）より後です。"}};
  for (const auto& [date, says] : refused) {
    const Result<FeedMerge> m = merged(date);
    EXPECT_EQ(test::ended(m), test::Ended::Refused) << date;
    EXPECT_NE(m.message().find(says), std::string::npos) << m.message();
  }
  // every draw of the shipped history falls on the date the calendar gives after the draw before (a fortnight apart
  // for draws 1..13, then weekly without the year-end break), and the draws due since a date count the same calendar
  const Result<DrawList> shipped = parseHistoryCsv(test::slurpFile(KM_SHIPPED_CSV));
  ASSERT_TRUE(shipped.ok());
  for (size_t i = 1; i < shipped->draws.size(); ++i) {
    const Draw &a = shipped->draws[i - 1], &b = shipped->draws[i];
    ASSERT_EQ(nextDrawDate(a.no, a.date), b.date.text()) << "after draw " << a.no;
    ASSERT_EQ(newDrawDateProblem(b.no, b.date, "2026-08-18"), "") << b.no;
    ASSERT_EQ(drawsDue(a.no, a.date, b.date), 1) << "after draw " << a.no;
  }
  EXPECT_EQ(drawsDue(1, "1999-04-13", "2026-08-18"), 1399) << "every draw held since the first";
}
}  // namespace
}  // namespace km

namespace km {
namespace {

// A whole draw: five different main numbers 1..31 and a bonus 1..31 that is
// none of them.  The same rule decides for the update's check of a new draw
// and for what the statistics count; a repeat is looked for between every
// two fields, not only neighbours.
TEST(DomainValues, AWholeDrawHasFiveDifferentNumbersAndABonusNotAmongThem) {
  const struct {
    std::array<int, 6> n;  // 0: empty
    const char* says;      // nullptr: whole
  } cases[] = {
      {{1, 2, 3, 4, 5, 6}, nullptr},
      {{31, 30, 29, 28, 27, 1}, nullptr},
      {{0, 2, 3, 4, 5, 6}, "「第1数字」が空欄です。"},
      {{1, 2, 3, 4, 5, 0}, "「ボーナス数字」が空欄です。"},
      {{32, 2, 3, 4, 5, 6}, "「第1数字」の32は1〜31の数ではありません。"},
      {{1, 2, 3, 4, 5, 32}, "「ボーナス数字」の32は1〜31の数ではありません。"},
      {{7, 2, 3, 7, 5, 6}, "本数字に同じ数があります。"},  // the 1st and the 4th
      {{1, 9, 3, 4, 9, 6}, "本数字に同じ数があります。"},  // the 2nd and the 5th
      {{7, 2, 3, 4, 5, 7}, "ボーナス数字が本数字と同じです。"},
      {{1, 2, 3, 4, 9, 9}, "ボーナス数字が本数字と同じです。"},
  };
  const std::vector<Draw> stored = {test::draw(1, {1, 2, 3, 4, 5, 6}, "2020-01-07")};
  for (const auto& c : cases) {
    std::string row;
    for (int v : c.n) row += std::to_string(v) + " ";
    const Result<WholeDraw> w = WholeDraw::of(*DrawNo::of(2), c.n);
    if (!c.says) {
      ASSERT_TRUE(w.ok()) << row << w.message();
      EXPECT_EQ(w->mains(), (std::array<int, 5>{c.n[0], c.n[1], c.n[2], c.n[3], c.n[4]})) << row;
      EXPECT_EQ(w->bonus(), c.n[5]) << row;
    } else {
      EXPECT_EQ(w.kind(), Fault::Invalid) << row;
      EXPECT_EQ(w.message(), c.says) << row;
    }
    if (std::any_of(c.n.begin(), c.n.end(), [](int v) { return v > kMaxNumber; })) continue;  // no Draw holds it
    // the update's check of a new draw, and the statistics, by the same rule
    Draw d(*DrawNo::of(2));
    for (int f = 0; f < 6; ++f)
      if (c.n[f]) d.n[f] = test::number(c.n[f]);
    d.date = test::date("2020-01-14");
    const Result<FeedMerge> m = mergeFeed(stored, {stored[0], d}, {"2020-02-01", false});
    EXPECT_EQ(m.ok(), !c.says) << row << m.message();
    if (c.says) {
      EXPECT_EQ(m.message(), std::string("取得先の第2回の") + c.says) << row;
    }
    EXPECT_EQ(History::fromRows({stored[0], d}).whole.size(), c.says ? 1u : 2u) << row;
  }
}

}  // namespace
}  // namespace km
