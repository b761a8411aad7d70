// kazumaki-tool tickets: the wins of a tickets file with the file's own line
// numbers, one line over every draw, and bad lines refused with nothing written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "store/formats/tickets_file.h"
#include "store/sqlite/database.h"
#include "tests/core/test_history.h"
#include "tests/core/test_process.h"

namespace fs = std::filesystem;

namespace km {
namespace {

struct TicketsTool : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("km-tickets-tool-" + std::to_string(::getpid()));
  std::string db = (dir / "Kazumaki.mdb").string();
  std::string file = (dir / "mine.csv").string();
  void SetUp() override {
    fs::create_directories(dir);
    std::vector<Draw> rows;
    for (int no = 1; no <= 6; ++no) {
      Draw d = test::draw(no, {}, "2024-01-0" + std::to_string(no));
      for (int f = 0; f < 6; ++f)
        d.n[f] = test::number(no % 2 ? 1 + f : 10 + f);  // odd draws 1..5 + 6, even 10..14 + 15
      rows.push_back(d);
    }
    ASSERT_EQ(writeDatabase({db, databasePassword()}, rows).withCause(), "");
  }
  void TearDown() override { fs::remove_all(dir); }
  void put(const std::string& text) const { std::ofstream(file) << text; }
};

TEST_F(TicketsTool, WinsCarryTheFilesLineNumbersAndATotal) {
  put(std::string(kTicketsHeader) + "\n4,5,1,2,3,4,6,\n\n1,2,10,11,12,20,21,x\n");
  const test::ToolRun csv = test::runTool("tickets " + db + " " + file + " --csv");
  ASSERT_EQ(csv.status, 0) << csv.out;
  // line 1: draws 4..8 -> 2等 at 5, 7 and 8 not drawn; line 3: draws 1..2 -> 4等 at 2
  EXPECT_EQ(csv.out,
            "ticket,draw,date,tier,prize\n"
            "3,2,2024-01-02,4,\n"
            "1,5,2024-01-05,2,\n"
            "total,5,1000,0,2\n");
}

TEST_F(TicketsTool, OneLineOverEveryDrawAndBadLinesRefused) {
  const test::ToolRun line = test::runTool("tickets " + db + " --line \"１ 2,3 4 5\" --csv");
  ASSERT_EQ(line.status, 0) << line.out;
  EXPECT_EQ(line.out, "tier,count,yen\n1,3,\n2,0,0\n3,0,0\n4,0,0\n");
  const test::ToolRun text = test::runTool("tickets " + db + " --line \"10 11 12 13 15\"");
  EXPECT_NE(text.out.find("2等 3回"), std::string::npos) << text.out;

  for (const char* bad : {"1,1,1,2,3,4,\n", "1,1,1,2,3,4,32,\n", "1,1,1,1,3,4,5,\n", "0,1,1,2,3,4,5,\n"}) {
    put(std::string(kTicketsHeader) + "\n" + bad);
    const test::ToolRun out = test::runTool("tickets " + db + " " + file, {}, " 2>/dev/null");
    EXPECT_EQ(out.status >> 8, 1) << bad;
    EXPECT_EQ(out.out, "") << bad;
    EXPECT_NE(test::runTool("tickets " + db + " " + file).out.find("2行目："), std::string::npos) << bad;
  }
  EXPECT_EQ(test::runTool("tickets " + db + " --line \"1 2 3 4\"").status >> 8, 1);
  EXPECT_EQ(test::runTool("tickets " + db + " " + file + " --bogus").status >> 8, 2);
}

}  // namespace
}  // namespace km
