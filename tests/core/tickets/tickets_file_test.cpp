// tickets.csv and pasted lines: what is read, what is refused with its line,
// and a damaged file that is kept as it is.
#include "store/formats/tickets_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/core/test_files.h"

namespace fs = std::filesystem;

namespace km {
namespace {

const std::string kHead = std::string(kTicketsHeader) + "\n";

struct BadFile {
  std::string text;
  std::string error;  // the start of the message
};

TEST(TicketsFile, BadLinesAreNamedWithTheirLine) {
  const BadFile cases[] = {
      {kHead + "1,1,1,2,3,4,5,\n5,2,1,2,3,4,\n", "3行目：項目が8個ではありません（7個）"},
      {kHead + "1,1,1,2,3,4,32,\n", "2行目：「32」は1〜31の数字ではありません"},
      {kHead + "1,1,7,2,3,7,5,\n", "2行目：数字7が2回あります"},
      {kHead + "0,1,1,2,3,4,5,\n", "2行目：開始回「0」は1〜32767の回数ではありません"},
      {kHead + "1,53,1,2,3,4,5,\n", "2行目：購入回数「53」は1〜52ではありません"},
      {kHead + "32717,52,1,2,3,4,5,\n", "2行目：第32717回から52回分は第32768回まで"},
      {kHead + "1,1,1,2,3,4,,\n", "2行目：第5数字が空です"},
      {kHead + "1,1,1,2,3,4,5,\"open\n", "2行目：引用符が閉じていません"},
      {kHead + "1,1,1,2,3,4,5,a\x01"
               "b\n",
       "2行目：メモに制御文字があります"},
      {kHead + "1,1,1,2,3,4,5,\xff\n", "2行目：メモがUTF-8の文字ではありません"},
      {"draw,n1\n1,2\n", "1行目：見出し"},
      {"", "1行目：見出し"},
  };
  for (const BadFile& c : cases) {
    const Result<TicketList> p = parseTicketsCsv(c.text);
    EXPECT_EQ(p.message().rfind(c.error, 0), 0u) << c.text << " -> " << p.message();
    EXPECT_TRUE(!p || p->tickets.empty()) << "a damaged file gives no tickets";
  }
  EXPECT_TRUE(parseTicketsCsv(kHead + "32716,52,1,2,3,4,5,\n").ok()) << "a run that ends on the highest draw";
}

TEST(TicketsFile, SoundFileRoundTripsWithPositionsQuotesAndFullWidthDigits) {
  const std::string text = "\xEF\xBB\xBF" + kHead + "1353,3,31,７,12, 3,20,\"note, with \"\"quotes\"\"\"\r\n\n" +
                           "1,52,1,2,3,4,5,\n" +
                           "2,1,1,2,3,4,5,\"\"\"メモ\"\n";  // a note that starts with a quote is written quoted
  const Result<TicketList> p = parseTicketsCsv(text);
  ASSERT_TRUE(p.ok()) << p.message();
  ASSERT_EQ(p->tickets.size(), 3u);
  EXPECT_EQ(p->tickets[0], (Ticket{1353, 3, {3, 7, 12, 20, 31}, "note, with \"quotes\""}));
  EXPECT_EQ(p->tickets[2].note, "\"メモ");
  EXPECT_EQ(p->position, (std::vector<int>{1, 3, 4})) << "a blank line keeps its place";
  const Result<TicketList> again = parseTicketsCsv(ticketsToCsv(p->tickets));
  ASSERT_TRUE(again.ok()) << again.message();
  EXPECT_EQ(again->tickets, p->tickets);
}

struct PasteCase {
  const char* text;
  size_t lines;
  std::vector<std::string> errors;
};

TEST(TicketsFile, PastedLinesTakeSpacesCommasTabsAndFullWidth) {
  const PasteCase cases[] = {
      {"3 7 12 20 31\n", 1, {}},
      {"３　７，12、20\t31\r\n\n1,2,3,4,5", 2, {}},
      {"1 2 3 4\n1 2 3 4 5 6\n1 2 3 4 5\n",
       1,
       {"1行目：数字が5個ではありません（4個）", "2行目：数字が5個ではありません（6個）"}},
      {"1 2 3 4 0\n5 5 1 2 3\n", 0, {"1行目：「0」は1〜31の数字ではありません", "2行目：数字5が2回あります"}},
      {"memo\n", 0, {"1行目：数字が5個ではありません（1個）"}},
  };
  for (const PasteCase& c : cases) {
    const PastedLines p = parsePastedLines(c.text);
    EXPECT_EQ(p.lines.size(), c.lines) << c.text;
    EXPECT_EQ(p.errors, c.errors) << c.text;
  }
  EXPECT_EQ(parsePastedLines("３　７，12、20\t31").lines.at(0), (TicketNumbers{3, 7, 12, 20, 31}));
}

struct TicketsFolder : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("km-tickets-" + std::to_string(::getpid()));
  std::string path = (dir / kTicketsFileName).string();
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
  void put(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
};

TEST_F(TicketsFolder, DamagedFileIsNamedKeptAndSetAsideOnlyOnRequest) {
  const std::string damaged = kHead + "1,1,1,2,3,4,32,\n";
  put(damaged);
  const Result<TicketList> r = readTicketsFile(path);
  EXPECT_EQ(r.kind(), Fault::Damaged);
  EXPECT_NE(r.message().find("2行目"), std::string::npos) << r.message();
  EXPECT_NE(r.message().find(path), std::string::npos) << r.message();
  EXPECT_EQ(test::slurp(path), damaged);

  EXPECT_EQ(*setDamagedTicketsAside(path), path + ".damaged");
  EXPECT_FALSE(fs::exists(path));
  put(damaged + "again");
  EXPECT_EQ(*setDamagedTicketsAside(path), path + ".damaged2") << "an older damaged file is kept too";
  EXPECT_EQ(test::slurp(path + ".damaged"), damaged);
  EXPECT_EQ(readTicketsFile(path).kind(), Fault::Missing);

  put(std::string(kTicketsFileCap + 1, 'x'));
  EXPECT_EQ(readTicketsFile(path).kind(), Fault::Damaged) << "a file over the cap is not read";
}

TEST_F(TicketsFolder, WritesKeepTheOldFileAsBak) {
  const std::vector<Ticket> first = {{10, 1, {1, 2, 3, 4, 5}, ""}};
  ASSERT_TRUE(writeTicketsFile(path, first));
  ASSERT_TRUE(writeTicketsFile(path, {{11, 2, {6, 7, 8, 9, 10}, "b"}}));
  EXPECT_EQ(parseTicketsCsv(test::slurp(path + ".bak"))->tickets, first);
  const Result<TicketList> r = readTicketsFile(path);
  ASSERT_EQ(r.kind(), Fault::None) << r.message();
  EXPECT_EQ(r->tickets.at(0).note, "b");
}

}  // namespace
}  // namespace km
