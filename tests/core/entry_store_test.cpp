// The entry store: what may be written, draw numbering, transactions,
// refused files, and kazumaki-tool's entry commands over it.
#include "store/sqlite/entry_store.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "store/sqlite/database.h"
#include "tests/core/test_files.h"
#include "tests/core/test_history.h"

namespace fs = std::filesystem;
using namespace km;

namespace {

using test::slurp;

struct ToolResult {
  int status;
  std::string out, err;
};

// Runs kazumaki-tool with the arguments; standard output and error apart.
ToolResult tool(const std::vector<std::string>& args, const fs::path& errFile) {
  std::string cmd = KM_TOOL;
  for (const std::string& a : args) cmd += " '" + a + "'";
  cmd += " 2>'" + errFile.string() + "'";
  ToolResult r{0, {}, {}};
  FILE* p = popen(cmd.c_str(), "r");
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int st = pclose(p);
  r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
  r.err = slurp(errFile);
  return r;
}

const std::string kToday = "2026-01-27";

Draw draw(int no, std::array<std::optional<int>, 6> n, std::string date = {}) {
  Draw d = test::draw(no);
  d.n = test::numbers(n);
  d.date = test::date(date);
  return d;
}

struct EntryStoreTest : ::testing::Test {
  fs::path dir;
  std::string db;
  void SetUp() override {
    static int counter = 0;
    dir = fs::temp_directory_path() / ("km-entry-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
    fs::create_directories(dir);
    db = (dir / "Kazumaki.mdb").string();
  }
  void TearDown() override {
    chmod(db.c_str(), 0644);
    fs::remove_all(dir);
  }
  ConnectString cs() const { return {db, databasePassword()}; }
  void make(const std::vector<Draw>& draws) { ASSERT_EQ(writeDatabase(cs(), draws).withCause(), ""); }
  // Draws numbered 1..n, one a week from 1900-01-02, with recognisable
  // numbers: i % 31 + 1, then the first five of 2..7 that differ from it.
  void makeRun(int n) {
    std::vector<Draw> v;
    for (int i = 1; i <= n; ++i) {
      const int first = i % 31 + 1;
      std::array<std::optional<int>, 6> numbers{first};
      for (int k = 2, f = 1; f < 6; ++k)
        if (k != first) numbers[f++] = k;
      v.push_back(draw(i, numbers, test::dateAfter("1900-01-02", 7 * (i - 1))));
    }
    make(v);
  }
  std::unique_ptr<EntryStore> open(int busyMs = EntryStore::kDefaultBusyTimeoutMs) {
    std::string error;
    auto s = EntryStore::open(cs(), error, busyMs);
    EXPECT_TRUE(s) << error;
    return s;
  }
  std::vector<EntryRow> rows() {
    std::string error;
    auto s = EntryStore::openToRead(cs(), error);
    EXPECT_TRUE(s) << error;
    std::vector<EntryRow> r;
    if (s) {
      EXPECT_EQ(s->readAll(r), "");
    }
    return r;
  }
  std::vector<int> numbers() {
    std::vector<int> v;
    for (const EntryRow& r : rows()) v.push_back(r.no);
    return v;
  }
  // Writes a raw value past the store, as a damaged or foreign file holds it.
  void rawSet(int no, const char* field, const char* sqlValue) {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_TRUE(keyConnection(h, databasePassword()));
    const std::string sql =
        std::string("UPDATE 当選データ SET ") + field + " = " + sqlValue + " WHERE 回数 = " + std::to_string(no);
    EXPECT_EQ(sqlite3_exec(h, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(h);
    sqlite3_close(h);
  }
  ToolResult run(std::vector<std::string> args) {
    args.insert(args.begin() + 1, db);
    return tool(args, dir / "stderr.txt");
  }
};

bool sameRows(const std::vector<EntryRow>& a, const std::vector<EntryRow>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].no != b[i].no || a[i].text != b[i].text || a[i].date != b[i].date) return false;
  return true;
}

}  // namespace

TEST(CloseCheck, LinesFirstThenColumnsBonusIncluded) {
  std::map<std::pair<int, int>, std::string> cells;
  auto at = [&](int line, int col) {
    auto it = cells.find({line, col});
    return it == cells.end() ? std::string() : it->second;
  };
  EXPECT_FALSE(findWrongCell(12, at, kToday));  // empty cells are accepted
  cells[{10, 2}] = "32";
  cells[{3, 6}] = "0";
  auto w = findWrongCell(12, at, kToday);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->line, 3);
  EXPECT_EQ(w->column, 6);
  cells[{3, 4}] = "5.0";  // same line, further left
  w = findWrongCell(12, at, kToday);
  EXPECT_EQ(w->column, 4);
  cells.clear();
  cells[{2, 7}] = "45";   // the bonus number is checked like the others
  cells[{2, 1}] = "abc";  // the draw number column is not
  w = findWrongCell(12, at, kToday);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->line, 2);
  EXPECT_EQ(w->column, 7);
  cells.clear();
  cells[{5999, 3}] = "x";  // no limit on the number of lines
  w = findWrongCell(6000, at, kToday);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->line, 5999);
}

// A number an earlier field of the line holds, and a date that is no day,
// not after the nearest earlier date or after today; a stored date off the
// draws' calendar is not wrong (it was kept before the rule).
TEST(CloseCheck, RepeatsAndDatesOutOfOrderAreWrong) {
  struct Case {
    std::vector<LineTexts> lines;
    int line, column;  // 0: every cell sound
    const char* why;
  };
  const Case cases[] = {
      {{{"1", "2", "3", "4", "5", "6", ""}}, 0, 0, ""},
      {{{"5", "5", "3", "4", "", "6", ""}}, 1, 3, "本数字に同じ数があります。"},
      {{{"1", "2", "3", "4", "5", "3", ""}}, 1, 7, "ボーナス数字が本数字と同じです。"},
      {{{"", "１２", "3", "4", "12", "", ""}}, 1, 6, "本数字に同じ数があります。"},  // full-width is the same number
      {{{"32", "2", "2", "4", "5", "6", "x"}}, 1, 2, "１～３１"},                    // from the left
      {{{"1", "2", "3", "4", "5", "6", "2026-01-13"}, {"1", "2", "3", "4", "5", "6", "2026-01-13"}}, 2, 8, "前の回"},
      {{{"", "", "", "", "", "", "2026-01-13"}, {}, {"", "", "", "", "", "", "2026-01-06"}}, 3, 8, "前の回"},
      {{{"", "", "", "", "", "", "2026-01-20"},
        {"", "", "", "", "", "", "2026-01-13"},
        {"", "", "", "", "", "", "2026-01-27"}},
       2,
       8,
       "前の回"},
      {{{"", "", "", "", "", "", "２０２６-０１-１３"}, {"", "", "", "", "", "", "2026/1/20"}}, 0, 0, ""},
      {{{"", "", "", "", "", "", "2026-01-27"}}, 0, 0, ""},  // today
      {{{"", "", "", "", "", "", "2026-01-28"}}, 1, 8, "今日（日本の日付で 2026-01-27）より後です"},
      {{{"", "", "", "", "", "", "2026-01-12"}}, 0, 0, ""},  // a Monday stored before the calendar rule
      {{{"", "", "", "", "", "", "2026-02-30"}}, 1, 8, "暦にある日付"},
      {{{"", "", "", "", "", "", "20260113"}}, 1, 8, "暦にある日付"},
  };
  for (const Case& c : cases) {
    const auto w = findWrongCell(
        static_cast<int>(c.lines.size()), [&](int line, int col) { return c.lines[line - 1][col - 2]; }, kToday);
    ASSERT_EQ(w.has_value(), c.line != 0) << c.why << " " << (w ? w->reason : "");
    if (!w) continue;
    EXPECT_EQ(w->line, c.line) << c.why;
    EXPECT_EQ(w->column, c.column) << c.why;
    EXPECT_NE(w->reason.find(c.why), std::string::npos) << w->reason;
  }
}

// --- writing cells -----------------------------------------------------------

TEST_F(EntryStoreTest, SoundTextsAreWrittenOthersNever) {
  makeRun(3);
  auto s = open();
  EXPECT_EQ(s->setCell(2, 2, "１２"), "");
  EXPECT_EQ(s->setCell(2, 7, "31"), "");
  EXPECT_EQ(s->setCell(2, 3, ""), "");  // empties the cell
  for (const char* bad : {"0", "32", "5.0", "abc", "４５"}) EXPECT_FALSE(s->setCell(2, 4, bad).empty()) << bad;
  EXPECT_FALSE(s->setCell(2, 1, "5").empty());  // the draw number is not a number cell
  EXPECT_FALSE(s->setCell(9, 2, "5").empty());  // no such draw
  s.reset();
  const auto r = rows();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[1].text, (std::array<std::string, 6>{"12", "", "4", "5", "6", "31"}));
  EXPECT_EQ(r[0].text[0], "2");
  const LoadResult h = loadHistory(cs());
  ASSERT_TRUE(h.ok());
  EXPECT_EQ(h->draws[1].n[0], 12);
  EXPECT_FALSE(h->draws[1].n[1]);
}

// A repeated number or a date out of order is refused and the file left as it
// was; a sound date is stored as YYYY-MM-DD, and two numbers change places in
// one write.
TEST_F(EntryStoreTest, RepeatsAndDatesOutOfOrderAreRefusedUntouched) {
  make({draw(1, {1, 2, 3, 4, 5, 6}, "2026-01-06"), draw(2, {7, 8, 9, 10, 11, 12}, "2026-01-13"),
        draw(3, {13, 14, 15, 16, 17, 18}, "2026-01-20")});
  auto s = open();
  s->setToday(kToday);
  struct Case {
    int no, column;
    const char* text;
    const char* refusal;  // empty: written, read back as `stored`
    const char* stored;
  };
  const Case cases[] = {
      {2, 3, "7", "第2回の本数字に同じ数があります。", ""},
      {2, 7, "８", "第2回のボーナス数字が本数字と同じです。", ""},
      {2, 2, "12", "第2回のボーナス数字が本数字と同じです。", ""},  // the number the bonus holds
      {2, 8, "2026-01-06", "前の回の抽選日 2026-01-06 より後ではありません", ""},
      {2, 8, "2026-01-20", "次の回の抽選日 2026-01-20 より前ではありません", ""},
      {3, 8, "2026-02-03", "第3回の抽選日 2026-02-03 は、今日（日本の日付で 2026-01-27）より後です。", ""},
      {3, 8, "2026-01-26", "第3回の抽選日 2026-01-26 は月曜日です。ミニロトの抽せんは火曜日です。", ""},
      {2, 8, " 2026/1/14 ", "第2回の抽選日 2026-01-14 は水曜日です。", ""},
      {2, 8, "2026-02-30", "暦にある日付", ""},
      {2, 8, "abc", "暦にある日付", ""},
      {2, 9, "1", "２～８", ""},
      {3, 8, "２０２６／１／２７", "", "2026-01-27"},
      {2, 8, "2026－01－13", "", "2026-01-13"},
      {2, 8, "", "", ""},
      {2, 3, "31", "", "31"},
  };
  for (const Case& c : cases) {
    const std::string before = slurp(db);
    const std::string e = s->setCell(c.no, c.column, c.text);
    if (*c.refusal) {
      EXPECT_NE(e.find(c.refusal), std::string::npos) << c.text << ": " << e;
      EXPECT_EQ(slurp(db), before) << c.text;
    } else {
      EXPECT_EQ(e, "") << c.text;
      EXPECT_EQ(rows()[c.no - 1].line()[c.column - 2], c.stored) << c.text;
    }
  }
  EXPECT_EQ(s->setCells(2, {{2, "31"}, {3, "7"}}), "");  // 7 and 31 change places
  EXPECT_EQ(rows()[1].text, (std::array<std::string, 6>{"31", "7", "9", "10", "11", "12"}));
}

// A new line is dated as the draws' calendar dates the draw after the line it
// follows (nextDrawDate), where that date fits between its neighbours and is
// no later than today in Japan.
TEST_F(EntryStoreTest, AnInsertedLineIsDatedByTheCalendarAfterTheLineBefore) {
  struct Case {
    const char* before;  // date of draw 100
    const char* next;    // date of draw 101
    const char* proposed;
  };
  const Case cases[] = {
      {"2026-01-06", "2026-01-20", "2026-01-13"}, {"2026-01-06", "2026-01-13", ""}, {"", "2026-01-20", ""},
      {"2026-01-20", "", "2026-01-27"},           {"2026-01-27", "", ""},           {"2026-01-14", "", "2026-01-20"},
  };
  for (const Case& c : cases) {
    make({draw(100, {1, 2, 3, 4, 5, 6}, c.before), draw(101, {7, 8, 9, 10, 11, 12}, c.next)});
    auto s = open();
    s->setToday(kToday);
    int no = 0;
    ASSERT_EQ(s->insertAfter(100, no), "");
    s.reset();
    EXPECT_EQ(rows()[1].date, c.proposed) << c.before << " " << c.next;
    fs::remove(db);
  }
}

// --- numbering ---------------------------------------------------------------

// Inserting after a line takes the next number and moves the rest of its run
// up, each draw with its numbers and date; deleting moves the rest of the run
// down; a gap stops the move, and no number passes 32767.
TEST_F(EntryStoreTest, InsertAndDeleteMoveTheRestOfTheRunOnly) {
  const struct {
    const char* what;
    std::vector<int> stored;
    bool insert;                             // else delete
    int at, no;                              // no: the inserted line's number; 0: refused
    std::vector<std::pair<int, int>> after;  // number, and which stored line it holds (-1: the new blank one)
  } cases[] = {
      {"at the end", {1, 2, 3}, true, 3, 4, {{1, 0}, {2, 1}, {3, 2}, {4, -1}}},
      {"before the first", {1, 2}, true, 0, 1, {{1, -1}, {2, 0}, {3, 1}}},
      {"in a run", {1, 2, 3, 7}, true, 1, 2, {{1, 0}, {2, -1}, {3, 1}, {4, 2}, {7, 3}}},
      {"into a gap", {38, 39, 42}, true, 39, 40, {{38, 0}, {39, 1}, {40, -1}, {42, 2}}},
      {"past the largest number", {32766, 32767}, true, 32766, 0, {{32766, 0}, {32767, 1}}},
      {"delete in a run", {1, 2, 3, 4, 6}, false, 2, 0, {{1, 0}, {2, 2}, {3, 3}, {6, 4}}},
      {"delete no such draw", {1, 2}, false, 102, 0, {{1, 0}, {2, 1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove(db);
    std::vector<Draw> v;
    for (size_t k = 0; k < c.stored.size(); ++k)
      v.push_back(draw(c.stored[k], {static_cast<int>(k) + 20, 2, 3, 4, 5, 6},
                       test::dateAfter("2001-01-02", 7 * static_cast<int>(k))));
    make(v);
    const auto before = rows();
    auto s = open();
    int no = 0;
    const std::string e = c.insert ? s->insertAfter(c.at, no) : s->remove(c.at);
    EXPECT_EQ(e.empty(), c.insert ? c.no != 0 : c.after.size() < c.stored.size()) << e;
    if (c.no) {
      EXPECT_EQ(no, c.no);
    }
    s.reset();
    const auto r = rows();
    ASSERT_EQ(r.size(), c.after.size());
    for (size_t i = 0; i < r.size(); ++i) {
      EXPECT_EQ(r[i].no, c.after[i].first) << i;
      const int from = c.after[i].second;
      const EntryRow blank{};
      const EntryRow& was = from < 0 ? blank : before[static_cast<size_t>(from)];
      EXPECT_EQ(r[i].text, was.text) << i;
      if (from >= 0) {
        EXPECT_EQ(r[i].date, was.date) << i;
      }
    }
  }
  fs::remove(db);  // an append past the largest number
  make({draw(32767, {1, 2, 3, 4, 5, 6})});
  auto s = open();
  int no = 0;
  EXPECT_FALSE(s->append({"1", "2", "3", "4", "5", "6"}, "", no).empty());
}

TEST_F(EntryStoreTest, APrizeMovesWithItsDrawsRowAndGoesWithIt) {
  const auto prize = [](int n) { return Prize{{n, 0, 0, 0}, {0, 0, 0, n}}; };
  ASSERT_EQ(writeDatabase(cs(),
                          {draw(1, {1, 2, 3, 4, 5, 6}), draw(2, {7, 8, 9, 10, 11, 12}),
                           draw(3, {13, 14, 15, 16, 17, 18}), draw(5, {19, 20, 21, 22, 23, 24})},
                          {{1, prize(1)}, {2, prize(2)}, {3, prize(3)}, {5, prize(5)}})
                .withCause(),
            "");
  auto s = open();
  int no = 0;
  ASSERT_EQ(s->insertAfter(1, no), "");  // 2 and 3 move up; 5 stays past the gap
  s.reset();
  EXPECT_EQ(loadHistory(cs())->prizes, (PrizeTable{{1, prize(1)}, {3, prize(2)}, {4, prize(3)}, {5, prize(5)}}));
  s = open();
  ASSERT_EQ(s->remove(3), "");  // its prize goes, and the draws above move down with theirs
  s.reset();
  EXPECT_EQ(loadHistory(cs())->prizes, (PrizeTable{{1, prize(1)}, {3, prize(3)}, {4, prize(5)}}));
}

// Prizes refused (a figure no count, a field missing, a tier that does not
// add up, a draw not stored), by the store and by kazumaki-tool prizes, with
// the file byte for byte as it was.
TEST_F(EntryStoreTest, APrizeThatIsNoneIsRefusedAndTheFileKept) {
  makeRun(3);
  ASSERT_EQ(run({"prizes", "2", "0", "0", "１４", "258,300円", "1,032", "11,200", "21,766口", "1,000"}).status, 0);
  EXPECT_EQ(loadHistory(cs())->prizes, (PrizeTable{{2, Prize{{0, 14, 1032, 21766}, {0, 258300, 11200, 1000}}}}));
  const std::string before = slurp(db);
  const struct {
    std::vector<std::string> args;
    const char* says;
  } cases[] = {
      {{"2", "0", "0", "-14", "258300", "1032", "11200", "21766", "1000"}, "「2等口数」の「-14」"},
      {{"2", "0", "0", "14", "258300", "1032", "11200", "21766"}, "8つ"},  // a field missing
      {{"2", "0", "0", "14", "258300", "", "11200", "21766", "1000"}, "「3等口数」が空欄です"},
      {{"2", "0", "5", "14", "258300", "1032", "11200", "21766", "1000"}, "「1等当せん金」: 当せん口数が0"},
      {{"2", "1", "0", "14", "258300", "1032", "11200", "21766", "1000"}, "「1等当せん金」: 当せん口数のある"},
      {{"2", "0", "0", "14", "25,83,00", "1032", "11200", "21766", "1000"}, "「2等当せん金」の「25,83,00」"},
      {{"2", "0", "0", "14", "1,000,000,000", "1032", "11200", "21766", "1000"}, "0以上の整数"},
      {{"9", "0", "0", "14", "258300", "1032", "11200", "21766", "1000"}, "第9回の当選データがありません"},
      {{"x", "--clear"}, "回数「x」"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.says);
    std::vector<std::string> args = {"prizes"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ToolResult r = run(args);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(slurp(db), before);
  // the store itself refuses the same, naming the draw
  auto s = open();
  EXPECT_NE(s->setPrize(2, {"0", "0", "-1", "1", "1", "1", "1", "1"}).find("第2回の「2等口数」"), std::string::npos);
  s.reset();
  EXPECT_EQ(slurp(db), before);
  // --clear takes it away
  EXPECT_EQ(run({"prizes", "2", "--clear"}).status, 0);
  EXPECT_TRUE(loadHistory(cs())->prizes.empty());
}

TEST_F(EntryStoreTest, SixThousandDraws) {
  makeRun(6000);
  const auto before = rows();
  auto s = open();
  int no = 0;
  ASSERT_EQ(s->insertAfter(1, no), "");
  std::vector<EntryRow> r;
  ASSERT_EQ(s->readAll(r), "");
  ASSERT_EQ(r.size(), 6001u);
  EXPECT_EQ(r.back().no, 6001);
  EXPECT_EQ(r.back().text[0], before.back().text[0]);
  ASSERT_EQ(s->remove(2), "");
  s.reset();
  EXPECT_TRUE(sameRows(rows(), before));
  rawSet(5500, "ボーナス数字", "45");
  const ToolResult c = run({"check"});
  EXPECT_EQ(c.status, 1);
  EXPECT_EQ(c.out, "5500 7\n");
}

// A change that fails half-way leaves nothing of itself behind, and the
// reason carries SQLite's own words.
TEST_F(EntryStoreTest, AChangeFailingHalfWayIsUndoneWhole) {
  makeRun(6);
  const auto before = rows();
  {
    sqlite3* h = nullptr;
    ASSERT_EQ(sqlite3_open_v2(db.c_str(), &h, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_TRUE(keyConnection(h, databasePassword()));
    ASSERT_EQ(sqlite3_exec(h,
                           "CREATE TRIGGER halt BEFORE UPDATE ON 当選データ WHEN NEW.回数 = 4 "
                           "BEGIN SELECT RAISE(ABORT, 'halted by test'); END",
                           nullptr, nullptr, nullptr),
              SQLITE_OK)
        << sqlite3_errmsg(h);
    sqlite3_close(h);
  }
  auto s = open();
  int no = 0;
  std::string e = s->insertAfter(1, no);  // moves 6, 5, then stops at 3 -> 4
  EXPECT_FALSE(e.empty());
  EXPECT_NE(s->details().find("halted by test"), std::string::npos) << s->details();
  e = s->remove(2);  // moves 3 -> 2, then stops at 5 -> 4
  EXPECT_FALSE(e.empty());
  EXPECT_NE(s->details().find("halted by test"), std::string::npos) << s->details();
  EXPECT_EQ(s->setCell(1, 2, "9"), "");  // the connection is usable afterwards
  s.reset();
  auto after = rows();
  after[0].text[0] = before[0].text[0];
  EXPECT_TRUE(sameRows(after, before));
}

// --- refused files -------------------------------------------------------------

TEST_F(EntryStoreTest, ReadOnlyFileIsRefusedAndUntouched) {
  makeRun(3);
  ASSERT_EQ(chmod(db.c_str(), 0444), 0);
  const std::string before = slurp(db);
  std::string error;
  EXPECT_FALSE(EntryStore::open(cs(), error));
  EXPECT_NE(error.find("読み取り専用"), std::string::npos) << error;
  const ToolResult r = run({"set", "2", "2", "9"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("読み取り専用"), std::string::npos) << r.err;
  EXPECT_EQ(slurp(db), before);
}

TEST_F(EntryStoreTest, LockedFileGivesAClearMessageAndNoChange) {
  makeRun(3);
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open_v2(db.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  ASSERT_TRUE(keyConnection(other, databasePassword()));
  // another writer, one that keeps readers out and one that lets them in
  for (const char* begin : {"BEGIN EXCLUSIVE", "BEGIN IMMEDIATE"}) {
    ASSERT_EQ(sqlite3_exec(other, begin, nullptr, nullptr, nullptr), SQLITE_OK);
    std::string openError, details;
    EXPECT_FALSE(EntryStore::open(cs(), openError, 50, &details));
    EXPECT_NE(openError.find("編集中"), std::string::npos) << openError;
    EXPECT_NE(details.find("locked"), std::string::npos) << details;  // SQLite's own words, apart
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  // a store that let the lock go finds it taken at its next change
  auto s = open(50);
  s->releaseWriteLock();
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_NE(s->setCell(1, 2, "9").find("編集中"), std::string::npos);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  s.reset();
  const auto r = rows();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].text[0], "2");
}

// While a store is open (the data entry window) no other writer gets in; one
// that did all the same (the lock let go) makes the store's next change fail
// instead of landing on a line that moved.
TEST_F(EntryStoreTest, AnOpenStoreKeepsOtherWritersOutAndNeverWritesAMovedLine) {
  makeRun(3);
  const std::vector<EntryRow> before = rows();
  auto window = open();  // no other open of the file from here: closing it would drop the process's locks
  std::ofstream((dir / "new.csv").string()) << "draw,date,n1,n2,n3,n4,n5,bonus\n4,2000-01-08,1,2,3,4,5,6\n";
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"delete", "1"}, {"update", (dir / "new.csv").string()}}) {
    const ToolResult r = run(args);
    EXPECT_EQ(r.status, 1) << args[0];
    EXPECT_NE(r.err.find("当選データ入力ウィンドウで編集中です"), std::string::npos) << r.err;
  }
  EXPECT_TRUE(sameRows(rows(), before));
  EXPECT_EQ(run({"check"}).status, 0);  // reading goes on
  std::vector<EntryRow> shown;
  ASSERT_EQ(window->readAll(shown), "");
  window->releaseWriteLock();
  {
    auto other = open();
    ASSERT_EQ(other->remove(1), "");  // draw 1 is now the former draw 2
  }
  EXPECT_NE(window->setCell(1, 2, "9").find("ほかのプログラムで変更"), std::string::npos);
  EXPECT_TRUE(window->changedElsewhere());
  EXPECT_EQ(rows()[0].text[0], "3");
  ASSERT_EQ(window->readAll(shown), "");  // read again, the change goes where the window shows it
  EXPECT_EQ(window->setCell(1, 2, "9"), "");
  EXPECT_EQ(rows()[0].text[0], "9");
  EXPECT_EQ(rows().size(), 2u);
}

TEST_F(EntryStoreTest, WrongPasswordAndMissingFileAreRefused) {
  std::string error;
  EXPECT_FALSE(EntryStore::open(cs(), error));
  EXPECT_NE(error.find("見つかりません"), std::string::npos);
  makeRun(1);
  EXPECT_FALSE(EntryStore::open({db, "111111"}, error));
  EXPECT_NE(error.find("このプログラムの当選データファイルではありません"), std::string::npos) << error;
}

// --- kazumaki-tool ---------------------------------------------------------------

TEST_F(EntryStoreTest, ToolAddAppendsTheNextDrawOnlyWhenAllSixAreSound) {
  makeRun(5);
  ToolResult r = run({"add", "1", "２", "3", "4", "5", "31", "--date", "2024-02-27"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "6\n");
  const std::string before = slurp(db);
  for (const char* bonus : {"45", "0", "5.0", "x", "", "5"}) {
    r = run({"add", "1", "2", "3", "4", "5", bonus});
    EXPECT_EQ(r.status, 1) << bonus;
    EXPECT_NE(r.err.find("ボーナス数字"), std::string::npos) << r.err;
  }
  // no day, not after the last, far ahead, a Monday
  for (const char* date : {"2023-02-29", "2024-02-27", "9999-01-05", "2024-03-04"}) {
    r = run({"add", "1", "2", "3", "4", "5", "6", "--date", date});
    EXPECT_EQ(r.status, 1) << date;
    EXPECT_NE(r.err.find("抽選日"), std::string::npos) << r.err;
  }
  EXPECT_EQ(slurp(db), before);
  const auto rs = rows();
  ASSERT_EQ(rs.size(), 6u);
  EXPECT_EQ(rs[5].text, (std::array<std::string, 6>{"1", "2", "3", "4", "5", "31"}));
  EXPECT_EQ(rs[5].date, "2024-02-27");

  // without a date: the calendar's next draw after the last one's (a fortnight after draw 6), unless after today
  EXPECT_EQ(run({"add", "7", "8", "9", "10", "11", "12"}).out, "7\n");
  EXPECT_EQ(rows().back().date, "2024-03-12");
  rawSet(7, "抽選日", "'9999-11-30'");
  const std::string ahead = slurp(db);
  r = run({"add", "1", "2", "3", "4", "5", "6"});
  EXPECT_NE(r.err.find("第8回の抽選日 9999-12-14 は、今日（日本の日付で "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("抽選日を指定してください"), std::string::npos) << r.err;
  EXPECT_TRUE(slurp(db) == ahead) << "the file is left as it was";
}

TEST_F(EntryStoreTest, ToolSetWritesOrLeavesTheFileUntouched) {
  makeRun(3);
  EXPECT_EQ(run({"set", "2", "7", "１９"}).status, 0);
  EXPECT_EQ(run({"set", "2", "3", ""}).status, 0);
  const std::string before = slurp(db);
  struct Bad {
    const char* column;
    const char* text;
    const char* says;
  };
  // line 2 now holds 3 (empty) 4 5 6 19, dated a week after line 1 (1900-01-02)
  for (const Bad b :
       {Bad{"4", "0", "１～３１"}, Bad{"4", "32", "１～３１"}, Bad{"4", "5.0", "１～３１"}, Bad{"4", "abc", "１～３１"},
        Bad{"4", "3", "第2回の本数字に同じ数があります。"}, Bad{"2", "１９", "第2回のボーナス数字が本数字と同じです。"},
        Bad{"8", "1900-01-02", "前の回の抽選日"}, Bad{"8", "1900-02-30", "暦にある日付"}, Bad{"9", "5", "２～８"}}) {
    const ToolResult r = run({"set", "2", b.column, b.text});
    EXPECT_EQ(r.status, 1) << b.text;
    EXPECT_NE(r.err.find(b.says), std::string::npos) << r.err;
  }
  EXPECT_EQ(run({"set", "9", "4", "5"}).status, 1);  // no such draw
  EXPECT_NE(run({"set", "2", "1", "5"}).status, 0);  // the draw number column
  EXPECT_NE(run({"set", "2", "8", "5"}).status, 0);
  EXPECT_EQ(slurp(db), before);
  const auto r = rows();
  EXPECT_EQ(r[1].text[5], "19");
  EXPECT_EQ(r[1].text[1], "");
}

TEST_F(EntryStoreTest, ToolInsertDeleteAndCheck) {
  makeRun(4);
  ToolResult r = run({"insert", "2"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "3\n");
  EXPECT_EQ(numbers(), (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(run({"check"}).status, 0);  // an empty line is accepted
  EXPECT_EQ(run({"delete", "3"}).status, 0);
  EXPECT_EQ(numbers(), (std::vector<int>{1, 2, 3, 4}));
  EXPECT_EQ(run({"delete", "9"}).status, 1);
  // one fault at a time in a sound file: the line and column on standard
  // output, the reason as the update gives it on standard error
  const std::string sound = slurp(db);
  struct Fault {
    int no;
    const char* field;
    const char* sqlValue;
    const char* out;
    const char* says;
  };
  // line 3 holds 4 2 3 5 6 7, dated 1900-01-16
  for (const Fault f : {Fault{2, "ボーナス数字", "5.5", "2 7\n", "結果マスタの数字に誤りがあります。"},  // a real
                        Fault{3, "第3数字", "2", "3 4\n", "第3回 4列目「2」: 本数字に同じ数があります。"},
                        Fault{3, "ボーナス数字", "4", "3 7\n", "ボーナス数字が本数字と同じです。"},
                        Fault{3, "抽選日", "'1900-01-09'", "3 8\n", "結果マスタの抽選日に誤りがあります。"},
                        Fault{1, "抽選日", "'1900-02-30'", "1 8\n", "暦にある日付"},
                        Fault{4, "抽選日", "'9999-01-05'", "4 8\n", "より後です"}}) {
    rawSet(f.no, f.field, f.sqlValue);
    r = run({"check"});
    EXPECT_EQ(r.status, 1) << f.field;
    EXPECT_EQ(r.out, f.out);
    EXPECT_NE(r.err.find(f.says), std::string::npos) << r.err;
    std::ofstream(db, std::ios::binary | std::ios::trunc) << sound;
  }
  rawSet(4, "第2数字", "32");
  rawSet(2, "ボーナス数字", "5.5");
  EXPECT_EQ(run({"check"}).out, "2 7\n");  // the topmost first
}

// A process killed between (or in the middle of) edits leaves a database that
// opens and holds every edit that was reported as done.
TEST_F(EntryStoreTest, KilledProcessKeepsEveryCommittedEdit) {
  std::vector<Draw> blank;
  for (int i = 1; i <= 40; ++i) blank.push_back(draw(i, {}));
  make(blank);
  // edit i writes value (i % 31) + 1 into draw i / 6 + 1, column i % 6 + 2;
  // every fifth edit also inserts a blank line at the end; each finished
  // edit is reported on standard output
  const std::string t = "'" + std::string(KM_TOOL) + "' ";
  const std::string script = "i=0; while :; do " + t + "set '" + db +
                             "' $((i / 6 + 1)) $((i % 6 + 2)) $((i % 31 + 1)) || exit 1; "
                             "if [ $((i % 5)) -eq 4 ]; then " +
                             t + "insert '" + db + "' $((40 + i / 5)) >/dev/null || exit 1; fi; " +
                             "echo $i; i=$((i + 1)); done";
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    setpgid(0, 0);
    dup2(fds[1], 1);
    close(fds[0]);
    close(fds[1]);
    execl("/bin/sh", "sh", "-c", script.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  setpgid(pid, pid);
  close(fds[1]);
  FILE* progress = fdopen(fds[0], "r");
  int done = -1, v = 0;
  while (done < 30 && fscanf(progress, "%d", &v) == 1) done = v;  // blocks until the next edit is reported
  ASSERT_EQ(done, 30) << "the editing process ended by itself";
  kill(-pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  while (fscanf(progress, "%d", &v) == 1) done = v;  // reported before the kill
  fclose(progress);
  const auto r = rows();
  ASSERT_GE(r.size(), 40u + (done + 1) / 5);
  for (int i = 0; i <= done; ++i) EXPECT_EQ(r[i / 6].text[i % 6], std::to_string(i % 31 + 1)) << "edit " << i;
  for (size_t k = 0; k < r.size(); ++k) EXPECT_EQ(r[k].no, static_cast<int>(k) + 1);
  EXPECT_EQ(run({"check"}).status, 0);
  // and the store still writes
  auto s = open();
  EXPECT_EQ(s->setCell(1, 2, "31"), "");
}
