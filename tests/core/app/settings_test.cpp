// The settings file カズマキ.ini through its one facade: what the program
// reads from it, and the bytes it writes back.
#include "app/settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/core/test_files.h"

namespace km {
namespace {

namespace fs = std::filesystem;

// The twelve lines of the prediction window as the program writes them, with
// the switches of `on` ("1" at an index: on).
std::string predictionLines(const std::string& on = "000000000000") {
  std::string s;
  for (size_t i = 0; i < kSettingKeys.size(); ++i)
    s += std::string(kSettingKeys[i]) + (on[i] == '1' ? "=True\r\n" : "=False\r\n");
  return s;
}

// A file as the program leaves it at exit: the prediction window's group,
// an earlier check box's line, then the window's place.
const std::string kWritten = predictionLines("010000001001") +
                             "起動時に取得先を確かめる=True\r\n"
                             "メインウィンドウの位置=40,30,600,400\r\n"
                             "メインウィンドウの最大化=False\r\n";

// Read, then written: the bytes that come out.
TEST(SettingsFile, WritesWhatItReadAsTheProgramAlwaysHas) {
  const struct {
    const char* what;
    std::string in;
    std::string out;  // empty: the same bytes as `in`
  } cases[] = {
      {"as the program writes it at exit", kWritten, ""},
      {"no file: every switch off, nothing else", "", predictionLines()},
      {"lines of other parts, kept in their order after the twelve",
       predictionLines() + "ほかの部分の設定=1\r\n" + "起動時に取得先を確かめる=True\r\n" + "メモ=a=b\r\n", ""},
      {"an unknown line among the twelve moves after them",
       "頻度分析Opt=True\r\nほかの部分の設定=1\r\n間隔分析Opt=True\r\n",
       predictionLines("110000000000") + "ほかの部分の設定=1\r\n"},
      {"without the start-up line", predictionLines("000000000001") + "メインウィンドウの位置=1,2,3,4\r\n", ""},
      {"LF lines are written with CR LF",
       "メインウィンドウの位置=1,2,3,4\nメインウィンドウの最大化=True\n頻度分析Opt=True\n",
       predictionLines("100000000000") + "メインウィンドウの位置=1,2,3,4\r\nメインウィンドウの最大化=True\r\n"},
      {"mixed line ends, the last line without one", "a=1\r\nb=2\nc=3", predictionLines() + "a=1\r\nb=2\r\nc=3\r\n"},
      {"lines without \"=\" and empty lines are no settings", "[設定]\r\n\r\nメモ\r\nx=\r\n",
       predictionLines() + "x=\r\n"},
      {"a BOM is dropped",
       "\xEF\xBB\xBF"
       "メモ=1\r\n",
       predictionLines() + "メモ=1\r\n"},
      {"Shift_JIS is written as UTF-8",
       "\x8a\xd4\x8a\x75\x95\xaa\x90\xcd"
       "Opt=True\r\n"
       "\x83\x81\x83\x82=\x87\x40\x81\x60\r\n",  // code page 932: ① is read, and 0x8160 is ～ (U+FF5E), not 〜
       predictionLines("010000000000") + "メモ=①～\r\n"},
      {"a group's key read twice: the last value", "頻度分析Opt=True\r\n頻度分析Opt=False\r\n", predictionLines()},
      {"a group's key with a value it does not know is dropped", "頻度分析Opt=yes\r\n頻度分析Opt=false\r\n",
       predictionLines()},
      {"a group's value ends at a second \"=\"", "下一桁出現傾向分析Opt=True=x\r\n", predictionLines("000000000010")},
      {"a key with a space before it is another part's", " 間隔分析Opt=True\r\n",
       predictionLines() + " 間隔分析Opt=True\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Settings s = Settings::fromBytes(c.in);
    const std::string want = c.out.empty() ? c.in : c.out;
    EXPECT_EQ(s.bytes(), want);
    EXPECT_EQ(Settings::fromBytes(s.bytes()).bytes(), want) << "written again: the same bytes";
  }
}

TEST(SettingsFile, ReadsThePredictionGroupAndTheMainWindowsLines) {
  const Settings s = Settings::fromBytes(kWritten);
  EXPECT_EQ(s.prediction(),
            (ReflectSettings{false, true, false, false, false, false, false, false, true, false, false, true}));
  EXPECT_TRUE(s.checksSourcesAtStart());
  EXPECT_EQ(s.mainWindowPlace(), (WindowPlace{40, 30, 600, 400}));
  EXPECT_FALSE(s.mainWindowMaximised());

  const struct {
    const char* line;
    std::optional<WindowPlace> place;
  } places[] = {
      {"メインウィンドウの位置=-8,-8,1936,1056", WindowPlace{-8, -8, 1936, 1056}},
      {"メインウィンドウの位置= 1 , +2 ,3,4", WindowPlace{1, 2, 3, 4}},
      {"メインウィンドウの位置=1,2,3", std::nullopt},
      {"メインウィンドウの位置=1,2,3,4,5", std::nullopt},
      {"メインウィンドウの位置=1,2,0,4", std::nullopt},
      {"メインウィンドウの位置=1,2,3,-4", std::nullopt},
      {"メインウィンドウの位置=100001,2,3,4", std::nullopt},
      {"メインウィンドウの位置=-100000,2,3,100000", WindowPlace{-100000, 2, 3, 100000}},
      {"メインウィンドウの位置=1,2,3,4x", std::nullopt},
      {"メインウィンドウの位置=1,2,3.5,4", std::nullopt},
      {"メインウィンドウの位置=1,+-2,3,4", std::nullopt},
      {"メインウィンドウの位置=99999999999,2,3,4", std::nullopt},
      {"メインウィンドウの位置=", std::nullopt},
      {"メインウィンドウの位置2=1,2,3,4", std::nullopt},
  };
  for (const auto& p : places)
    EXPECT_EQ(Settings::fromBytes(std::string(p.line) + "\r\n").mainWindowPlace(), p.place) << p.line;

  for (const char* off :
       {"", "起動時に取得先を確かめる=False\r\n", "起動時に取得先を確かめる=true\r\n", "起動時に取得先を確かめる\r\n"})
    EXPECT_FALSE(Settings::fromBytes(off).checksSourcesAtStart()) << off;
  EXPECT_TRUE(Settings::fromBytes("メインウィンドウの最大化=True\r\n").mainWindowMaximised());
}

// The prediction window's group and the main window's lines are set in any
// order: none changes another, and the other parts' lines stay.
TEST(SettingsFile, TheGroupsDoNotClobberEachOther) {
  const std::string others = "ほかの部分の設定=1\r\nメインウィンドウの位置2=keep\r\n頻度分析Opt2=True\r\n";
  const ReflectSettings on = {true, false, true, false, false, false, false, false, false, false, false, true};
  const WindowPlace place{10, 20, 800, 600};
  const std::vector<std::vector<int>> orders = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}, {1, 2, 0}};
  for (const auto& order : orders) {
    Settings s = Settings::fromBytes(kWritten + others);
    for (int step : order) {
      if (step == 0) s.setPrediction(on);
      if (step == 1) s.setMainWindowPlace(place, true);
      if (step == 2) s.setChecksSourcesAtStart(false);
    }
    const Settings back = Settings::fromBytes(s.bytes());
    EXPECT_EQ(back.prediction(), on);
    EXPECT_EQ(back.mainWindowPlace(), place);
    EXPECT_TRUE(back.mainWindowMaximised());
    EXPECT_FALSE(back.checksSourcesAtStart());
    const std::string bytes = s.bytes();
    EXPECT_NE(bytes.find(others), std::string::npos) << bytes;
    EXPECT_EQ(bytes.find("起動時に取得先を確かめる"), std::string::npos) << "off: the line goes";
  }
  // The window's lines move to the end when kept, as they always have; the
  // check box's line too when it is switched on.
  Settings s = Settings::fromBytes(kWritten + others);
  s.setMainWindowPlace({40, 30, 600, 400}, false);
  EXPECT_EQ(s.bytes(), predictionLines("010000001001") + "起動時に取得先を確かめる=True\r\n" + others +
                           "メインウィンドウの位置=40,30,600,400\r\nメインウィンドウの最大化=False\r\n")
      << "the place moves its own lines only";
  s.setChecksSourcesAtStart(true);
  EXPECT_EQ(s.bytes(), predictionLines("010000001001") + others +
                           "メインウィンドウの位置=40,30,600,400\r\nメインウィンドウの最大化=False\r\n"
                           "起動時に取得先を確かめる=True\r\n");
}

class SettingsOnDisk : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "km-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = (dir_ / kSettingsFileName).string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  int filesInDir() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(SettingsOnDisk, TheFileIsWrittenAndReadByteForByte) {
  std::ofstream(path_, std::ios::binary) << kWritten + "メモ=1\n";
  const Settings s = Settings::read(path_);
  ASSERT_TRUE(s.write(path_));
  EXPECT_EQ(test::slurp(path_), kWritten + "メモ=1\r\n");
  EXPECT_EQ(filesInDir(), 1) << "no temporary file is left behind";
  EXPECT_EQ(Settings::read((dir_ / "none.ini").string()).bytes(), predictionLines()) << "no file: nothing on";
}

TEST_F(SettingsOnDisk, WriteFailureReportsFalseAndLeavesOldFile) {
  EXPECT_FALSE(Settings().write((dir_ / "no-such-dir" / kSettingsFileName).string()));
  // A directory in the way of the rename: the old entry stays, no temporary is left.
  fs::create_directory(dir_ / "blocked");
  fs::create_directory(dir_ / "blocked" / "x");
  EXPECT_FALSE(Settings().write((dir_ / "blocked").string()));
  EXPECT_TRUE(fs::is_directory(dir_ / "blocked"));
  EXPECT_EQ(filesInDir(), 1);
}

}  // namespace
}  // namespace km
