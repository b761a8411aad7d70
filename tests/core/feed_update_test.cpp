// The update of the history from a source: the results list as published,
// the rule that joins it to the user's draws, and what every refused or
// hostile source leaves behind (the database byte for byte).
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <thread>

#include "store/formats/csv.h"
#include "store/sqlite/database_update.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/store_fault_helpers.h"
#include "tests/core/test_history.h"
#include "tests/core/test_results.h"

using namespace km;
using namespace km::test;

namespace {

ConnectString at(const std::string& path) { return {path, databasePassword()}; }

// One entry of the list as the published file spells it.
std::string entry(const Draw& d, const std::string& extra = {}) {
  std::string e = "{\"開催回\": \"" + std::to_string(d.no) + "\", \"日付\": \"" + d.date.text().substr(0, 4) + "/" +
                  d.date.text().substr(5, 2) + "/" + d.date.text().substr(8, 2) + "\"";
  for (int f = 0; f < 5; ++f) e += ", \"第" + std::to_string(f + 1) + "数字\": \"" + std::to_string(d[f]) + "\"";
  return e + ", \"ボーナス数字\": \"" + std::to_string(d[Bonus]) + "\"" + extra + "}";
}
std::string list(const std::vector<Draw>& draws) {
  std::string j = "[";
  for (const Draw& d : draws) j += (j.size() > 1 ? ",\n" : "\n") + entry(d);
  return j + "\n]";
}

std::string shipped() { return slurpFile(KM_SHIPPED_CSV); }
std::string repeated(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}
const std::string kResultsHead = "回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5,ボーナス数字\n";
std::string feedFile(const char* name) { return slurpFile(std::string(KM_FEED_DATA) + "/" + name); }

bool sameHistory(const std::vector<Draw>& a, const std::vector<Draw>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].no != b[i].no || a[i].n != b[i].n || a[i].date != b[i].date) return false;
  return true;
}

// A keyed database made of the given SQL, as another program could make it.
std::string craftedDatabase(const ScratchDir& dir, const std::string& sql) {
  const std::string p = dir.file("crafted.mdb");
  fs::remove(p);
  sqlite3* db = openKeyed(p);
  EXPECT_EQ(execSql(db, sql.c_str()), SQLITE_OK) << sqlite3_errmsg(db) << "\n" << sql;
  sqlite3_close(db);
  std::string bytes = slurpFile(p);
  fs::remove(p);
  return bytes;
}

const std::string kTable =
    "CREATE TABLE 当選データ (回数 INTEGER PRIMARY KEY, 抽選日 TEXT, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, "
    "ボーナス数字);";
std::string values(const std::vector<Draw>& draws) {
  std::string v;
  for (const Draw& d : draws) {
    v += "INSERT INTO 当選データ VALUES (" + std::to_string(d.no) + ", '" + d.date.text() + "'";
    for (int f = 0; f < kNumberFields; ++f) v += ", " + std::to_string(d[f]);
    v += ");";
  }
  return v;
}

}  // namespace

// A results file's header with the prize columns, named as one site names them.
constexpr const char* kResultsPrizeHeader =
    "回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5,ボーナス数字,１等 口数,１等 当せん金,2等口数,2等当選金,"
    "3等口数,3等賞金,4等口数,4等金額\n";

TEST(Feed, ReadsTheListInEveryShapeItWasPublishedIn) {
  const struct {
    std::string json;
    const char* says;  // the first draw read, or the error
  } cases[] = {
      {R"([{"開催回": "1", "日付": "1999/4/13", "第1数字": "1", "第2数字": "3", "第3数字": "17", "第4数字": "20",
           "第5数字": "25", "キャリーオーバー": "0", "EOF": null, "ボーナス数字": "26", "特徴": ["奇数多め", "合計小さめ"]}])",
       "1 3 17 20 25 ＋26（1999-04-13）"},
      {R"([{"開催回": "1333", "日付": "2025/05/06", "第1数字": "7", "第2数字": "11", "第3数字": "18",
           "第4数字": "25", "第5数字": "26", "第6数字": "6", "ボーナス数字": "", "特徴": []}])",
       "7 11 18 25 26 ＋6（2025-05-06）"},
      {R"([{"開催回": 1328, "日付": "2025-04-01", "第1数字": 1, "第2数字": "12", "第3数字": "15", "第4数字": "27",
           "第5数字": "31", "BONUS数字": "18", "EOF": NaN, "特徴": "奇数多め／下一桁かぶり", "x": {"y": [[true, -1.5e3]]}}])",
       "1 12 15 27 31 ＋18（2025-04-01）"},
      {"\xEF\xBB\xBF [{\"\\u958b\\u50ac\\u56de\": \"2\", \"\\u7b2c1\\u6570\\u5b57\": \"\\u0031\"}]",
       "1 空欄 空欄 空欄 空欄 ＋空欄"},
      {R"({"開催回": "1"})", "当選データの一覧（「draws」）がありません"},
      {"[1]", "1件目が当選データ（JSON のオブジェクト）ではありません"},
      {R"([{"日付": "2025/1/7"}])", "1件目に「開催回」がありません"},
      {R"([{"開催回": "0"}])", "「開催回」「0」は1〜32767の回数ではありません"},
      {R"([{"開催回": "1", "第3数字": "x"}])", "第1回の「第3数字」「x」は数ではありません"},
      {R"([{"開催回": "1", "第3数字": true}])", "「第3数字」が文字列ではありません"},
      {R"([{"開催回": "1", "日付": "2025/2/30"}])", "「日付」「2025/2/30」は暦にある日付ではありません"},
      {R"([{"開催回": "1", "ボーナス数字": "5", "第6数字": "6"}])", "「ボーナス数字」と「第6数字」が違います"},
      {R"([{"開催回": "1"})", "JSON として読めません"},
      {R"([{"開催回": "1"}] x)", "余分な文字"},
      {"[{\"開催回\": \"1\", \"a\": \"\x01\"}]", "制御文字"},
      {std::string(R"([{"開催回": "1", "a": )") + std::string(100, '['), "入れ子が深すぎます"},
      {"draw,date,n1,n2,n3,n4,n5,bonus\n1,1999-04-13,1,3,17,20,25,26\n", "1 3 17 20 25 ＋26（1999-04-13）"},
      {"draw,date,n1,n2,n3,n4,n5,bonus\n1,1999-04-13,1,3,17,20,25\n", "CSV を読めません"},
      // the second list's shape
      {R"({"last_updated": "2026-08-22T01:39:48", "total_draws": 1, "draws": [{"round": 1400, "date": "2026-08-18",
           "numbers": [1, 14, 15, 17, 29], "bonus": 30}]})",
       "1 14 15 17 29 ＋30（2026-08-18）"},
      {R"({"draws": [{"round": 1, "numbers": [1, 2, 3, 4]}]})", "1件目の「numbers」が5個の数の配列ではありません"},
      {R"({"draws": [{"round": 1, "numbers": [1, 2, 3, 4, 5, 6]}]})", "「numbers」が5個の数の配列ではありません"},
      {R"({"draws": [{"round": 1, "第1数字": "1", "numbers": [1, 2, 3, 4, 5]}]})", "「第1数字」と「numbers」が両方"},
      {R"({"total_draws": 0})", "（「draws」）がありません"},
      {R"({"draws": [], "draws": []})", "取得先のデータに項目「draws」が2つあります"},
      // a name twice in one entry, wanted or not
      {R"([{"開催回": "1"}, {"開催回": "2", "開催回": "3"}])", "2件目に項目「開催回」が2つあります"},
      {R"([{"round": 1, "開催回": "1"}])", "1件目に項目「開催回」が2つあります"},
      {R"([{"開催回": "1", "特徴": [], "特徴": []}])", "1件目に項目「特徴」が2つあります"},
      // the prize fields: all eight or none
      {R"([{"開催回": "1", "1等口数": "29"}])", "第1回の「2等口数」がありません"},
      {R"([{"開催回": "1", "1等口数": "1", "2等口数": "2", "3等口数": "3", "4等口数": "4", "1等賞金": "5",
           "2等賞金": "6", "3等賞金": "7", "4等賞金": "9,00"}])",
       "第1回の「4等賞金」「9,00」は0以上の整数ではありません"},
      // a results file with a Japanese header row
      {"回,日付,第1数字,第2数字,第3数字,第4数字,第5数字,ボーナス数字\n第1353回,2025/9/23,6,11,13,14,18,5\n",
       "6 11 13 14 18 ＋5（2025-09-23）"},
      {"\xEF\xBB\xBF開催回,抽せん日,抽せん数字1,抽せん数字2,抽せん数字3,抽せん数字4,抽せん数字5,ボーナス数字,備考\n"
       "1,1999-04-13,01,03,17,20,25,26,\"a,b\"\n",
       "1 3 17 20 25 ＋26（1999-04-13）"},
      {"回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5\n1,1999/4/13,1,3,17,20,25\n",
       "「ボーナス数字」の列がありません"},
      {"回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5,ボーナス数字\n第X回,1999/4/13,1,3,17,20,25,26\n",
       "2行目：回号「第X回」は1〜32767の回数ではありません"},
      {"回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5,ボーナス数字\n1,2025年2月30日,1,3,17,20,25,26\n",
       "第1回の抽せん日「2025年2月30日」は暦にある日付ではありません"},
      // its prizes, by tier and 口数 or 当せん金 (当選金, 賞金, 金額): all eight columns or none
      {std::string(kResultsPrizeHeader) + "1,1999/4/13,1,3,17,20,25,26,29,6090500,46,275800,2331,9400,59593,900\n",
       "1 3 17 20 25 ＋26（1999-04-13）"},
      {"回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5,ボーナス数字,1等口数,1等金額,2等口数,2等金額,3等口数,"
       "3等金額,4等口数\n1,1999/4/13,1,3,17,20,25,26,29,6090500,46,275800,2331,9400,-1\n",
       "1 3 17 20 25 ＋26（1999-04-13）"},  // seven of the eight prize columns: the draws alone
      {std::string(kResultsPrizeHeader) + "1,1999/4/13,1,3,17,20,25,26,29,6090500,-46,275800,2331,9400,59593,900\n",
       "2行目：第1回の「2等口数」の「-46」"},
      {std::string(kResultsPrizeHeader) + "1,1999/4/13,1,3,17,20,25,26,29,6090500,46,275800,2331,,59593,900\n",
       "2行目：第1回の「3等当せん金」が空欄です"},
      {"<html>Service Unavailable</html>", "JSON・CSV）ではありません"},
      // a list exactly at its bound of entries is read whole, one entry more is refused
      {"[" + repeated("{\"開催回\": 1},", 32766) + "{\"開催回\": 1}]", "空欄 空欄 空欄 空欄 空欄 ＋空欄"},
      {"[" + repeated("{\"開催回\": 1},", 32767) + "{\"開催回\": 1}]", "取得先の一覧が32767件を超えています"},
      {kResultsHead + repeated("1,,1,2,3,4,5,6\n", 32767), "1 2 3 4 5 ＋6"},
      {kResultsHead + repeated("1,,1,2,3,4,5,6\n", 32768), "32769行目：当選データが32767件を超えています"},
      // a database whose random first byte happens to be "[" or "{" is no list
      {std::string(R"([{"開催回": "1"}])") + '\0' + "\x93", "JSON・CSV）ではありません"},
      {std::string("{") + '\0' + "\x17\xA0", "JSON・CSV）ではありません"},
  };
  for (const auto& c : cases) {
    const Result<DrawList> r = readFeed(c.json);
    const std::string got = r.ok() && !r->draws.empty() ? describeDraw(r->draws[0]) : r.message();
    EXPECT_NE(got.find(c.says), std::string::npos) << c.json.substr(0, 300) << "\n-> " << got;
  }
}

TEST(Feed, CutCopiesOfBothPublishedListsAndABanksShiftJisFileGiveTheShippedDraws) {
  const Result<DrawList> shippedHistory = parseHistoryCsv(shipped());
  ASSERT_TRUE(shippedHistory.ok());
  const struct {
    const char* file;
    int first, last;
    size_t prizes;
  } cases[] = {
      {"analyzer-1396-1400.json", 1396, 1400, 0},
      {"po3-1350-1353.json", 1350, 1353, 4},
      // newest first, below title lines with ① and ～ (code page 932, not plain Shift_JIS)
      {"results-sjis.csv", 1353, 1351, 0},
  };
  for (const auto& c : cases) {
    const Result<DrawList> r = readFeed(feedFile(c.file));
    ASSERT_TRUE(r.ok()) << c.file << ": " << r.message();
    ASSERT_EQ(r->draws.size(), static_cast<size_t>(std::abs(c.last - c.first) + 1)) << c.file;
    EXPECT_EQ(r->draws.front().no, c.first) << c.file;
    EXPECT_EQ(r->draws.back().no, c.last) << c.file;
    for (const Draw& d : r->draws) {
      const Draw& s = shippedHistory->draws[static_cast<size_t>(d.no - 1)];
      EXPECT_TRUE(sameHistory({d}, {s})) << c.file << ": " << describeDraw(d) << " / " << describeDraw(s);
    }
    EXPECT_EQ(r->prizes.size(), c.prizes) << c.file;
    for (const auto& [no, prize] : r->prizes) EXPECT_EQ(prize, shippedHistory->prizes.at(no)) << c.file << " " << no;
  }
}

TEST(Feed, ADrawNumberIsReadByOneRuleInTheListAndInBothCsvForms) {
  const struct {
    std::string no;
    int read;  // 0: refused
  } cases[] = {{"１２", 12}, {" 12", 12}, {"012", 12}, {"1.0", 0}, {"0", 0}, {"32768", 0}, {"+5", 0}};
  for (const auto& c : cases) {
    const std::string texts[] = {
        "[{\"開催回\": \"" + c.no + "\"}]",
        std::string(kCsvHeader) + "\n" + c.no + ",,1,2,3,4,5,6\n",
        "回号,抽せん日,本数字1,本数字2,本数字3,本数字4,本数字5,ボーナス数字\n" + c.no + ",,1,2,3,4,5,6\n",
    };
    for (const std::string& t : texts) {
      const Result<DrawList> r = readFeed(t);
      EXPECT_EQ(r.ok() ? r->draws.at(0).no : 0, c.read) << t << "\n-> " << r.message();
    }
  }
}

TEST(Feed, NewDrawsFollowTheLastStoredOneAndEveryStoredDrawMustAgree) {
  const std::vector<Draw> five = feedDraws(5), eight = feedDraws(8);
  auto with = [](std::vector<Draw> d, int no, const std::function<void(Draw&)>& change) {  // no 0: every draw
    for (Draw& x : d)
      if (no == 0 || x.no == no) change(x);
    return d;
  };
  auto daysOff = [](int days) { return [days](Draw& d) { d.date = test::date(test::dateAfter(d.date, days)); }; };
  auto without = [](std::vector<Draw> d, int no) {
    std::erase_if(d, [no](const Draw& x) { return x.no == no; });
    return d;
  };
  const struct {
    const char* what;
    std::vector<Draw> stored, feed;
    test::Ended status;
    const char* says;  // in the reason, or the added range as "first-last"
  } cases[] = {
      {"three new draws", five, eight, test::Ended::Added, "6-8"},
      {"nothing new", five, five, test::Ended::NothingNew, ""},
      {"the user's own later draws are kept", eight, five, test::Ended::NothingNew, ""},
      {"an empty history takes all", {}, five, test::Ended::Added, "1-5"},
      {"main numbers typed in another order", with(five, 3, [](Draw& d) { std::swap(d.n[0], d.n[4]); }), eight,
       test::Ended::Added, "6-8"},
      {"a stored draw without a date", with(five, 5, [](Draw& d) { d.date = DrawDate(); }), eight, test::Ended::Added,
       "6-8"},
      {"a changed bonus", five, with(eight, 3, [](Draw& d) { d.n[Bonus] = test::number(31); }), test::Ended::Refused,
       "1回分違います。\n第3回"},
      {"a changed date", five, with(eight, 2, [](Draw& d) { d.date = test::date("2001-01-01"); }), test::Ended::Refused,
       "第2回"},
      {"a stored blank draw", with(five, 5, [](Draw& d) { d.n[2].reset(); }), eight, test::Ended::Refused,
       "当選データ入力で直して"},
      {"a gap after the last stored draw", five, without(eight, 6), test::Ended::Refused, "第6回がありません"},
      {"a gap between new draws", five, without(eight, 7), test::Ended::Refused, "第7回がありません（第6回の次が第8回"},
      {"a draw listed twice", five,
       [&] {
         auto d = eight;
         d.push_back(eight[6]);
         return d;
       }(),
       test::Ended::Refused, "第7回が2回あります"},
      {"an empty list", five, {}, test::Ended::Refused, "1件もありません"},
      {"a main number twice", five, with(eight, 7, [](Draw& d) { d.n[1] = d.n[0]; }), test::Ended::Refused, "同じ数"},
      {"a main number twice in fields apart", five, with(eight, 6, [](Draw& d) { d.n[4] = d.n[1]; }),
       test::Ended::Refused, "同じ数"},
      {"the bonus among the main numbers", five, with(eight, 7, [](Draw& d) { d.n[Bonus] = d.n[0]; }),
       test::Ended::Refused, "本数字と同じ"},
      {"a blank number", five, with(eight, 6, [](Draw& d) { d.n[4].reset(); }), test::Ended::Refused,
       "「第5数字」が空欄"},
      {"a blank bonus", five, with(eight, 7, [](Draw& d) { d.n[Bonus].reset(); }), test::Ended::Refused,
       "第7回の「ボーナス数字」が空欄"},
      {"no date", five, with(eight, 8, [](Draw& d) { d.date = DrawDate(); }), test::Ended::Refused,
       "第8回に日付がありません"},
      {"a date not after the draw before", five, with(eight, 7, [&](Draw& d) { d.date = test::date(eight[5].date); }),
       test::Ended::Refused, "より後ではありません"},
      // a list written in another time zone: every shared date one day off, and nothing else
      {"every date a day early", five, with(eight, 0, daysOff(-1)), test::Ended::Refused,
       "どの回も1日前にずれています（第1回：手元 1999-12-21、取得先 1999-12-20）"},
      {"every date a day late", five, with(eight, 0, daysOff(1)), test::Ended::Refused, "どの回も1日後にずれています"},
      {"one date a day early", five, with(eight, 3, daysOff(-1)), test::Ended::Refused, "1回分違います"},
      {"every date two days early", five, with(eight, 0, daysOff(-2)), test::Ended::Refused, "5回分違います"},
      {"every date a day early, a bonus changed", five,
       with(with(eight, 0, daysOff(-1)), 2, [](Draw& d) { d.n[Bonus] = test::number(31); }), test::Ended::Refused,
       "5回分違います"},
  };
  for (const auto& c : cases) {
    const Result<FeedMerge> m = mergeFeed(c.stored, c.feed);
    EXPECT_EQ(test::ended(m), c.status) << c.what << ": " << m.message();
    if (test::ended(m) == test::Ended::Added) {
      EXPECT_EQ(std::to_string(m->added.front().no) + "-" + std::to_string(m->added.back().no), c.says) << c.what;
      EXPECT_EQ(m->newest.no, c.feed.back().no);
    } else {
      EXPECT_NE(m.message().find(c.says), std::string::npos) << c.what << ": " << m.message();
      EXPECT_TRUE(!m || m->added.empty()) << c.what;
    }
    EXPECT_EQ(m.message().find("時間帯") != std::string::npos, std::string(c.says).find("ずれて") != std::string::npos)
        << c.what << ": the one-day shift named";
  }
}

TEST(Feed, NewDrawsAreBoundByTheCalendarAndShareADrawWithTheHistory) {
  const std::vector<Draw> five = feedDraws(5), eight = feedDraws(8);  // draw 5 on 2000-01-18, 8 on 2000-02-08
  const std::vector<Draw> after(eight.begin() + 5, eight.end()), gap(eight.begin() + 6, eight.end());
  const struct {
    const char* what;
    std::vector<Draw> feed;
    MergeRules rules;
    const char* says;  // in the reason, or "" when the draws are taken
  } cases[] = {
      {"the newest drawn today in Japan", eight, {"2000-02-08", false}, ""},
      {"the newest a day after today", eight, {"2000-02-07", false}, "2000-02-08 は、今日（日本の日付で 2000-02-07）"},
      {"no draw in common with the history", after, {"", false}, "同じ回が1回もありません"},
      {"a file the user chose may hold only the new draws", after, {"", true}, ""},
      {"but not with a gap", gap, {"", true}, "第6回がありません"},
  };
  for (const auto& c : cases) {
    const Result<FeedMerge> m = mergeFeed(five, c.feed, c.rules);
    EXPECT_EQ(test::ended(m) == test::Ended::Added, !*c.says) << c.what << ": " << m.message();
    EXPECT_NE(m.message().find(c.says), std::string::npos) << c.what << ": " << m.message();
  }
}

TEST(Feed, AHistoryIsStaleMoreThanTwoWeeksAfterItsNewestDraw) {
  EXPECT_EQ(dayNumber("1970-01-01"), 0);
  EXPECT_EQ(*dayNumber("2000-03-01") - *dayNumber("2000-02-28"), 2) << "a leap day";
  EXPECT_EQ(dayNumber("2025-02-29"), std::nullopt);
  EXPECT_FALSE(isStale("2025-09-23", "2025-10-07"));
  EXPECT_TRUE(isStale("2025-09-23", "2025-10-08"));
  EXPECT_FALSE(isStale("", "2026-12-08"));
  EXPECT_EQ(todayDate().size(), 10u);
}

TEST(HistoryUpdate, ThePublishedListBringsAHistoryCutAt1340ToTheShippedOneAndKeepsItsPrizes) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  const Result<DrawList> all = parseHistoryCsv(shipped());
  ASSERT_TRUE(all.ok());
  const std::vector<Draw> to1353(all->draws.begin(), all->draws.begin() + 1353);
  const PrizeTable prizes(all->prizes.begin(), all->prizes.find(1341));
  ASSERT_EQ(prizes.size(), 1340u);
  ASSERT_EQ(writeDatabase(at(db), {all->draws.begin(), all->draws.begin() + 1340}, prizes).withCause(), "");
  const std::string old = slurpFile(db);

  UpdateResult r = updateHistory(db, feedFile("miniloto-1340.json"), {{}, "2025-06-30"});
  EXPECT_EQ(test::ended(r), test::Ended::NothingNew) << r.message();
  EXPECT_EQ(r->newest->no, 1340);
  EXPECT_FALSE(r->sourceStale);
  EXPECT_EQ(slurpFile(db), old);

  r = updateHistory(db, feedFile("miniloto-1353.json"));
  ASSERT_EQ(test::ended(r), test::Ended::Added) << r.message();
  EXPECT_EQ(r->added.front().no, 1341);
  EXPECT_EQ(r->added.back().no, 1353);
  EXPECT_EQ(r->drawsBefore, 1340);
  EXPECT_EQ(r->drawsAfter, 1353);
  const LoadResult after = loadHistory(at(db), true);
  EXPECT_TRUE(sameHistory(after->draws, to1353));
  EXPECT_EQ(after->prizes, prizes) << "the update writes a new file: the stored prizes go into it";
  EXPECT_EQ(slurpFile(db + ".bak"), old);

  r = updateHistory(db, shipped(), {{}, "2026-12-08"});  // the CSV form, with prizes, to draw 1400
  ASSERT_EQ(test::ended(r), test::Ended::Added) << r.message();
  EXPECT_EQ(r->drawsAfter, 1400);
  EXPECT_TRUE(r->sourceStale);
  EXPECT_EQ(r->prizesAdded, 13) << "the prizes the source has for draws 1341..1353, which had none";
  EXPECT_EQ(loadHistory(at(db))->prizes, all->prizes);
}

TEST(HistoryUpdate, EveryRefusedSourceLeavesTheDatabaseByteForByte) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), feedDraws(5)).withCause(), "");
  const std::string old = slurpFile(db);
  std::vector<Draw> changed = feedDraws(8);
  changed[2].n[Bonus] = test::number(31);
  std::string wrongKey;
  {
    ScratchDir other;
    ASSERT_EQ(writeDatabase({other.file("x"), "123456"}, feedDraws(8)).withCause(), "");
    wrongKey = slurpFile(other.file("x"));
  }
  const std::string fine = craftedDatabase(dir, kTable + values(feedDraws(8)));
  const struct {
    const char* what;
    std::string bytes;
    const char* says;
  } cases[] = {
      {"nothing", "", "取得先から届いたデータが空です。"},
      {"an error page", "<html>Service Unavailable</html>", "このプログラムのデータベースでもありません"},
      {"a changed old draw", list(changed), "手元の当選データと1回分違います"},
      {"an empty list", "[]", "1件もありません"},
      {"a wrongly keyed database", wrongKey, "このプログラムのデータベースでもありません"},
      {"a cut database", fine.substr(0, fine.size() / 2), "データベース"},
      {"the table as a view",
       craftedDatabase(dir,
                       "CREATE TABLE t (a); CREATE VIEW 当選データ AS SELECT 1 AS 回数, '' AS 抽選日, 1 AS 第1数字, "
                       "2 AS 第2数字, 3 AS 第3数字, 4 AS 第4数字, 5 AS 第5数字, 6 AS ボーナス数字;"),
       "「当選データ」が普通の表ではありません"},
      {"the table as a virtual table (its rows come from the module, not the file)",
       craftedDatabase(dir,
                       kTable + values(feedDraws(8)) +
                           "ALTER TABLE 当選データ RENAME TO t; CREATE VIRTUAL TABLE 当選データ USING rtree_i32(回数, "
                           "第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字, 抽選日, x); INSERT INTO "
                           "当選データ SELECT 回数, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字, 0, 0 "
                           "FROM t; DROP TABLE t;"),
       "「当選データ」が普通の表ではありません"},
      {"no table", craftedDatabase(dir, "CREATE TABLE t (a);"), "「当選データ」の表がありません"},
      {"a new draw whose date is markup",
       craftedDatabase(dir, kTable + values(feedDraws(5)) +
                                "INSERT INTO 当選データ VALUES (6, '<img src=\"/dev/zero\">', 1, 2, 3, 4, 5, 6);"),
       "抽選日に誤りがあります。 第6回「<img"},
      {"a prize table with a draw twice",
       craftedDatabase(dir, kTable + values(feedDraws(8)) +
                                "CREATE TABLE 当選金 (回数, \"1等口数\", \"2等口数\", \"3等口数\", \"4等口数\", "
                                "\"1等賞金\", \"2等賞金\", \"3等賞金\", \"4等賞金\");"
                                "INSERT INTO 当選金 VALUES (3, 1, 2, 3, 4, 100, 20, 3, 1);"
                                "INSERT INTO 当選金 VALUES (3, 0, 2, 3, 4, 0, 20, 3, 1);"),
       "「当選金」に第3回が2行あります"},
      {"a draw number as text",
       craftedDatabase(
           dir,
           "CREATE TABLE 当選データ (回数, 抽選日, 第1数字, 第2数字, 第3数字, 第4数字, 第5数字, ボーナス数字);"
           "INSERT INTO 当選データ VALUES ('x', '', 1, 2, 3, 4, 5, 6);"),
       "整数ではありません"},
  };
  for (const auto& c : cases) {
    const UpdateResult r = updateHistory(db, c.bytes);
    EXPECT_EQ(test::ended(r), test::Ended::Refused) << c.what;
    EXPECT_NE((r.message() + r.cause()).find(c.says), std::string::npos) << c.what << ": " << r.message();
    EXPECT_EQ(slurpFile(db), old) << c.what;
    EXPECT_EQ(dir.names(), std::set<std::string>{"Kazumaki.mdb"}) << c.what;
  }
  EXPECT_EQ(updateHistory(db, "").message(), "取得先から届いたデータが空です。") << "said by the check for no data";
}

TEST(HistoryUpdate, AHostileDatabaseGivesItsDrawsAndNothingElse) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  const std::vector<Draw> rows = feedDraws(6);
  const std::string hostile[] = {
      // a trigger that wipes the history at the next added draw
      kTable + values(rows) + "CREATE TRIGGER wipe AFTER INSERT ON 当選データ BEGIN DELETE FROM 当選データ; END;",
      // a history query that runs for minutes
      kTable + values(rows) +
          "CREATE VIEW 全データ選択クエリ AS SELECT * FROM 当選データ WHERE replace(hex(zeroblob(30000)), '0', 'a') "
          "LIKE '%a%a%a%a%a%a%a%a%a%a%b';",
      // a write-ahead log in place of the journal
      kTable + values(rows) + "PRAGMA journal_mode = WAL;",
  };
  for (const std::string& sql : hostile) {
    fs::remove(db);
    ASSERT_EQ(writeDatabase(at(db), feedDraws(3)).withCause(), "");
    const UpdateResult r = updateHistory(db, craftedDatabase(dir, sql));
    ASSERT_EQ(test::ended(r), test::Ended::Added) << sql << ": " << r.message();
    EXPECT_EQ(r->drawsAfter, 6);
    std::string error;
    auto store = EntryStore::open(at(db), error);
    ASSERT_TRUE(store) << error;
    int no = 0;
    EXPECT_EQ(store->append({"1", "2", "3", "4", "5", "6"}, "", no), "") << sql;
    store.reset();
    const LoadResult after = loadHistory(at(db));
    ASSERT_TRUE(after.ok()) << after.message();
    EXPECT_EQ(after->draws.size(), 7u) << "a later draw keeps every draw: " << sql;
    sqlite3* raw = openKeyed(db);
    sqlite3_stmt* q = nullptr;
    sqlite3_prepare_v2(raw, "SELECT group_concat(type || ' ' || name) FROM sqlite_master", -1, &q, nullptr);
    ASSERT_EQ(sqlite3_step(q), SQLITE_ROW);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(sqlite3_column_text(q, 0))),
              "table 当選データ,view 全データ選択クエリ,table 当選金")
        << sql;
    sqlite3_finalize(q);
    sqlite3_close(raw);
    fs::remove(db + ".bak");
    EXPECT_EQ(dir.names(), std::set<std::string>{"Kazumaki.mdb"});
  }
}

TEST(HistoryUpdate, AStopBeforeTheWriteLeavesTheDatabaseAndAStopAfterItIsTooLate) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), feedDraws(5)).withCause(), "");
  const std::string old = slurpFile(db);
  StopSignal stop;
  EXPECT_TRUE(stop.stop());
  const UpdateResult r = updateHistory(db, list(feedDraws(8)), {{kReadTimeLimit, &stop}, {}});
  EXPECT_EQ(test::ended(r), test::Ended::Cancelled);
  EXPECT_EQ(slurpFile(db), old);
  EXPECT_EQ(dir.names(), std::set<std::string>{"Kazumaki.mdb"});
  StopSignal writing;
  EXPECT_TRUE(writing.beginCommit());
  EXPECT_FALSE(writing.stop()) << "the write goes on to its end";
  EXPECT_FALSE(writing.stopped());
}

TEST(HistoryUpdate, AMissingDatabaseAndABackupThatCannotBeWritten) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  UpdateResult r = updateHistory(db, list(feedDraws(3)));
  EXPECT_EQ(test::ended(r), test::Ended::Missing);
  EXPECT_EQ(r.message(), "当選データファイル：'" + db + "'が存在しません");
  EXPECT_TRUE(dir.names().empty());

  ASSERT_EQ(writeDatabase(at(db), feedDraws(2)).withCause(), "");
  const std::string old = slurpFile(db);
  for (const bool link : {false, true}) {
    if (link)
      fs::create_symlink(db, dir.path / "Kazumaki.mdb.bak");  // a backup that is the database itself
    else
      fs::create_directories(dir.path / "Kazumaki.mdb.bak" / "in-the-way");
    r = updateHistory(db, list(feedDraws(3)));
    EXPECT_EQ(test::ended(r), test::Ended::Refused) << link;
    EXPECT_NE(r.cause().find("控え"), std::string::npos) << r.cause();
    EXPECT_NE(r.cause().find("Kazumaki.mdb.bak"), std::string::npos) << r.cause();
    EXPECT_EQ(slurpFile(db), old);
    EXPECT_EQ(dir.names(), (std::set<std::string>{"Kazumaki.mdb", "Kazumaki.mdb.bak"}));
    fs::remove_all(dir.path / "Kazumaki.mdb.bak");
  }
}

TEST(HistoryUpdate, SeveralSourcesAreCheckedAgainstTheHistoryAndAgainstEachOther) {
  const std::vector<Draw> eight = feedDraws(8);
  auto altered = [&](int no) {
    std::vector<Draw> d = eight;
    d[no - 1].n[Bonus] =
        test::number(*d[no - 1].n[Bonus] % 31 + 1 == *d[no - 1].n[0] ? 31 : *d[no - 1].n[Bonus] % 31 + 1);
    return list(d);
  };
  std::vector<Draw> oldChanged = eight;
  oldChanged[1].n[Bonus] = test::number(31);
  const SourceInput ahead{"甲", list(eight), {}, {}, false}, behind{"乙", list(feedDraws(6)), {}, {}, false},
      unreachable{"丙", {}, "取得先にデータがありません（HTTP 404 Not Found）。", "HTTP 404", false},
      differsFromHistory{"丁", list(oldChanged), {}, {}, false};
  const struct {
    const char* what;
    std::vector<SourceInput> sources;
    const char* added;  // "first-last", or "" when refused
    const char* says;   // in the reason, or in the conflict when draws were added
  } cases[] = {
      {"one list ahead of the other", {behind, ahead}, "6-8", ""},
      {"one source cannot be reached", {unreachable, ahead}, "6-8", ""},
      {"one source differs from the history", {differsFromHistory, ahead}, "6-8", ""},
      {"two sources differ on the first new draw", {ahead, {"戊", altered(6), {}, {}, false}}, "", "「甲」"},
      {"... and on a later one", {ahead, {"戊", altered(8), {}, {}, false}}, "6-7", "第8回からは取り込んでいません"},
      {"no source can be used", {unreachable, differsFromHistory}, "", "「丁」：取得先の当選データが"},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    const std::string db = dir.file("Kazumaki.mdb");
    ASSERT_EQ(writeDatabase(at(db), feedDraws(5)).withCause(), "");
    const std::string old = slurpFile(db);
    const UpdateResult r = updateHistory(db, c.sources);
    if (!*c.added) {
      EXPECT_EQ(test::ended(r), test::Ended::Refused) << c.what;
      EXPECT_NE(r.message().find(c.says), std::string::npos) << c.what << ": " << r.message();
      EXPECT_EQ(slurpFile(db), old) << c.what;
      continue;
    }
    ASSERT_EQ(test::ended(r), test::Ended::Added) << c.what << ": " << r.message();
    ASSERT_EQ(r->sources.size(), c.sources.size()) << c.what;
    EXPECT_EQ(std::to_string(r->added.front().no) + "-" + std::to_string(r->added.back().no), c.added) << c.what;
    EXPECT_NE(r->conflict.find(c.says), std::string::npos) << c.what << ": " << r->conflict;
    EXPECT_EQ(loadHistory(at(db))->draws.size(), size_t(r->added.back().no)) << c.what;
    for (size_t i = 0; i < r->sources.size(); ++i)
      EXPECT_EQ(r->sources[i].usable, c.sources[i].error.empty() && c.sources[i].name != "丁") << c.what << " " << i;
  }
  // two that differ on a new draw are both named, with what each says
  ScratchDir dir;
  ASSERT_EQ(writeDatabase(at(dir.file("Kazumaki.mdb")), feedDraws(5)).withCause(), "");
  const UpdateResult r = updateHistory(dir.file("Kazumaki.mdb"), {ahead, {"戊", altered(6), {}, {}, false}});
  EXPECT_NE(r.message().find("「戊」"), std::string::npos) << r.message();
  EXPECT_NE(r.message().find("第6回"), std::string::npos) << r.message();
}

TEST(HistoryUpdate, APrizeThatDiffersFromTheStoredOneOrBetweenSourcesIsToldAndNotWritten) {
  auto prize = [](int no) {
    Prize p;
    for (int t = 0; t < kPrizeTiers; ++t) p.winners[t] = no + t, p.yen[t] = 1000 * (no + t);
    return p;
  };
  PrizeTable stored, a, b;
  for (int no = 1; no <= 7; ++no) a[no] = b[no] = prize(no);
  for (int no = 1; no <= 5; ++no) stored[no] = prize(no);
  a[2].yen[0] = 1;      // differs from the stored prize
  b[7].winners[3] = 0;  // the two sources differ on a new draw's prize
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  ASSERT_EQ(writeDatabase(at(db), feedDraws(5), stored).withCause(), "");
  const UpdateResult r = updateHistory(db, {{"甲", historyToCsvWithPrizes(feedDraws(7), a), {}, {}, false},
                                            {"乙", historyToCsvWithPrizes(feedDraws(7), b), {}, {}, false}});
  ASSERT_EQ(test::ended(r), test::Ended::Added) << r.message();
  EXPECT_EQ(r->prizesAdded, 1) << "draw 6 alone";
  EXPECT_NE(r->prizeNotes.find("第2回の当選金が、手元のデータと取得先「甲」とで違います"), std::string::npos)
      << r->prizeNotes;
  EXPECT_NE(r->prizeNotes.find("第7回の当選金が、取得先「甲」と取得先「乙」で違う"), std::string::npos)
      << r->prizeNotes;
  PrizeTable expected = stored;
  expected[6] = prize(6);
  EXPECT_EQ(loadHistory(at(db))->prizes, expected);
  // no new draw, but a prize for a stored draw that has none: it is written all the same
  const UpdateResult again = updateHistory(db, {{"甲", historyToCsvWithPrizes(feedDraws(7), a), {}, {}, false}});
  EXPECT_EQ(test::ended(again), test::Ended::NothingNew) << again.message();
  expected[7] = prize(7);
  EXPECT_EQ(loadHistory(at(db))->prizes, expected) << "draw 7's prize, now from one source";
}

// The prizes of recent draws from a results file with a Japanese header:
// taken for the draws that had none; a file with a negative count or a
// missing figure is refused and the database kept byte for byte.
TEST(HistoryUpdate, PrizesFromAJapaneseResultsFileFillTheDrawsWithout) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  const std::vector<Draw> draws = feedDraws(5);
  ASSERT_EQ(writeDatabase(at(db), draws).withCause(), "");
  auto line = [&](int no, const std::string& prize) {
    const Draw& d = draws[static_cast<size_t>(no - 1)];
    std::string l = "第" + std::to_string(no) + "回," + d.date.text();
    for (int f = 0; f < kNumberFields; ++f) l += "," + std::to_string(d[f]);
    return l + "," + prize + "\n";
  };
  const std::string old = slurpFile(db);
  const struct {
    const char* what;
    std::string file;
    const char* says;
  } refused[] = {
      {"a negative count", kResultsPrizeHeader + line(4, "0,0,14,258300,-1032,11200,21766,1000"),
       "第4回の「3等口数」の「-1032」"},
      {"a missing figure", kResultsPrizeHeader + line(4, "0,0,14,258300,1032,11200,,1000"),
       "第4回の「4等口数」が空欄です"},
  };
  for (const auto& c : refused) {
    const UpdateResult r = updateHistory(db, c.file);
    EXPECT_EQ(test::ended(r), test::Ended::Refused) << c.what;
    EXPECT_NE(r.message().find(c.says), std::string::npos) << c.what << ": " << r.message();
    EXPECT_EQ(slurpFile(db), old) << c.what;
  }
  const UpdateResult r =
      updateHistory(db, kResultsPrizeHeader +
                            line(4, "該当なし,該当なし,14,\"258,300円\",\"1,032\",\"11,200\",\"21,766\",\"1,000\"") +
                            line(5, "1,\"12,000,000\",9,\"300,000\",900,\"12,000\",\"20,000\",\"1,000\""));
  EXPECT_EQ(test::ended(r), test::Ended::NothingNew) << r.message();
  EXPECT_EQ(r->prizesAdded, 2);
  EXPECT_EQ(loadHistory(at(db))->prizes, (PrizeTable{{4, Prize{{0, 14, 1032, 21766}, {0, 258300, 11200, 1000}}},
                                                     {5, Prize{{1, 9, 900, 20000}, {12000000, 300000, 12000, 1000}}}}));
}

TEST(HistoryUpdate, AHistoryCutAt1390ReachesTheShippedOneFromTheListThatIsKeptUpWhileTheOtherHasNothingNew) {
  ScratchDir dir;
  const std::string db = dir.file("Kazumaki.mdb");
  const Result<DrawList> all = parseHistoryCsv(shipped());
  ASSERT_TRUE(all.ok());
  ASSERT_EQ(all->draws.size(), 1400u);
  ASSERT_EQ(writeDatabase(at(db), {all->draws.begin(), all->draws.begin() + 1390}).withCause(), "");
  const UpdateResult r = updateHistory(db,
                                       {{"analyzer", feedFile("analyzer-1386-1400.json"), {}, {}, false},
                                        {"po3", feedFile("po3-1350-1353.json"), {}, {}, false}},
                                       {{}, "2026-12-09"});
  ASSERT_EQ(test::ended(r), test::Ended::Added) << r.message();
  EXPECT_EQ(r->added.front().no, 1391);
  EXPECT_EQ(r->added.back().no, 1400);
  ASSERT_EQ(r->sources.size(), 2u);
  EXPECT_TRUE(r->sources[1].usable) << r->sources[1].reason;
  EXPECT_EQ(r->sources[1].newest->no, 1353);
  EXPECT_EQ(r->sources[1].newDraws, 0);
  EXPECT_EQ(r->prizesAdded, 4) << "the first list's prizes of draws 1350..1353";
  const LoadResult after = loadHistory(at(db), true);
  EXPECT_TRUE(sameHistory(after->draws, all->draws));
  for (int no = 1350; no <= 1353; ++no) EXPECT_EQ(after->prizes.at(no), all->prizes.at(no)) << no;
}

TEST(HistoryUpdate, TwoUpdatesAtOnceBothEndWithOneHistoryThatEachCompared) {
  for (int round = 0; round < 5; ++round) {
    ScratchDir dir;
    const std::string db = dir.file("Kazumaki.mdb");
    ASSERT_EQ(writeDatabase(at(db), feedDraws(5)).withCause(), "");
    std::optional<UpdateResult> a, b;
    std::thread first([&] { a = updateHistory(db, list(feedDraws(8))); });
    std::thread second([&] { b = updateHistory(db, list(feedDraws(10))); });
    first.join();
    second.join();
    EXPECT_NE(test::ended(*a), test::Ended::Refused) << a->message();
    EXPECT_NE(test::ended(*b), test::Ended::Refused) << b->message();
    // whichever came second read what the first wrote: no draw is lost
    EXPECT_TRUE(sameHistory(loadHistory(at(db), true)->draws, feedDraws(10))) << "round " << round;
  }
}
