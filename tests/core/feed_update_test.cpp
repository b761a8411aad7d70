// The results list as published and the rule that joins it to the user's draws.
#include <gtest/gtest.h>

#include <functional>

#include "store/feed.h"
#include "tests/core/test_history.h"

using namespace km;
using namespace km::test;

TEST(Feed, ReadsTheListInEveryShapeItWasPublishedIn) {
  const struct {
    std::string json;
    const char* says;  // the first draw read, or the error
  } cases[] = {
      {R"([{"開催回": "1", "日付": "1999/4/13", "第1数字": "1", "第2数字": "3", "第3数字": "17", "第4数字": "20",
           "第5数字": "25", "1等口数": "29", "EOF": null, "ボーナス数字": "26", "特徴": ["奇数多め", "合計小さめ"]}])",
       "1 3 17 20 25 ＋26（1999-04-13）"},
      {R"([{"開催回": "1333", "日付": "2025/05/06", "第1数字": "7", "第2数字": "11", "第3数字": "18",
           "第4数字": "25", "第5数字": "26", "第6数字": "6", "ボーナス数字": "", "特徴": []}])",
       "7 11 18 25 26 ＋6（2025-05-06）"},
      {R"([{"開催回": 1328, "日付": "2025-04-01", "第1数字": 1, "第2数字": "12", "第3数字": "15", "第4数字": "27",
           "第5数字": "31", "BONUS数字": "18", "EOF": NaN, "特徴": "奇数多め／下一桁かぶり", "x": {"y": [[true, -1.5e3]]}}])",
       "1 12 15 27 31 ＋18（2025-04-01）"},
      {"\xEF\xBB\xBF [{\"\\u958b\\u50ac\\u56de\": \"2\", \"\\u7b2c1\\u6570\\u5b57\": \"\\u0031\"}]",
       "1 空欄 空欄 空欄 空欄 ＋空欄"},
      {R"({"開催回": "1"})", "（JSON の配列）ではありません"},
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
      {"<html>Service Unavailable</html>", "JSON・CSV）ではありません"},
  };
  for (const auto& c : cases) {
    const FeedRead r = readFeed(c.json);
    const std::string got = r.ok && !r.draws.empty() ? describeDraw(r.draws[0]) : r.error;
    EXPECT_NE(got.find(c.says), std::string::npos) << c.json << "\n-> " << got;
  }
}

TEST(Feed, NewDrawsFollowTheLastStoredOneAndEveryStoredDrawMustAgree) {
  const std::vector<Draw> five = feedDraws(5), eight = feedDraws(8);
  auto with = [](std::vector<Draw> d, int no, const std::function<void(Draw&)>& change) {
    for (Draw& x : d)
      if (x.no == no) change(x);
    return d;
  };
  auto without = [](std::vector<Draw> d, int no) {
    std::erase_if(d, [no](const Draw& x) { return x.no == no; });
    return d;
  };
  const struct {
    const char* what;
    std::vector<Draw> stored, feed;
    FeedMerge::Status status;
    const char* says;  // in the reason, or the added range as "first-last"
  } cases[] = {
      {"three new draws", five, eight, FeedMerge::Append, "6-8"},
      {"nothing new", five, five, FeedMerge::NothingNew, ""},
      {"the user's own later draws are kept", eight, five, FeedMerge::NothingNew, ""},
      {"an empty history takes all", {}, five, FeedMerge::Append, "1-5"},
      {"main numbers typed in another order", with(five, 3, [](Draw& d) { std::swap(d.n[0], d.n[4]); }), eight,
       FeedMerge::Append, "6-8"},
      {"a stored draw without a date", with(five, 5, [](Draw& d) { d.date.clear(); }), eight, FeedMerge::Append, "6-8"},
      {"a changed bonus", five, with(eight, 3, [](Draw& d) { d.n[Bonus] = 31; }), FeedMerge::Refused,
       "1回分違います。\n第3回"},
      {"a changed date", five, with(eight, 2, [](Draw& d) { d.date = "2001-01-01"; }), FeedMerge::Refused, "第2回"},
      {"a stored blank draw", with(five, 5, [](Draw& d) { d.n[2].reset(); }), eight, FeedMerge::Refused,
       "当選データ入力で直して"},
      {"a gap after the last stored draw", five, without(eight, 6), FeedMerge::Refused, "第6回がありません"},
      {"a gap between new draws", five, without(eight, 7), FeedMerge::Refused, "第7回がありません（第6回の次が第8回"},
      {"a draw listed twice", five,
       [&] {
         auto d = eight;
         d.push_back(eight[6]);
         return d;
       }(),
       FeedMerge::Refused, "第7回が2回あります"},
      {"an empty list", five, {}, FeedMerge::Refused, "1件もありません"},
      {"a number above 31", five, with(eight, 7, [](Draw& d) { d.n[1] = 32; }), FeedMerge::Refused,
       "32は1〜31の範囲外"},
      {"a main number twice", five, with(eight, 7, [](Draw& d) { d.n[1] = d.n[0]; }), FeedMerge::Refused, "同じ数"},
      {"the bonus among the main numbers", five, with(eight, 7, [](Draw& d) { d.n[Bonus] = d.n[0]; }),
       FeedMerge::Refused, "本数字と同じ"},
      {"a blank number", five, with(eight, 6, [](Draw& d) { d.n[4].reset(); }), FeedMerge::Refused,
       "「第5数字」が空欄"},
      {"no date", five, with(eight, 8, [](Draw& d) { d.date.clear(); }), FeedMerge::Refused, "第8回に日付がありません"},
      {"a date not after the draw before", five, with(eight, 7, [&](Draw& d) { d.date = eight[5].date; }),
       FeedMerge::Refused, "より後ではありません"},
  };
  for (const auto& c : cases) {
    const FeedMerge m = mergeFeed(c.stored, c.feed);
    EXPECT_EQ(m.status, c.status) << c.what << ": " << m.reason;
    if (m.status == FeedMerge::Append) {
      EXPECT_EQ(std::to_string(m.added.front().no) + "-" + std::to_string(m.added.back().no), c.says) << c.what;
      EXPECT_EQ(m.newest.no, c.feed.back().no);
    } else {
      EXPECT_NE(m.reason.find(c.says), std::string::npos) << c.what << ": " << m.reason;
      EXPECT_TRUE(m.added.empty()) << c.what;
    }
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
