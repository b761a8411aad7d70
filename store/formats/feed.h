#pragma once
// A results feed: the draws a public source lists, read from its JSON list
// or from a CSV in kazumaki-tool's own form, and the rule by which they join
// the user's history: append only, and only when the feed agrees with every
// draw already stored.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/history.h"
#include "store/messages.h"
#include "store/result.h"

namespace km {

enum class FeedForm { Json, Csv, ResultsCsv, Other };
// A JSON text (it starts with [ or {), the CSV (it starts with its header
// line), a results file with a Japanese header row (looksLikeResultsCsv, in
// UTF-8 or Shift_JIS) or anything else (a database, an error page); a byte
// order mark and white space before the start are skipped, and bytes holding
// a NUL are no text.
FeedForm feedForm(std::string_view bytes);

// The text in UTF-8: bytes that are valid UTF-8 as they are (without a byte
// order mark), else bytes read as Shift_JIS (Windows' code page 932, through
// iconv); nothing when they are neither.
std::optional<std::string> textAsUtf8(std::string_view bytes);

// The JSON list: an array of objects, one per draw, whose fields 開催回,
// 日付 (YYYY/M/D, YYYY/MM/DD or YYYY-MM-DD; stored as YYYY-MM-DD),
// 第1数字..第5数字 and ボーナス数字 give the draw, as strings or numbers.  The
// list has also named the bonus BONUS数字, and for a while put it in 第6数字
// with ボーナス数字 left empty: the first of the three that is not empty
// counts, and two that differ are refused.  The prize fields 1等口数..4等口数
// and 1等賞金..4等賞金 are all eight whole numbers (a known prize), all absent
// or empty (none), or the list is refused.  Every other field is ignored, and
// so are the NaN and Infinity that some writers of JSON put there.  Also the
// object {"draws": [{"round", "date", "numbers": [5 numbers], "bonus"}, ...]}
// with other members ignored.  A name twice in one object is refused.  The
// CSV is read by parseHistoryCsv, a results file by parseResultsCsv.  At most
// 32767 draws.  The draws come in the order listed, the prizes of the draws
// whose source gives all eight prize fields; a failure (Invalid) says why in
// Japanese, naming the entry and the field.
Result<DrawList> readFeed(std::string_view bytes);

// What a feed brings: the new draws in order (none: nothing new), and the
// feed's newest draw (its number and date).
struct FeedMerge {
  std::vector<Draw> added;
  Draw newest;
};

// What else a new draw from outside must satisfy.  `today` (YYYY-MM-DD, the
// date in Japan; empty: todayDate()) bounds the dates of the new draws; a file the user chose may start right after the
// last stored draw, while any other source must list at least one stored draw of a history that has any.
struct MergeRules {
  std::string today;
  bool mayStartAfterLast = false;
};

// Joins `feed` to the `stored` history.  Draws after the last stored draw are
// new; they must follow it without a gap, each with five different main
// numbers 1..31, a bonus 1..31 that is none of them and a date later than
// the draw before that the draws' calendar allows (newDrawDateProblem: a
// Tuesday outside the year-end break, not after today), so that no more new
// draws come than the calendar has held.  Every feed draw that is also stored must agree with
// it (the main numbers in any order, the bonus, and the date where both have
// one); a single difference refuses the whole feed, and when every date the
// two share is one day off (a list written in another time zone) the refusal
// says so.  A feed that lists a draw twice is refused too.  Stored draws
// after the feed's last are kept.  A refusal (Refused) says why in Japanese,
// naming the draws.
Result<FeedMerge> mergeFeed(const std::vector<Draw>& stored, std::vector<Draw> feed, const MergeRules& rules = {});
// Whether two reports of one draw agree: both complete, the same main
// numbers in any order, the same bonus, and the same date where both have one.
bool sameDraw(const Draw& a, const Draw& b);

// The draw as a message shows it: "6 11 13 14 18 ＋5（2025-09-23）".
std::string describeDraw(const Draw& d);

// A history whose newest draw is more than this many days old is stale.
inline constexpr int kStaleDays = 14;
// True when `date` lies more than kStaleDays days before `today`; false when
// either is no calendar date.
bool isStale(const std::string& date, const std::string& today);
// The status line of a history: its newest draw ("最新データ：第1400回（2026-08-18）",
// "最新データ：なし") and, when the draws' calendar (drawsDue) says draws were
// held since that draw's date (or the history is empty), how many ("約16回分が未取り込みです";
// "最新化してください" when the newest draw has no date).
struct StatusLine {
  std::string latest, missing;
  std::string text() const { return missing.empty() ? latest : says::statusJoined(latest, missing); }
};
StatusLine statusLine(const History& history, const std::string& today);

}  // namespace km
