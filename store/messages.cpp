#include "store/messages.h"

#include <type_traits>

#include "store/history.h"

namespace km::says {

namespace {

std::string piece(std::string_view s) { return std::string(s); }
template <class N>
requires std::is_integral_v<N> std::string piece(N n) { return std::to_string(n); }
// The pieces one after another, numbers in decimal.
template <class... P>
std::string cat(const P&... p) {
  std::string s;
  ((s += piece(p)), ...);
  return s;
}

}  // namespace

// ---- any file's line

std::string atLine(long line) { return cat(line, "行目："); }
std::string quoted(std::string_view text) { return cat("「", text, "」"); }
std::string notWholeNumber(bool fullWidth) {
  return fullWidth ? "が整数ではありません（半角の0〜9で書いてください）" : "が整数ではありません";
}

// ---- formats/csv

std::string csvTooManyColumns(std::size_t most) { return cat("列が", most, "個より多くあります"); }
std::string csvEndUnreadable() { return "ファイルを最後まで読めません"; }
std::string csvQuoteNotClosed() { return "引用符（\"）で始まる列が閉じていません"; }
std::string csvLineTooLong(std::size_t kib) {
  return cat("1行が", kib, " KiBを超えています（当選データの1行はずっと短いはずです）");
}
std::string csvNulCharacter() { return "NUL 文字があります（テキストファイルではありません）"; }
std::string csvLoneCr() { return "行が CR だけで終わっています（行の終わりは LF か CR LF にしてください）"; }
namespace {
const char* const kCsvPrizeRule = "（w1〜p4 の8列は、すべて空欄か、すべて0以上の整数です）";
}
std::string csvPrizeBlank(std::size_t column, std::string_view name) {
  return cat(column, "列目（", name, "）", "が空欄です", kCsvPrizeRule);
}
std::string csvPrizeNotWhole(std::size_t column, std::string_view name, std::string_view excerpt) {
  return cat(column, "列目（", name, "）", "の「", excerpt, "」は0以上の整数ではありません", kCsvPrizeRule);
}
std::string fileUnreadable() { return "ファイルを読めません"; }
std::string fileEmpty() { return "ファイルが空です"; }
std::string csvHeaderWrong(std::string_view header, std::string_view prizeHeader, std::string_view excerpt) {
  return cat("見出しの行が「", header, "」でも「", prizeHeader, "」でもありません（", quoted(excerpt), "）");
}
std::string csvBlankLine() { return "空の行があります"; }
std::string csvColumnCount(std::size_t expected, std::size_t found) {
  return cat("列が", expected, "個ではありません（", found, "個あります）");
}
std::string csvDrawNoOutOfRange(std::string_view text) {
  return cat("回数「", text, "」が", kMinDrawNo, "〜", kMaxDrawNo, "の範囲外です");
}
std::string csvDrawNoNotWhole(std::string_view excerpt, bool fullWidth) {
  return cat("回数", quoted(excerpt), notWholeNumber(fullWidth));
}
std::string csvDrawNoTwice(int no) { return cat("回数", no, "が2回あります"); }
std::string csvDrawNoDescending(int no) {
  return cat("回数", no, "が前の行の回数より小さくなっています（小さい順に並べてください）");
}
std::string csvDateWrong(std::string_view excerpt) {
  return cat("日付", quoted(excerpt), "が、YYYY-MM-DD の形の暦にある日付ではありません");
}
namespace {
const char* const kCsvFieldNames[] = {"n1（第1数字）", "n2（第2数字）", "n3（第3数字）",
                                      "n4（第4数字）", "n5（第5数字）", "bonus（ボーナス数字）"};
}
std::string csvNumberOutOfRange(int field, std::string_view excerpt) {
  return cat(kCsvFieldNames[field], "の", quoted(excerpt), "が", kMinNumber, "〜", kMaxNumber, "の範囲外です");
}
std::string csvNumberNotWhole(int field, std::string_view excerpt, bool fullWidth) {
  return cat(kCsvFieldNames[field], "の", quoted(excerpt), notWholeNumber(fullWidth));
}
std::string fileMissing() { return "ファイルがありません"; }
std::string fileNoReadPermission() { return "ファイルの読み取りの許可がありません"; }
std::string csvIsFolder() { return "CSV ファイルではなく、フォルダです"; }
std::string csvNotRegular() { return "通常のファイルではありません（パイプやデバイスからは取り込めません）"; }
std::string csvTooLarge() { return "ファイルが64 MBを超えています（当選データのファイルはずっと小さいはずです）"; }
std::string headerColumnsLead() { return "見出しの行に"; }
// each begins with headerColumnsLead()
std::string headerColumnTwice(std::string_view name) {
  return cat("見出しの行に「", name, "」にあたる列が2つあります");
}
std::string headerNoDate() { return "見出しの行に「抽せん日」（または「日付」）の列がありません"; }
std::string headerNoBonus() { return "見出しの行に「ボーナス数字」の列がありません"; }
std::string headerNoMain(int k) {
  return cat("見出しの行に「本数字", k, "」（または「抽せん数字", k, "」「第", k, "数字」）の列がありません");
}
std::string resultsNoHeader() { return "見出しの行（回号・抽せん日・本数字1〜5・ボーナス数字）がありません"; }
std::string resultsTooMany(int most) { return cat("当選データが", most, "件を超えています"); }
std::string resultsDrawNoWrong(std::string_view excerpt) {
  return cat("回号「", excerpt, "」は", kMinDrawNo, "〜", kMaxDrawNo, "の回数ではありません");
}
std::string resultsDateWrong(int no, std::string_view excerpt) {
  return cat("第", no, "回の抽せん日「", excerpt, "」は暦にある日付ではありません");
}
std::string resultsNumberNotNumber(int no, std::string_view name, std::string_view excerpt) {
  return cat("第", no, "回の", name, "「", excerpt, "」は数ではありません");
}
std::string resultsNumberOutOfRange(int no, std::string_view name, std::string_view excerpt) {
  return cat("第", no, "回の", name, "「", excerpt, "」は", kMinNumber, "〜", kMaxNumber, "の数ではありません");
}
std::string ofDraw(int no, std::string_view why) { return cat("第", no, "回の", why); }

// ---- formats/feed

std::string jsonLine(long line) { return cat(line, "行目"); }
std::string jsonAt(std::string_view why, std::string_view where) { return cat(why, "（", where, "）"); }
std::string jsonNoString() { return "JSON の文字列がありません"; }
std::string jsonControlCharacter() { return "JSON の文字列に制御文字があります"; }
std::string jsonBadUnicodeEscape() { return "JSON の \\u の後が16進数4桁ではありません"; }
std::string jsonBadSurrogatePair() { return "JSON の \\u の組が正しくありません"; }
std::string jsonBadEscape() { return "JSON の文字列に正しくない \\ があります"; }
std::string jsonStringNotClosed() { return "JSON の文字列が閉じていません"; }
std::string jsonMalformed() { return "JSON の書き方が正しくありません"; }
std::string jsonTooDeep() { return "JSON の入れ子が深すぎます"; }
std::string jsonNoCommaOrCloser() { return "JSON の , か閉じかっこがありません"; }
std::string jsonNoColon() { return "JSON の : がありません"; }
std::string jsonNoCommaOrBracket() { return "JSON の , か ] がありません"; }
std::string jsonNoCommaOrBrace() { return "JSON の , か } がありません"; }
std::string jsonNoMemberName() { return "JSON の項目名がありません"; }
std::string jsonTrailingText() { return "JSON の配列の後に余分な文字があります"; }
std::string feedTooMany(int most) { return cat("取得先の一覧が", most, "件を超えています。"); }
std::string feedNotJson(std::string_view error) {
  return cat("取得先のデータを JSON として読めません（", error, "）。");
}
std::string feedEntry(std::size_t n) { return cat("取得先の一覧の", n, "件目"); }
std::string feedEntryNotObject(std::string_view entry, std::string_view where) {
  return cat(entry, "が当選データ（JSON のオブジェクト）ではありません（", where, "）。");
}
std::string feedFieldTwice(std::string_view entry, std::string_view quotedName, std::string_view where) {
  return cat(entry, "に項目", quotedName, "が2つあります（", where, "）。");
}
std::string feedFieldsBoth(std::string_view entry, std::string_view a, std::string_view b, std::string_view where) {
  return cat(entry, "に項目「", a, "」と「", b, "」が両方あります（", where, "）。");
}
std::string feedFieldNotText(std::string_view entry, std::string_view name, std::string_view where) {
  return cat(entry, "の「", name, "」が文字列ではありません（", where, "）。");
}
std::string feedNoDrawNo(std::string_view entry) { return cat(entry, "に「開催回」がありません。"); }
std::string feedDrawNoWrong(std::string_view entry, std::string_view quotedValue) {
  return cat(entry, "の「開催回」", quotedValue, "は", kMinDrawNo, "〜", kMaxDrawNo, "の回数ではありません。");
}
std::string feedDraw(int no) { return cat("取得先の第", no, "回"); }
std::string feedNumberNotNumber(std::string_view draw, std::string_view name, std::string_view quotedValue) {
  return cat(draw, "の「", name, "」", quotedValue, "は数ではありません。");
}
std::string feedNumberOutOfRange(std::string_view draw, std::string_view name, long value) {
  return cat(draw, "の「", name, "」", value, "は", kMinNumber, "〜", kMaxNumber, "の範囲外です。");
}
std::string feedBonusesDiffer(std::string_view draw, std::string_view a, std::string_view b) {
  return cat(draw, "の「", a, "」と「", b, "」が違います。");
}
std::string feedDateWrong(std::string_view draw, std::string_view quotedValue) {
  return cat(draw, "の「日付」", quotedValue, "は暦にある日付ではありません。");
}
std::string feedNumbersNotArray(std::string_view entry, std::string_view where) {
  return cat(entry, "の「numbers」が5個の数の配列ではありません（", where, "）。");
}
namespace {
const char* const kFeedPrizeRule = "（1等口数〜4等賞金の8項目は、すべて揃っているか、すべてないかのどちらかです）。";
}
std::string feedPrizeMissing(std::string_view draw, std::string_view name) {
  return cat(draw, "の「", name, "」", "がありません", kFeedPrizeRule);
}
std::string feedPrizeNotWhole(std::string_view draw, std::string_view name, std::string_view quotedValue) {
  return cat(draw, "の「", name, "」", quotedValue, "は0以上の整数ではありません", kFeedPrizeRule);
}
std::string feedMemberTwice(std::string_view quotedName, std::string_view where) {
  return cat("取得先のデータに項目", quotedName, "が2つあります（", where, "）。");
}
std::string feedDrawsNotArray() { return "取得先のデータの「draws」が配列ではありません。"; }
std::string feedNoDraws() { return "取得先のデータに当選データの一覧（「draws」）がありません。"; }
std::string feedNotJsonList() { return "取得先のデータが当選データの一覧（JSON の配列）ではありません。"; }
std::string drawNumbers(const std::string (&shown)[6]) {
  const auto one = [](const std::string& s) { return s.empty() ? std::string("空欄") : s; };
  std::string t;
  for (int f = 0; f < 5; ++f) {
    if (f) t += ' ';
    t += one(shown[f]);
  }

  t += " ＋";
  t += one(shown[5]);
  return t;
}
std::string inParentheses(std::string_view text) { return cat("（", text, "）"); }
std::string feedDrawOf(std::string_view draw, std::string_view why) { return cat(draw, "の", why); }
std::string feedDrawNoDate(std::string_view draw) { return cat(draw, "に日付がありません。"); }
std::string feedDateNotAfter(std::string_view draw, std::string_view date, std::string_view before) {
  return cat(draw, "の日付 ", date, " が、前の回の日付 ", before, " より後ではありません。");
}
std::string feedNewDrawDate(std::string_view why) { return cat("取得先の", why); }
std::string feedDatesShifted(bool later, int no, std::string_view stored, std::string_view feed) {
  return cat("\n取得先の一覧の日付は、手元の当選データの日付とどの回も1日", later ? "後" : "前", "にずれています（第",
             no, "回：手元 ", stored, "、取得先 ", feed,
             "）。取得先が日付を日本の時刻ではなく別の時間帯で書いているようです。");
}
std::string feedCsvUnreadable(std::string_view why) { return cat("取得先の CSV を読めません（", why, "）。"); }
std::string feedNotList() { return "取得先のデータが当選データの一覧（JSON・CSV）ではありません。"; }
std::string feedEmpty() { return "取得先の一覧に当選データが1件もありません。"; }
std::string feedDrawTwice(int no) { return cat("取得先の一覧に第", no, "回が2回あります。"); }
std::string feedDifference(int no, std::string_view stored, std::string_view feed) {
  return cat("\n第", no, "回\n　手元：", stored, "\n　取得先：", feed);
}
std::string feedMoreDifferences(int more) { return cat("\nほか", more, "回"); }
std::string feedDiffers(int count) { return cat("取得先の当選データが、手元の当選データと", count, "回分違います。"); }
std::string feedFixStoredFirst() {
  return "\n手元の回に空欄や誤りがあるときは、当選データ入力で直してから最新化してください。";
}
std::string feedSharesNone(int first, int last, int storedLast) {
  return cat("取得先の一覧には、手元の当選データと同じ回が1回もありません（取得先は第", first, "回〜第", last,
             "回、手元の最新は第", storedLast, "回）。別のくじの一覧か、回の数え方が違う一覧です。");
}
std::string feedGapAfterStored(int expected, int storedLast, int next) {
  return cat("取得先の一覧に第", expected, "回がありません（", "手元の最新は第", storedLast, "回、取得先の次は第", next,
             "回です）。");
}
std::string feedGap(int expected, int previous, int next) {
  return cat("取得先の一覧に第", expected, "回がありません（", "第", previous, "回の次が第", next, "回です）。");
}
std::string statusNoDraws() { return "最新データ：なし"; }
std::string statusUpdatePlease() { return "最新化してください"; }
std::string statusLatest(int no) { return cat("最新データ：第", no, "回"); }
std::string statusMissing(int due) { return cat("約", due, "回分が未取り込みです"); }
std::string statusJoined(std::string_view latest, std::string_view missing) { return cat(latest, "　", missing); }

// ---- formats/tickets_file

std::string ticketCount(std::size_t count) { return cat("数字が5個ではありません（", count, "個）"); }
std::string ticketNumberEmpty(std::size_t field) { return cat("第", field, "数字が空です"); }
std::string ticketNumberWrong(std::string_view quotedText) { return cat(quotedText, "は1〜31の数字ではありません"); }
std::string ticketNumberTwice(int number) { return cat("数字", number, "が2回あります"); }
std::string ticketFieldCount(std::size_t count) { return cat("項目が8個ではありません（", count, "個）"); }
std::string ticketFromWrong(std::string_view quotedText, int most) {
  return cat("開始回", quotedText, "は1〜", most, "の回数ではありません");
}
std::string ticketDrawsWrong(std::string_view quotedText, int most) {
  return cat("購入回数", quotedText, "は1〜", most, "ではありません");
}
std::string ticketRunTooLong(int from, int draws, long long last, int most) {
  return cat("第", from, "回から", draws, "回分は第", last, "回までになり、回数の上限（第", most, "回）を超えます");
}
std::string ticketNoNumbers() { return "数字がありません"; }
std::string ticketLinesTooMany(int line) { return cat(line, "行目から後：多すぎるため入れませんでした"); }
std::string ticketNoteTooLong(std::size_t most) { return cat("メモが長すぎます（", most, "バイトまで）"); }
std::string ticketNoteControl() { return "メモに制御文字があります"; }
std::string ticketNoteNotUtf8() { return "メモがUTF-8の文字ではありません"; }
std::string ticketHeaderWrong(std::string_view header) { return cat("1行目：見出しが「", header, "」ではありません"); }
std::string ticketsTooMany(int most) { return cat("買い目が多すぎます（", most, "行まで）"); }
std::string ticketQuoteNotClosed() { return "引用符が閉じていません"; }
std::string ticketsFileTooLarge(long long mib) {
  return cat("買い目のファイルが大きすぎます（", mib, "MBまで）。ファイルはそのまま残してあります。");
}
std::string ticketsFileForeignLink() { return "買い目のファイルは他のユーザーのリンクの先にあるため読みません。"; }
std::string ticketsFileNotRegular() { return "買い目のファイルが通常のファイルではありません。"; }
std::string ticketsFileUnreadable() { return "買い目のファイルを読めません。"; }
std::string ticketsFileDamaged(std::string_view why) {
  return cat("買い目のファイルが壊れています（", why, "）。ファイルはそのまま残してあります。");
}
std::string ticketsFileNotSetAside() { return "壊れた買い目のファイルを別の名前にできませんでした。"; }
std::string aboutFile(std::string_view what, std::string_view path) { return cat(what, "\n", path); }

// ---- sqlite

std::string sqliteCause(std::string_view text, int code) { return cat("SQLite: ", text, "（コード ", code, "）"); }
std::string firstPageDamaged() { return "当選データファイルが壊れています（ファイルの先頭が正しくありません）。"; }
std::string anotherPageSizeCause() {
  return "ファイルの見出しにあるページの大きさが、このプログラムのデータベースと違います";
}
std::string notOurDatabase() { return "このプログラムの暗号化データベースではありません。"; }
std::string keyOrDamage() {
  return "当選データファイルが壊れているか、このプログラムの当選データファイルではありません。";
}
std::string historyEmptyFile() { return "当選データファイルが空です（0バイト）。"; }
std::string readOnlyFile() { return "データベースファイルが読み取り専用のため、当選データを変更できません。"; }
std::string storedDrawNoNotInteger() { return "が整数ではありません。"; }
std::string storedDrawNoOutOfRange(long long no) {
  return cat(no, "は", kMinDrawNo, "〜", kMaxDrawNo, "の範囲外です。");
}
std::string historyReadStopped() { return "当選データファイルの読み込みを中止しました。"; }
std::string foreignWal(std::string_view name, std::string_view wal) {
  return cat("当選データファイルの横に、このプログラムが作らないファイル「", name,
             "-wal」（別のプログラムの書き込みログ）があります。中身を確かめて、移動するか削除してください。\n", wal);
}
std::string foreignJournal(std::string_view name, std::string_view journal) {
  return cat("当選データファイルの横にある「", name,
             "-journal」は、このプログラムが書き込みの途中に作る控え（ジャーナル）ではありません。中身を確かめて"
             "、移動するか削除してください。\n",
             journal);
}
std::string rollBackFailed(std::string_view journal) {
  return cat(
      "前回中断された書き込みを取り消せません（当選データファイルとそのフォルダに書き込めるか確かめてください）。\n",
      journal);
}
std::string rollBackLeft(std::string_view journal) {
  return cat("前回中断された書き込みを取り消せません。\n", journal);
}
std::string historyMissing() { return "当選データファイルが見つかりません。"; }
std::string historyNotRegular() { return "当選データファイルが通常のファイルではありません。"; }
std::string historyNoReadPermission() {
  return "当選データファイルを読み込めません。ファイルの読み取りの許可を確かめてください。";
}
std::string folderNotWritable() {
  return "データベースファイルのフォルダに書き込めないため、当選データを変更できません。";
}
std::string foreignLinkNotWritable() {
  return "データベースファイルが、ほかのユーザーが作ったシンボリックリンクのため、当選データを変更できません。";
}
std::string historyCannotOpen() { return "当選データファイルを開けません。"; }
std::string noCipherToOpen() {
  return "暗号化データベースを扱うライブラリが使えないため、当選データファイルを開けません。プログラムを入れ直して"
         "ください。";
}
std::string cannotWriteDatabase() { return "データベースへ書き込めません。"; }
std::string readTooLong(long long ms) {
  const std::string limit = ms % 1000 == 0 ? cat(ms / 1000, "秒") : cat(ms, "ミリ秒");
  return cat("当選データファイルの読み込みが", limit,
             "以内に終わりません。ファイルが壊れているか、このプログラムの当選データファイルではありません。");
}
std::string wrongCell(bool date, int no, int column, std::string_view excerpt) {
  return cat(date ? wrongDates() : wrongNumbers(), " 第", no, "回 ", column, "列目「", excerpt, "」");
}
std::string wrongStoredDate(int no, std::string_view excerpt) {
  return cat(wrongDates(), " 第", no, "回「", excerpt, "」");
}
std::string storedDrawNoWrong(std::string_view excerpt) {
  return cat("データベースファイルが壊れています。「回数」「", excerpt, "」は回数ではありません。");
}
std::string historyDamagedUnreadable() { return "当選データファイルが壊れているため、中身を読めません。"; }
std::string prizeTableNotOurs() {
  return "当選データファイルの「当選金」（当選口数と当選金額）が、このプログラムの作る表ではありません。";
}
std::string prizeTableUnreadable() { return "当選データファイルが壊れているため、「当選金」の表を読めません。"; }
std::string prizeRowDrawNoWrong(std::size_t row, std::string_view wrong) {
  return cat("当選データファイルが壊れています。「当選金」の", row, "行目の「回数」", wrong);
}
std::string prizeDrawTwice(int no) {
  return cat("当選データファイルが壊れています。「当選金」に第", no, "回が2行あります。");
}
std::string prizeValueWrong(int no, std::string_view column, long long most) {
  return cat("当選データファイルが壊れています。「当選金」の第", no, "回の「", column, "」が0〜", most,
             "の整数ではありません。");
}
std::string historyDamagedNoRead() { return "当選データファイルが壊れているため、読めません。"; }
std::string noHistoryList() {
  return "当選データファイルに当選データの一覧がありません。ファイルが壊れているか、このプログラムの当選データ"
         "ファイルではありません。";
}
std::string tableMissingCause(std::string_view name) { return cat("「", name, "」がありません"); }
std::string tableCause(std::string_view name, std::string_view cause) { return cat("「", name, "」: ", cause); }
std::string historyListUnreadable() { return "当選データファイルが壊れているため、当選データの一覧を読めません。"; }
std::string historyRowDrawNoWrong(std::size_t row, std::string_view wrong) {
  return cat("当選データファイルが壊れています。", row, "行目の「回数」", wrong);
}
std::string historyDrawNoRepeated(std::size_t row, long long no) {
  return cat("当選データファイルが壊れています。", row, "行目の「回数」", no, "が重複しています。");
}
std::string historyDrawNoDescending(std::size_t row, long long no) {
  return cat("当選データファイルが壊れています。", row, "行目の「回数」", no, "が昇順ではありません。");
}
std::string historyDrawsUnreadable() { return "当選データファイルが壊れているため、当選データを読めません。"; }
std::string historyDatesUnreadable() { return "当選データファイルが壊れているため、抽選日を読めません。"; }
std::string drawTableNotPlainForDates(std::string_view table) {
  return cat("当選データファイルの「", table,
             "」が普通の表ではないため、抽選日を読みません。ファイルが壊れているか、このプログラムの当選データ"
             "ファイルではありません。");
}
std::string dateTableTooLong(int most) {
  return cat("当選データファイルが壊れています。抽選日の表が", most, "行を超えています。");
}
std::string databaseUnreadableContents() { return "データベースファイルの中身を読めません。"; }
std::string noDrawTable() { return "データベースファイルに「当選データ」の表がありません。"; }
std::string drawTableNotPlain() { return "データベースファイルの「当選データ」が普通の表ではありません。"; }
std::string drawTableUnreadable() { return "データベースファイルの「当選データ」の表を読めません。"; }
std::string drawTableRowDrawNoWrong(std::size_t row, std::string_view wrong) {
  return cat("データベースファイルの「当選データ」の", row, "行目の「回数」", wrong);
}
std::string drawTableDrawTwice(long long no) {
  return cat("データベースファイルの「当選データ」に第", no, "回が2行あります。");
}
std::string databaseDamagedDraws() { return "データベースファイルが壊れているため、当選データを読めません。"; }
std::string replacedByAnotherUpdate(std::string_view path) {
  return cat("データベースファイルが、ほかの更新で置き換えられました。\n", path);
}
std::string cannotCreateDatabase() { return "データベースを作成できません。"; }
std::string noCipherLibrary() { return "暗号化データベースを扱うライブラリが使えません。"; }
std::string cannotSetCipher() { return "データベースの暗号化を設定できません。"; }
std::string cannotCreateTables() { return "データベースの表を作成できません。"; }
std::string cannotWriteDraw(int no) { return cat("データベースへ書き込めません（第", no, "回）。"); }
std::string cannotWritePrize(int no) { return cat("データベースへ書き込めません（第", no, "回の当選金）。"); }
std::string cannotCloseDatabase() { return "データベースを閉じられません。"; }
std::string cannotReplaceDatabase() { return "データベースを置き換えられません。"; }
std::string wrongNumbers() { return "結果マスタの数字に誤りがあります。"; }
std::string wrongDates() { return "結果マスタの抽選日に誤りがあります。"; }
std::string wrongPrize() { return "当選金に誤りがあります。"; }
std::string editingElsewhere() {
  return "当選データ入力ウィンドウで編集中です。当選データ入力ウィンドウを閉じてから、もう一度実行してください。";
}
std::string changedElsewhere() {
  return "データベースファイルがほかのプログラムで変更されたため、この変更は保存していません。";
}

// ---- sqlite/entry_store

std::string entryDateWrong(std::string_view excerpt) {
  return cat("抽選日「", excerpt, "」は暦にある日付（YYYY-MM-DD）で入力してください。");
}
std::string entryDateNotAfter(std::string_view date, std::string_view previous) {
  return cat("抽選日 ", date, " が、前の回の抽選日 ", previous, " より後ではありません。");
}
std::string entryDateNotBefore(std::string_view date, std::string_view next) {
  return cat("抽選日 ", date, " が、次の回の抽選日 ", next, " より前ではありません。");
}
std::string entryDateFuture(std::string_view date, std::string_view today) {
  return cat("抽選日 ", date, " は、今日（日本の日付で ", today, "）より後です。まだ行われていない抽せんです。");
}
std::string databaseUnreadable() { return "データベースファイルを読めません。"; }
std::string noDrawTableOrView() {
  return "データベースファイルに「当選データ」または「全データ選択クエリ」がありません。";
}
std::string movedWhileOpen() {
  return "データベースファイルが開いている間に移動または削除されたため、当選データを変更できません。";
}
std::string diskFull() { return "ディスクに空きがないため、当選データを変更できません。"; }
std::string readOnlyConnection() { return "当選データを読むだけの接続のため、変更できません。"; }
std::string historyViewUnreadable() { return "データベースファイルの「全データ選択クエリ」を読めません。"; }
std::string databaseReadStopped() { return "データベースファイルの読み込みを中止しました。"; }
std::string cannotReadDatabase() { return "データベースを読めません。"; }
std::string columnOutOfRange() { return "列は２～８で指定してください。"; }
std::string noSuchDraw(int no) { return cat("第", no, "回の当選データがありません。"); }
std::string insertOutOfRange() { return "回数が範囲外のため、行を追加できません。"; }
std::string tooManyToInsert() { return "回数が３２７６７を超えるため、行を追加できません。"; }
std::string prizeTableNotOursToSave() {
  return "データベースファイルの「当選金」が、このプログラムの作る表ではないため、当選金を保存できません。";
}
std::string fieldValueWhy(std::string_view name, std::string_view value, std::string_view why) {
  return cat(name, "「", value, "」: ", why);
}
std::string entryDateFormat(std::string_view excerpt) {
  return cat("抽選日「", excerpt, "」は YYYY-MM-DD の日付で指定してください。");
}
std::string tooManyToAppend() { return "回数が３２７６７を超えるため、追加できません。"; }
std::string calendarDateRefused(std::string_view why) {
  return cat("抽選日の指定がないため暦の上の次の抽選日としましたが、", why, "抽選日を指定してください。");
}

// ---- sqlite/database_update and database_restore

std::string databaseMissing(std::string_view path) { return cat("当選データファイル：'", path, "'が存在しません"); }
std::string downloadEmpty() { return "取得先から届いたデータが空です。"; }
std::string downloadNotWritten() { return "ダウンロードしたデータを一時ファイルに書けません。"; }
std::string downloadNotHistory() {
  return "取得先のデータは、当選データの一覧（JSON・CSV）でも、このプログラムのデータベースでもありません。";
}
std::string downloadDatabaseUnusable(std::string_view why) { return cat("取得先のデータベースを使えません：", why); }
std::string sourceLabel(std::string_view name) { return name.empty() ? std::string() : cat("「", name, "」："); }
std::string sourceNamed(std::string_view name) { return name.empty() ? "取得先" : cat("取得先「", name, "」"); }
std::string prizeDiffersFromStored(int no, std::string_view source) {
  return cat("第", no, "回の当選金が、手元のデータと", source, "とで違います（手元のままにしました）。");
}
std::string prizeSourcesDiffer(int no, std::string_view a, std::string_view b) {
  return cat("第", no, "回の当選金が、", a, "と", b, "で違うため、取り込みませんでした。");
}
std::string moreNotes(int more) { return cat("\nほか", more, "件"); }
std::string noSourceUsable() { return "どの取得先からも当選データを取り込めませんでした。"; }
std::string storedUnreadable(std::string_view what) { return cat("手元の当選データファイルを読めません。\n", what); }
std::string sourcesDisagree(int no, std::string_view labelA, std::string_view drawA, std::string_view labelB,
                            std::string_view drawB) {
  return cat("取得先によって第", no, "回の当選数字が違うため、第", no, "回からは取り込んでいません。\n　", labelA,
             drawA, "\n　", labelB, drawB);
}
std::string historyNotRewritten() { return "当選データファイルを書き換えられませんでした。"; }
std::string noBackupDraws() { return "当選データが1件もありません。"; }
std::string backupUnusable(std::string_view path) {
  return cat("バックアップから戻せません。バックアップが使えるものではありません。\n", path);
}
std::string backupUnreadable(std::string_view path) { return cat("バックアップを読めません。\n", path); }
std::string backupNotRestored(std::string_view why) { return cat("バックアップから戻せません。", why); }

// ---- the draw and its values

std::string wrongNumberReason() { return "数字は１～３１の整数で入力してください。"; }
std::string repeatedNumber(bool bonus) {
  return bonus ? "ボーナス数字が本数字と同じです。" : "本数字に同じ数があります。";
}
std::string wrongPrizeReason() {
  return "口数と当せん金は0以上の整数（1,234,567 のような区切りも可）で入力してください。";
}
std::string tierYenWithoutWinners() { return "当せん口数が0の等級の当せん金は0円です。"; }
std::string tierWinnersWithoutYen() { return "当せん口数のある等級の当せん金が0円になっています。"; }
namespace {
std::string drawDateLead(int no, std::string_view date) { return cat("第", no, "回の抽選日 ", date, " は"); }
}  // namespace
std::string drawDateNotCalendar(int no, std::string_view date) {
  return drawDateLead(no, date) + "暦にある日付ではありません。";
}
std::string drawDateWeekday(int no, std::string_view date, std::string_view weekday, std::string_view drawWeekday) {
  return cat(drawDateLead(no, date), weekday, "です。ミニロトの抽せんは", drawWeekday, "です。");
}
std::string drawDateYearEnd(int no, std::string_view date) {
  return drawDateLead(no, date) + "年末年始（12月31日〜1月3日）の火曜日です。この間、ミニロトの抽せんは休みです。";
}
std::string drawDateFuture(int no, std::string_view date, std::string_view today) {
  return cat(drawDateLead(no, date), "、今日（日本の日付で ", today, "）より後です。まだ行われていない抽せんです。");
}
std::string wholeDrawBlank(std::string_view field) { return cat("「", field, "」", "が空欄です。"); }
std::string wholeDrawOutOfRange(std::string_view field, int value) {
  return cat("「", field, "」", "の", value, "は", kMinNumber, "〜", kMaxNumber, "の数ではありません。");
}
std::string prizeFieldWrong(std::string_view field, std::string_view text) {
  return cat("「", field, "」", "の「", text, "」: ", wrongPrizeReason());
}
std::string prizeFieldBlank(std::string_view field) {
  return cat("「", field, "」", "が空欄です（1〜4等の口数と当せん金の8つは、すべて入れるか、すべて空欄にします）。");
}
std::string prizeFieldTier(std::string_view field, std::string_view why) { return cat("「", field, "」", ": ", why); }

// ---- files/replace_file

std::string replaceError(std::string_view what, std::string_view cause, std::string_view path) {
  return cause.empty() ? cat(what, ": ", path) : cat(what, "（", cause, "）: ", path);
}
std::string replaceFailure(std::string_view what, std::string_view path) { return cat(what, "。\n", path); }
std::string replaceLinkForeign() { return "ほかのユーザーが作ったシンボリックリンクのため、書き込みません"; }
std::string replaceLinkUnreadable() { return "リンク先を読めません"; }
std::string replaceLinkLoop() { return "シンボリックリンクが循環しています"; }
std::string replaceNotRegular() { return "通常のファイルではないため、置き換えられません"; }
std::string replaceReadOnly() { return "読み取り専用のファイルのため、書き込みません"; }
std::string replaceHardLink() {
  return "ほかの名前（ハードリンク）からも使われているファイルのため、置き換えられません";
}
std::string replaceNoTemporary() { return "一時ファイルを作成できません"; }
std::string replaceWriteFailed() { return "ファイルへ書き込めません"; }
std::string replaceModeFailed() { return "ファイルの属性を設定できません"; }
std::string replaceSyncFailed() { return "ファイルをディスクへ書き出せません"; }
std::string replaceBackupIsFile() { return "控えのファイルが元のファイルそのものを指しているため、控えを作れません"; }
std::string replaceOriginalUnreadable() { return "元のファイルを読めません"; }
std::string replaceBackupFailed() { return "控えを作成できません"; }
std::string replaceRenameFailed() { return "ファイルを置き換えられません"; }

// ---- files/program_folder

std::string shippedTooLarge() { return "64 MiB を超えています"; }
std::string shippedNotRegular() { return "通常のファイルではありません"; }
std::string helpUnreadable(std::string_view path) { return cat("ヘルプファイルを読めません。\n", path); }
std::string helpNotCopied(std::string_view why) {
  return cat("ヘルプファイルをデータフォルダへコピーできません。", why);
}
std::string userFolderUnset() {
  return "ユーザーのデータフォルダが決まりません（XDG_DATA_HOME も HOME も設定されていません）。";
}
std::string userFolderHomeRelative(std::string_view excerpt) {
  return cat("ユーザーのデータフォルダが決まりません（HOME が絶対パスではありません：", excerpt, "）。");
}
std::string userFolderUnknown() { return "ユーザーのデータフォルダが決まりません。"; }
std::string fileKind(FileKind kind) {
  static const char* const kNames[] = {"循環しているシンボリックリンク",
                                       "行き先のないシンボリックリンク",
                                       "フォルダ",
                                       "名前付きパイプ（FIFO）",
                                       "デバイス",
                                       "ソケット",
                                       "特殊なファイル"};
  return kNames[static_cast<int>(kind)];
}
std::string databaseNotRegular(std::string_view name, std::string_view what, std::string_view folder,
                               std::string_view path) {
  return cat("当選データファイル（", name, "）が通常のファイルではありません（", what, "）。\nプログラムのフォルダ ",
             folder, " の ", name, " を当選データのファイルに置き換えてから、もう一度起動してください。\n", path);
}
std::string databaseReadOnlyHere(std::string_view path) {
  return cat(
      "当選データファイルが読み取り専用のため、当選データの入力と最新化では保存できません。"
      "保存するには、ファイルの書き込みの許可を確かめてください。\n",
      path);
}
std::string databaseMissingBeside(std::string_view name, std::string_view folder) {
  return cat("当選データ（", name, "）が見つかりません。\nプログラムのフォルダ ", folder, " に ", name,
             " を置いてから、もう一度起動してください。");
}
std::string databaseMissingInstalled(std::string_view name, std::string_view dataFolder, std::string_view installed) {
  return cat("当選データ（", name, "）が見つかりません。\nデータフォルダ ", dataFolder, " にも、インストール先 ",
             installed, " にもありません。", name, " をデータフォルダに置くか、パッケージを入れ直してください。");
}
std::string dataFolderNotCreated(bool fileInTheWay, std::string_view folder) {
  return cat("データフォルダを作成できません", fileInTheWay ? "（同じ名前のファイルがあります）。" : "。", "\n",
             folder);
}
std::string shippedUnreadable(std::string_view path) { return cat("当選データを読めません。\n", path); }
std::string shippedNotCopied(std::string_view why) {
  return cat("当選データをデータフォルダへコピーできません。", why);
}
std::string dataFolderNotWritable(std::string_view folder) {
  return cat("データフォルダに書き込めません。当選データの更新と入力、設定の保存はできません。\n", folder);
}
std::string copiedToDataFolder(std::string_view programFolder, std::string_view dataFolder) {
  return cat("プログラムのフォルダ ", programFolder, " に書き込めないため、当選データをデータフォルダ ", dataFolder,
             " にコピーして使います。当選データの入力と最新化、設定はデータフォルダに保存されます。");
}

}  // namespace km::says
