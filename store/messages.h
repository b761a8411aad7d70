#pragma once
// Every sentence the store gives a user (failures, refusals, notes), in one
// place: each a function of what varies in it (a draw's number, a path, a
// column's name, a count).  The names the files hold (tables, columns, the
// header words a reader looks for) are no sentences: they stay with the code
// that reads them (store/schema_names.h, the readers).
#include <cstddef>
#include <string>
#include <string_view>

namespace km::says {

// ---- any file's line

// "12行目：", before every sentence about a line of a file.
std::string atLine(long line);
// "「text」": a value of a file quoted in a sentence.
std::string quoted(std::string_view text);
// "が整数ではありません", with how to write the digits when they were full-width.
std::string notWholeNumber(bool fullWidth);

// ---- formats/csv: the history's own CSV and the results files

std::string csvTooManyColumns(std::size_t most);
std::string csvEndUnreadable();
std::string csvQuoteNotClosed();
std::string csvLineTooLong(std::size_t kib);
std::string csvNulCharacter();
std::string csvLoneCr();
// The prize column `column` (1-based) named `name` of the history's CSV.
std::string csvPrizeBlank(std::size_t column, std::string_view name);
std::string csvPrizeNotWhole(std::size_t column, std::string_view name, std::string_view excerpt);
std::string fileUnreadable();
std::string fileEmpty();
std::string csvHeaderWrong(std::string_view header, std::string_view prizeHeader, std::string_view excerpt);
std::string csvBlankLine();
std::string csvColumnCount(std::size_t expected, std::size_t found);
std::string csvDrawNoOutOfRange(std::string_view text);
std::string csvDrawNoNotWhole(std::string_view excerpt, bool fullWidth);
std::string csvDrawNoTwice(int no);
std::string csvDrawNoDescending(int no);
std::string csvDateWrong(std::string_view excerpt);
// Field 0..5 (n1 .. bonus) of the history's CSV.
std::string csvNumberOutOfRange(int field, std::string_view excerpt);
std::string csvNumberNotWhole(int field, std::string_view excerpt, bool fullWidth);
std::string fileMissing();
std::string fileNoReadPermission();
std::string csvIsFolder();
std::string csvNotRegular();
std::string csvTooLarge();
// Every sentence about a results file's header columns begins with it.
std::string headerColumnsLead();
std::string headerColumnTwice(std::string_view name);
std::string headerNoDate();
std::string headerNoBonus();
std::string headerNoMain(int k);
std::string resultsNoHeader();
std::string resultsTooMany(int most);
std::string resultsDrawNoWrong(std::string_view excerpt);
std::string resultsDateWrong(int no, std::string_view excerpt);
std::string resultsNumberNotNumber(int no, std::string_view name, std::string_view excerpt);
std::string resultsNumberOutOfRange(int no, std::string_view name, std::string_view excerpt);
// "第N回の" + why.
std::string ofDraw(int no, std::string_view why);

// ---- formats/feed: the results lists of the sources

// "N行目": where in a JSON text.
std::string jsonLine(long line);
// why + "（where）"
std::string jsonAt(std::string_view why, std::string_view where);
std::string jsonNoString();
std::string jsonControlCharacter();
std::string jsonBadUnicodeEscape();
std::string jsonBadSurrogatePair();
std::string jsonBadEscape();
std::string jsonStringNotClosed();
std::string jsonMalformed();
std::string jsonTooDeep();
std::string jsonNoCommaOrCloser();
std::string jsonNoColon();
std::string jsonNoCommaOrBracket();
std::string jsonNoCommaOrBrace();
std::string jsonNoMemberName();
std::string jsonTrailingText();
std::string feedTooMany(int most);
std::string feedNotJson(std::string_view error);
// "取得先の一覧のN件目"
std::string feedEntry(std::size_t n);
std::string feedEntryNotObject(std::string_view entry, std::string_view where);
std::string feedFieldTwice(std::string_view entry, std::string_view quotedName, std::string_view where);
std::string feedFieldsBoth(std::string_view entry, std::string_view a, std::string_view b, std::string_view where);
std::string feedFieldNotText(std::string_view entry, std::string_view name, std::string_view where);
std::string feedNoDrawNo(std::string_view entry);
std::string feedDrawNoWrong(std::string_view entry, std::string_view quotedValue);
// "取得先の第N回"
std::string feedDraw(int no);
std::string feedNumberNotNumber(std::string_view draw, std::string_view name, std::string_view quotedValue);
std::string feedNumberOutOfRange(std::string_view draw, std::string_view name, long value);
std::string feedBonusesDiffer(std::string_view draw, std::string_view a, std::string_view b);
std::string feedDateWrong(std::string_view draw, std::string_view quotedValue);
std::string feedNumbersNotArray(std::string_view entry, std::string_view where);
std::string feedPrizeMissing(std::string_view draw, std::string_view name);
std::string feedPrizeNotWhole(std::string_view draw, std::string_view name, std::string_view quotedValue);
std::string feedMemberTwice(std::string_view quotedName, std::string_view where);
std::string feedDrawsNotArray();
std::string feedNoDraws();
std::string feedNotJsonList();
// "1 2 3 4 5 ＋6": a draw's numbers, an empty text shown as 空欄.
std::string drawNumbers(const std::string (&shown)[6]);
// "（date）" after a draw's numbers.
std::string inParentheses(std::string_view text);
std::string feedDrawOf(std::string_view draw, std::string_view why);
std::string feedDrawNoDate(std::string_view draw);
std::string feedDateNotAfter(std::string_view draw, std::string_view date, std::string_view before);
std::string feedNewDrawDate(std::string_view why);
std::string feedDatesShifted(bool later, int no, std::string_view stored, std::string_view feed);
std::string feedCsvUnreadable(std::string_view why);
std::string feedNotList();
std::string feedEmpty();
std::string feedDrawTwice(int no);
std::string feedDifference(int no, std::string_view stored, std::string_view feed);
std::string feedMoreDifferences(int more);
std::string feedDiffers(int count);
std::string feedFixStoredFirst();
std::string feedSharesNone(int first, int last, int storedLast);
std::string feedGapAfterStored(int expected, int storedLast, int next);
std::string feedGap(int expected, int previous, int next);
std::string statusNoDraws();
std::string statusUpdatePlease();
std::string statusLatest(int no);
std::string statusMissing(int due);
// "latest　missing": the two parts of the status line.
std::string statusJoined(std::string_view latest, std::string_view missing);

// ---- formats/tickets_file: the bought tickets

std::string ticketCount(std::size_t count);
std::string ticketNumberEmpty(std::size_t field);
std::string ticketNumberWrong(std::string_view quotedText);
std::string ticketNumberTwice(int number);
std::string ticketFieldCount(std::size_t count);
std::string ticketFromWrong(std::string_view quotedText, int most);
std::string ticketDrawsWrong(std::string_view quotedText, int most);
std::string ticketRunTooLong(int from, int draws, long long last, int most);
std::string ticketNoNumbers();
std::string ticketLinesTooMany(int line);
std::string ticketNoteTooLong(std::size_t most);
std::string ticketNoteControl();
std::string ticketNoteNotUtf8();
std::string ticketHeaderWrong(std::string_view header);
std::string ticketsTooMany(int most);
std::string ticketQuoteNotClosed();
std::string ticketsFileTooLarge(long long mib);
std::string ticketsFileForeignLink();
std::string ticketsFileNotRegular();
std::string ticketsFileUnreadable();
std::string ticketsFileDamaged(std::string_view why);
std::string ticketsFileNotSetAside();
// what + "\n" + path
std::string aboutFile(std::string_view what, std::string_view path);

// ---- sqlite: the database file

// SQLite's own words and its result code, as the cause of a failure.
std::string sqliteCause(std::string_view text, int code);
std::string firstPageDamaged();
std::string anotherPageSizeCause();
std::string notOurDatabase();
std::string keyOrDamage();
std::string historyEmptyFile();
std::string readOnlyFile();
std::string storedDrawNoNotInteger();
std::string storedDrawNoOutOfRange(long long no);
std::string historyReadStopped();
std::string foreignWal(std::string_view name, std::string_view wal);
std::string foreignJournal(std::string_view name, std::string_view journal);
std::string rollBackFailed(std::string_view journal);
std::string rollBackLeft(std::string_view journal);
std::string historyMissing();
std::string historyNotRegular();
std::string historyNoReadPermission();
std::string folderNotWritable();
std::string foreignLinkNotWritable();
std::string historyCannotOpen();
std::string noCipherToOpen();
std::string cannotWriteDatabase();
// "当選データファイルの読み込みが10秒以内に終わりません。…": a read that its
// time bound stopped.
std::string readTooLong(long long ms);
// The sentence of a wrong number (or, with `date`, a wrong date) in a stored
// draw: "結果マスタの数字に誤りがあります。 第12回 3列目「40」".
std::string wrongCell(bool date, int no, int column, std::string_view excerpt);
std::string wrongStoredDate(int no, std::string_view excerpt);
std::string storedDrawNoWrong(std::string_view excerpt);
std::string historyDamagedUnreadable();
std::string prizeTableNotOurs();
std::string prizeTableUnreadable();
std::string prizeRowDrawNoWrong(std::size_t row, std::string_view wrong);
std::string prizeDrawTwice(int no);
std::string prizeValueWrong(int no, std::string_view column, long long most);
std::string historyDamagedNoRead();
std::string noHistoryList();
// "「name」がありません", "「name」: cause": the causes that name a table.
std::string tableMissingCause(std::string_view name);
std::string tableCause(std::string_view name, std::string_view cause);
std::string historyListUnreadable();
std::string historyRowDrawNoWrong(std::size_t row, std::string_view wrong);
std::string historyDrawNoRepeated(std::size_t row, long long no);
std::string historyDrawNoDescending(std::size_t row, long long no);
std::string historyDrawsUnreadable();
std::string historyDatesUnreadable();
std::string drawTableNotPlainForDates(std::string_view table);
std::string dateTableTooLong(int most);
std::string databaseUnreadableContents();
std::string noDrawTable();
std::string drawTableNotPlain();
std::string drawTableUnreadable();
std::string drawTableRowDrawNoWrong(std::size_t row, std::string_view wrong);
std::string drawTableDrawTwice(long long no);
std::string databaseDamagedDraws();
std::string replacedByAnotherUpdate(std::string_view path);
std::string cannotCreateDatabase();
std::string noCipherLibrary();
std::string cannotSetCipher();
std::string cannotCreateTables();
std::string cannotWriteDraw(int no);
std::string cannotWritePrize(int no);
std::string cannotCloseDatabase();
std::string cannotReplaceDatabase();
std::string wrongNumbers();
std::string wrongDates();
std::string wrongPrize();
std::string editingElsewhere();
std::string changedElsewhere();

// ---- sqlite/entry_store: the entry window's edits

std::string entryDateWrong(std::string_view excerpt);
std::string entryDateNotAfter(std::string_view date, std::string_view previous);
std::string entryDateNotBefore(std::string_view date, std::string_view next);
std::string entryDateFuture(std::string_view date, std::string_view today);
std::string databaseUnreadable();
std::string noDrawTableOrView();
std::string movedWhileOpen();
std::string diskFull();
std::string readOnlyConnection();
std::string historyViewUnreadable();
std::string databaseReadStopped();
std::string cannotReadDatabase();
std::string columnOutOfRange();
std::string noSuchDraw(int no);
std::string insertOutOfRange();
std::string tooManyToInsert();
std::string prizeTableNotOursToSave();
// "name「value」: why"
std::string fieldValueWhy(std::string_view name, std::string_view value, std::string_view why);
std::string entryDateFormat(std::string_view excerpt);
std::string tooManyToAppend();
std::string calendarDateRefused(std::string_view why);

// ---- sqlite/database_update and database_restore

std::string databaseMissing(std::string_view path);
std::string downloadEmpty();
std::string downloadNotWritten();
std::string downloadNotHistory();
std::string downloadDatabaseUnusable(std::string_view why);
// "「NAME」：" before a source's own words (empty for no name).
std::string sourceLabel(std::string_view name);
// "取得先「NAME」" in a sentence ("取得先" for no name).
std::string sourceNamed(std::string_view name);
std::string prizeDiffersFromStored(int no, std::string_view source);
std::string prizeSourcesDiffer(int no, std::string_view a, std::string_view b);
std::string moreNotes(int more);
std::string noSourceUsable();
// "手元の当選データファイルを読めません。\n" + what
std::string storedUnreadable(std::string_view what);
std::string sourcesDisagree(int no, std::string_view labelA, std::string_view drawA, std::string_view labelB,
                            std::string_view drawB);
std::string historyNotRewritten();

std::string noBackupDraws();
std::string backupUnusable(std::string_view path);
std::string backupUnreadable(std::string_view path);
std::string backupNotRestored(std::string_view why);

// ---- the draw and its values (domain_values, history)

// Why a Wrong number text is refused.
std::string wrongNumberReason();
// Why a repeat is refused: a main number twice, or the bonus among them.
std::string repeatedNumber(bool bonus);
// Why a Wrong prize figure is refused.
std::string wrongPrizeReason();
std::string tierYenWithoutWinners();
std::string tierWinnersWithoutYen();
// Why draw `no` cannot be dated `date`: "第1401回の抽選日 2026-08-24 は…".
std::string drawDateNotCalendar(int no, std::string_view date);
std::string drawDateWeekday(int no, std::string_view date, std::string_view weekday, std::string_view drawWeekday);
std::string drawDateYearEnd(int no, std::string_view date);
std::string drawDateFuture(int no, std::string_view date, std::string_view today);
// A field of a whole draw, named 「第3数字」.
std::string wholeDrawBlank(std::string_view field);
std::string wholeDrawOutOfRange(std::string_view field, int value);
// A prize field named 「1等口数」.
std::string prizeFieldWrong(std::string_view field, std::string_view text);
std::string prizeFieldBlank(std::string_view field);
std::string prizeFieldTier(std::string_view field, std::string_view why);

// ---- files/replace_file: a file written whole, or not at all

// What failed (no full stop), with the path: for the log, and for the user.
std::string replaceError(std::string_view what, std::string_view cause, std::string_view path);
std::string replaceFailure(std::string_view what, std::string_view path);
std::string replaceLinkForeign();
std::string replaceLinkUnreadable();
std::string replaceLinkLoop();
std::string replaceNotRegular();
std::string replaceReadOnly();
std::string replaceHardLink();
std::string replaceNoTemporary();
std::string replaceWriteFailed();
std::string replaceModeFailed();
std::string replaceSyncFailed();
std::string replaceBackupIsFile();
std::string replaceOriginalUnreadable();
std::string replaceBackupFailed();
std::string replaceRenameFailed();

// ---- files/program_folder: where the program keeps its files

std::string shippedTooLarge();
std::string shippedNotRegular();
std::string helpUnreadable(std::string_view path);
std::string helpNotCopied(std::string_view why);
std::string userFolderUnset();
std::string userFolderHomeRelative(std::string_view excerpt);
std::string userFolderUnknown();
// What is in a file's place when it is no regular file.
enum class FileKind { LinkLoop, LinkNowhere, Folder, Fifo, Device, Socket, Special };
std::string fileKind(FileKind kind);
std::string databaseNotRegular(std::string_view name, std::string_view what, std::string_view folder,
                               std::string_view path);
std::string databaseReadOnlyHere(std::string_view path);
std::string databaseMissingBeside(std::string_view name, std::string_view folder);
std::string databaseMissingInstalled(std::string_view name, std::string_view dataFolder, std::string_view installed);
std::string dataFolderNotCreated(bool fileInTheWay, std::string_view folder);
std::string shippedUnreadable(std::string_view path);
std::string shippedNotCopied(std::string_view why);
std::string dataFolderNotWritable(std::string_view folder);
std::string copiedToDataFolder(std::string_view programFolder, std::string_view dataFolder);

}  // namespace km::says
