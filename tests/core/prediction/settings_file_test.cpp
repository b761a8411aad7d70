// The prediction settings file: twelve key=True|False lines, CR LF.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "prediction/core/prediction_state.h"

namespace km {
namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "km-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    path_ = (dir_ / kSettingsFileName).string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void put(const std::string& bytes) {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  std::string contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  int filesInDir() const {
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++n;
    return n;
  }

  fs::path dir_;
  std::string path_;
};

TEST_F(SettingsFile, WritesTwelveLinesInIndexOrderWithCrLf) {
  PredictionState s;
  s.reflect[1] = true;
  s.reflect[8] = true;
  s.reflect[11] = true;
  ASSERT_TRUE(s.writeSettingsFile(path_));
  EXPECT_EQ(contents(),
            "頻度分析Opt=False\r\n"
            "間隔分析Opt=True\r\n"
            "出現回数分析Opt=False\r\n"
            "バラツキ分析Opt=False\r\n"
            "引っ張り分析Opt=False\r\n"
            "連番飛び石分析Opt=False\r\n"
            "数字合計分析Opt=False\r\n"
            "組合せパターン分析Opt=False\r\n"
            "5分割傾向分析Opt=True\r\n"
            "分割データ分析Opt=False\r\n"
            "下一桁出現傾向分析Opt=False\r\n"
            "下一桁連続出現回数分析Opt=True\r\n");
  EXPECT_EQ(filesInDir(), 1) << "no temporary file is left behind";

  // Round trip into a fresh state, and writing again replaces the whole file.
  PredictionState back;
  back.readSettingsFile(path_);
  EXPECT_EQ(back.reflect, s.reflect);
  EXPECT_EQ(back.reflectCount(), 3);
  back.reflect.fill(false);
  ASSERT_TRUE(back.writeSettingsFile(path_));
  EXPECT_EQ(contents().find("True"), std::string::npos);
  size_t lines = 0;
  for (size_t at = contents().find("=False\r\n"); at != std::string::npos; at = contents().find("=False\r\n", at + 1))
    ++lines;
  EXPECT_EQ(lines, 12u);
}

TEST_F(SettingsFile, ReadingTakesOnlyKnownKeysWithTrueOrFalse) {
  PredictionState s;
  s.reflect[2] = true;  // absent from the file: stays on
  s.reflect[3] = true;  // line without "=": stays on
  s.reflect[4] = true;  // value in lower case: stays on
  s.reflect[6] = true;  // switched off by the file
  put("頻度分析Opt=True\r\n"
      "[設定]\r\n"
      "その他Opt=False\r\n"
      "バラツキ分析Opt\r\n"
      "引っ張り分析Opt=false\r\n"
      "連番飛び石分析Opt=\r\n"
      " 間隔分析Opt=True\r\n"
      "数字合計分析Opt=False\r\n"
      "5分割傾向分析Opt=True\r\n"
      "4分割傾向分析Opt=True\r\n"
      "下一桁出現傾向分析Opt=True=x\n"  // LF only; the second part counts
      "分割データ分析Opt=True");        // last line without an end
  s.readSettingsFile(path_);
  const std::array<bool, 12> want = {true, false, true, true, true, false, false, false, true, true, true, false};
  EXPECT_EQ(s.reflect, want);

  put("頻度分析Opt=False\r\n");
  s.readSettingsFile(path_);
  EXPECT_FALSE(s.reflect[0]);
}

TEST_F(SettingsFile, MissingFileKeepsEverySetting) {
  PredictionState s;
  s.reflect[5] = true;
  s.readSettingsFile((dir_ / "none.ini").string());
  EXPECT_TRUE(s.reflect[5]);
  EXPECT_EQ(s.reflectCount(), 1);
  PredictionState fresh;
  fresh.readSettingsFile((dir_ / "none.ini").string());
  EXPECT_EQ(fresh.reflectCount(), 0);
}

TEST_F(SettingsFile, ReadsShiftJisAndUtf8WithBom) {
  // "間隔分析Opt=True" and "5分割傾向分析Opt=True" in Shift_JIS.
  put("\x8a\xd4\x8a\x75\x95\xaa\x90\xcd"
      "Opt=True\r\n"
      "5\x95\xaa\x8a\x84\x8c\x58\x8c\xfc\x95\xaa\x90\xcd"
      "Opt=True\r\n");
  PredictionState s;
  s.readSettingsFile(path_);
  EXPECT_TRUE(s.reflect[1]);
  EXPECT_TRUE(s.reflect[8]);
  EXPECT_EQ(s.reflectCount(), 2);

  put("\xEF\xBB\xBF"
      "頻度分析Opt=True\r\n");
  s.readSettingsFile(path_);
  EXPECT_TRUE(s.reflect[0]);
  // code page 932, not plain Shift_JIS: ① is read, and 0x8160 is ～ (U+FF5E), not 〜
  EXPECT_EQ(settingsTextToUtf8("\x83\x4a\x83\x59\x87\x40\x81\x60"), "カズ①～");
}

TEST_F(SettingsFile, WriteFailureReportsFalseAndLeavesOldFile) {
  PredictionState s;
  EXPECT_FALSE(s.writeSettingsFile((dir_ / "no-such-dir" / kSettingsFileName).string()));
  // A directory in the way of the rename: the old entry stays, no temporary is left.
  fs::create_directory(dir_ / "blocked");
  fs::create_directory(dir_ / "blocked" / "x");
  EXPECT_FALSE(s.writeSettingsFile((dir_ / "blocked").string()));
  EXPECT_TRUE(fs::is_directory(dir_ / "blocked"));
  EXPECT_EQ(filesInDir(), 1);
}

}  // namespace
}  // namespace km
