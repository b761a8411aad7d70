// kazumaki-tool: import and export of the draw history, and the JSON dump of
// any window's grids as the program fills them, and the update of the history
// from the publisher's address.
#include <unistd.h>

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QEventLoop>
#include <QFileInfo>
#include <QMdiArea>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "analyses/statistics/chart_choice.h"
#include "analyses/tickets/ticket_check.h"
#include "app/fonts.h"
#include "app/settings.h"
#include "charts/chart_render.h"
#include "frame/grid_export.h"
#include "frame/grid_json.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/child_frame.h"
#include "frame/ui/grid_print.h"
#include "frame/ui/window_placement.h"
#include "prediction/core/backtest.h"
#include "prediction/core/prediction_record.h"
#include "store/files/program_folder.h"
#include "store/files/text_excerpt.h"
#include "store/formats/csv.h"
#include "store/formats/feed.h"
#include "store/formats/tickets_file.h"
#include "store/messages.h"
#include "store/sqlite/database.h"
#include "store/sqlite/entry_store.h"
#include "tool/commands.h"
#include "tool/tool_common.h"
#include "update/master_update.h"
#include "windows/ui/window_content.h"
#include "windows/window_table.h"

namespace {

using km::tool::connectTo;
using km::tool::load;
using km::tool::programFolder;
using km::tool::tell;
using km::tool::usage;
using km::tool::written;

}  // namespace

int km::tool::usage() {
  std::cerr
      << "使い方：\n"
         "  kazumaki-tool import-csv CSV DB [--force]\n"
         "      CSV から DB を作る（置き換える）。--force：当選データのない CSV で、当選データのある DB も置き換える\n"
         "  kazumaki-tool export-csv [DB] [--prizes]\n"
         "      DB の当選データを CSV で書き出す。--prizes：1〜4等の当選口数と1口の金額も（不明の回は空欄）\n"
         "  kazumaki-tool grid [DB] ウィンドウ [--ini ファイル] [--csv | --pdf ファイル]\n"
         "      ウィンドウの表を JSON（--csv で CSV）で書き出す。--pdf：表を本体と同じように PDF に印刷する\n"
         "  kazumaki-tool chart [DB] 名前 [--numbers N,N..] [--window 52|104|260] [--size 幅x高さ]\n"
         "                      (--png ファイル | --pdf ファイル) [--time]\n"
         "      グラフ（出現の推移・合計の分布・出現間隔の分布・賞金の推移）をグラフウィンドウと同じように\n"
         "      PNG 画像（既定 1000x640）か PDF に描く。--time：描くのにかかった時間も表示する\n"
         "  kazumaki-tool tickets [DB] ファイル [--csv]\n"
         "      ファイル（tickets.csv の形）の買い目の当せんと合計。--csv：ticket,draw,date,tier,prize の行と、\n"
         "      最後に total,口数,購入金額,当せん金,未抽せんの口数 の行\n"
         "  kazumaki-tool tickets [DB] --line \"N1 N2 N3 N4 N5\" [--csv]\n"
         "      その数字を保存されている全部の回で買っていたら（--csv：tier,count,yen）\n"
         "  kazumaki-tool combos [DB] [--axis \"3 7\"] [--exclude \"1 2\"] [--sum 70-90] [--odd 2,3] [--low 2,3]\n"
         "                       [--consecutive 0,1] [--recent N:1,2] [--last-digits 4,5]\n"
         "                       (--count | --csv | --sample K [--seed S]) [--sort-factor] [--min-factor F]\n"
         "      組合せ作成の条件に合う口。--count：残る組合せ,合った当選の回,判定した回 の1行。--csv：n1,n2,n3,n4,n5 "
         "の\n"
         "      見出しと条件に合うすべての口。--sample：そのうち K 口を無作為に（同じシードで同じ口）。\n"
         "      --sort-factor：賞金倍率（人気度による）の高い順に。--min-factor：賞金倍率が F 倍以上の口だけ。\n"
         "      どちらかを指定すると factor（賞金倍率）の列が付く\n"
         "  kazumaki-tool popularity [DB] --line \"N1 N2 N3 N4 N5\" [--line ...] [--csv]\n"
         "      その数字が次の回に当たったときの1等・3等・4等の賞金の推定（人気度による。\n"
         "      --csv：n1,n2,n3,n4,n5,prize1,prize3,prize4、円）\n"
         "  kazumaki-tool popularity [DB] --numbers [--csv]\n"
         "      数字ごとの人気度：その数字を含む買い目の1等の賞金が平均より何%多いか（--csv：number,effect,low,high）\n"
         "  kazumaki-tool backtest [DB] [--ini ファイル] [--from 回] [--csv] [--draws]\n"
         "      予想の成績を JSON（--csv で CSV）で書き出す。--draws：回・予想ごとに1行の CSV\n"
         "  kazumaki-tool wheel --numbers \"N1 N2 ..\" --match T [--if M] [--csv]\n"
         "      選んだ数字（6〜31個）で「当せん数字のうちM個が選んだ数字に入っていれば、少なくとも1口はT個一致」を\n"
         "      保証する組合せ（2≦T≦M≦5、T≦4、M を省くと T）。--csv：n1,n2,n3,n4,n5 の行だけ\n"
         "  kazumaki-tool update DB [取得先...]\n"
         "      DB の最新の回より後の回を取り込む（取得先：https:// のアドレスかファイル。省くと公開の一覧を\n"
         "      突き合わせて使う）\n"
         "  kazumaki-tool status [DB]             最新の回と、未取り込みの回の見込み数を表示する\n"
         "  kazumaki-tool add DB N1 N2 N3 N4 N5 ボーナス [--date YYYY-MM-DD]\n"
         "      次の回を加え、その回数を表示する（--date を省くと、前の回の次の抽選日）\n"
         "  kazumaki-tool set DB 回 列 文字      回の列（2〜7 は数字、8 は抽せん日 YYYY-MM-DD）に文字を書き込む\n"
         "  kazumaki-tool insert DB 回           "
         "その回の後に、抽せん日を暦の上の次の抽せん日とした空の回を入れ、その回数を表示する\n"
         "  kazumaki-tool delete DB 回           その回を削除する\n"
         "  kazumaki-tool check DB               最初の誤りの行と列を表示する\n"
         "  kazumaki-tool prizes [DB] 回 1等口数 1等当せん金 2等口数 2等当せん金 3等口数 3等当せん金 4等口数 "
         "4等当せん金\n"
         "      回の当選金（各等級の当せん口数と1口の当せん金）を保存する（1,234,567 や全角数字も可。当せんのない\n"
         "      等級は 0 0）。--clear を数字の代わりに指定すると、その回の当選金を消す\n"
         "DB を省くと、本体の Kazumaki.mdb を使います（インストールしたプログラムでは、初めて使うときに作られる\n"
         "データフォルダのコピー）。\n";
  return 2;
}

namespace {

int importCsv(const std::string& csvPath, const std::string& dbPath, bool force) {
  const km::Result<km::DrawList> r = km::readHistoryCsvFile(csvPath);
  if (!r) {
    tell("CSV ファイル " + csvPath + " を取り込めません：" + r.message(), r.cause());
    return 1;
  }
  std::error_code ec;
  if (r->draws.empty() && !force && std::filesystem::exists(dbPath, ec)) {
    // An empty CSV over a history is almost always a mistake: it takes --force.
    const km::LoadResult before = km::loadHistory(connectTo(dbPath));
    if (!before || !before->draws.empty()) {
      tell(csvPath + " には当選データが1件もないため、" + dbPath + " を置き換えません（" +
               (before ? std::to_string(before->draws.size()) + "回分の当選データがあります"
                       : std::string("読めません：") + before.message().substr(0, before.message().find('\n'))) +
               "）。それでも置き換えるには --force を付けてください。",
           before.cause());
      return 1;
    }
  }
  if (const km::Done written = km::writeDatabase(connectTo(dbPath), r->draws, r->prizes); !written) {
    tell(written.withCause());
    return 1;
  }
  return 0;
}

int exportCsv(const std::string& dbPath, bool prizes) {
  std::optional<km::DrawList> r = load(dbPath, true);
  if (!r) return 1;
  std::cout << (prizes ? km::historyToCsvWithPrizes(r->draws, r->prizes) : km::historyToCsv(r->draws));
  return written();
}

// The toolkit on an off-screen display, with the program's fonts; its notes
// about that display are not the tool's output.
class OffscreenApp {
 public:
  OffscreenApp() { km::installFontSubstitutions(); }

 private:
  static bool quietToolkit() {
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& msg) {
      if (type == QtCriticalMsg || type == QtFatalMsg)
        tell("画面の部品（Qt）が異常を知らせました。", msg.toStdString());
    });
    return true;
  }
  bool quiet_ = quietToolkit();  // before the toolkit starts
  int argc_ = 3;
  char arg0_[14] = "kazumaki-tool", arg1_[10] = "-platform", arg2_[10] = "offscreen";
  char* argv_[4] = {arg0_, arg1_, arg2_, nullptr};
  QApplication app_{argc_, argv_};
};

// The window is built and laid out as the program shows it, on an
// off-screen display at 96 DPI, so that the pixel geometry reported is the
// one the program lays out.
int grid(const std::string& dbPath, const std::string& window, const std::string& ini, bool csv,
         const std::string& pdf) {
  const km::WindowRow* w = km::findWindow(window);
  if (!w) {
    std::string names;
    for (const km::WindowRow& row : km::windowTable()) names += (names.empty() ? "" : "、") + row.def.caption;
    tell("「" + km::excerpt(window, 64) + "」というウィンドウはありません。指定できるのは次のウィンドウです：" + names);
    return 1;
  }
  std::optional<km::DrawList> r = load(dbPath, false);
  if (!r) return 1;
  const km::History history = km::History::fromRows(std::move(r->draws), std::move(r->prizes));

  const OffscreenApp app;
  QMdiArea area;
  area.resize(4000, 4000);
  km::PredictionState state;
  state.reflect = km::Settings::read(ini).prediction();
  km::WindowContext context{history, state, connectTo(dbPath)};
  auto* frame = new km::ChildFrame(w->def);
  const std::vector<const km::Grid*> grids = km::buildWindow(area, *frame, *w, context);
  for (const km::AnalysisWindow* a : frame->findChildren<km::AnalysisWindow*>()) {
    if (a->isFilled()) continue;  // a fill that runs in the background: the grid is wanted now
    QEventLoop loop;
    QObject::connect(a, &km::AnalysisWindow::filled, &loop, &QEventLoop::quit);
    loop.exec();
  }
  area.show();
  QCoreApplication::sendPostedEvents();  // the pending layouts, nothing else
  const km::WindowPlacement placement = km::measureWindow(frame);
  if (!pdf.empty()) {
    // printed as the grid menu's "PDFで保存..." prints it (the first grid of a window of several)
    const km::PrintResult r = km::printGridToPdf(*grids.front(), QString::fromStdString(w->def.caption),
                                                 QString::fromStdString(pdf), w->def.legend);
    if (!r.ok) {
      tell(r.error.toStdString(), r.details.toStdString());
      return 1;
    }
    std::cout << pdf << ": " << r.pages << "ページ（横 " << r.across << "・縦 " << r.down << "）、画面の大きさの "
              << std::lround(r.scale * 100) << "%\n";
    return written();
  }
  if (csv)
    km::writeGridsCsv(std::cout, grids);
  else
    km::writeWindowJson(std::cout, w->def, grids, &placement);
  return written();
}

bool wholeNumber(const std::string& text, int& value);

// The chart drawn as the グラフ window draws it, off-screen.
int chart(const std::string& dbPath, const km::ChartChoice& choice, QSize size, const std::string& png,
          const std::string& pdf, bool timed) {
  std::optional<km::DrawList> r = load(dbPath, false);
  if (!r) return 1;
  const km::History history = km::History::fromRows(std::move(r->draws), std::move(r->prizes));
  const OffscreenApp app;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  QString note;
  QChart* c = km::makeChart(history, choice, note);
  if (!c) {
    tell(note.toStdString());
    return 1;
  }
  QChartView view(c);
  view.setAttribute(Qt::WA_DontShowOnScreen);
  view.resize(size);
  view.show();
  QCoreApplication::sendPostedEvents();  // the chart's layout at that size
  const std::string name(km::chartName(choice.kind));
  const km::ChartOutput out = png.empty()
                                  ? km::saveChartPdf(view, QString::fromStdString(name), QString::fromStdString(pdf))
                                  : km::saveChartPng(view, QString::fromStdString(png));
  if (!out.ok) {
    tell(out.error.toStdString(), out.details.toStdString());
    return 1;
  }
  if (timed) {
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.2f", std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    std::cout << name << "：" << history.recordCount() << "回分のグラフを作り、配置して書き出すまで " << ms
              << " ミリ秒\n";
  }
  return written();
}

// chart [DB] NAME [--numbers N,N..] [--window N] [--size WxH] (--png FILE | --pdf FILE)
int chartCommand(const std::vector<std::string>& a) {
  std::vector<std::string> names;
  std::string png, pdf;
  km::ChartChoice choice;
  QSize size(1000, 640);
  bool timed = false;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--time") {
      timed = true;
    } else if (a[i] == "--png" && i + 1 < a.size()) {
      png = a[++i];
    } else if (a[i] == "--pdf" && i + 1 < a.size()) {
      pdf = a[++i];
    } else if (a[i] == "--numbers" && i + 1 < a.size()) {
      const auto numbers = km::parseChartNumbers(a[++i]);
      if (!numbers) {
        tell(
            "--numbers には、1〜31の異なる数字を1〜5個、7,12 や \"7 12\" "
            "のようにコンマか空白で区切って指定してください。");
        return 2;
      }
      choice.numbers = *numbers;
    } else if (a[i] == "--window" && i + 1 < a.size()) {
      int n = 0;
      if (!wholeNumber(a[++i], n) ||
          std::find(km::kTrendWindows.begin(), km::kTrendWindows.end(), n) == km::kTrendWindows.end()) {
        tell("--window「" + km::excerpt(a[i]) +
             "」：直近何回の出現回数を描くかは、52、104、260 のどれかで指定してください。");
        return 2;
      }
      choice.window = n;
    } else if (a[i] == "--size" && i + 1 < a.size()) {
      const std::string& t = a[++i];
      const size_t x = t.find('x');
      int w = 0, h = 0;
      if (x == std::string::npos || !wholeNumber(t.substr(0, x), w) || !wholeNumber(t.substr(x + 1), h) || w < 200 ||
          h < 150 || w > 8000 || h > 8000) {
        tell("--size には、幅x高さをピクセルで、200x150 から 8000x8000 までの間で指定してください（例：1000x640）。");
        return 2;
      }
      size = QSize(w, h);
    } else if (a[i].rfind("--", 0) == 0 || names.size() == 2) {
      return usage();
    } else {
      names.push_back(a[i]);
    }
  }
  if (!png.empty() && !pdf.empty()) {
    tell("--png と --pdf は、どちらか一方だけを指定してください（グラフは1つのファイルに書き出します）。");
    return 2;
  }
  if (names.empty()) return usage();
  if (png.empty() && pdf.empty()) {
    tell("書き出すファイルを --png ファイル か --pdf ファイル で指定してください。");
    return 2;
  }
  const auto kind = km::chartNamed(names.back());
  if (!kind) {
    tell(
        "「" + km::excerpt(names.back(), 64) +
        "」というグラフはありません。指定できるのは次のグラフです：出現の推移、合計の分布、出現間隔の分布、賞金の推移");
    return 1;
  }
  choice.kind = *kind;
  if (names.size() == 2) return chart(names[0], choice, size, png, pdf, timed);
  std::string dir;
  if (!programFolder(dir)) return 1;
  return chart(km::makeConnectString(dir).path, choice, size, png, pdf, timed);
}

// A settings file named with --ini: a regular file that can be read, else
// false, said (the defaults would stand in for it without a word).
bool settingsFileReadable(const std::string& ini) {
  const std::string what = km::notARegularFile(ini);
  std::string why, cause;
  if (!what.empty()) {
    why = "設定ファイルが通常のファイルではありません（" + what + "）";
  } else if (::access(ini.c_str(), R_OK) != 0) {
    why = errno == ENOENT ? "設定ファイルがありません" : "設定ファイルを読めません";
    cause = std::strerror(errno);
  } else {
    return true;
  }
  tell("--ini：" + why + "。\n" + ini, cause);
  return false;
}

// Entry commands: the same store as the data entry window.
// A whole number written as every number is read (digits, full-width ones
// too, spaces around it).
bool wholeNumber(const std::string& text, int& value) {
  const km::CellNumber n = km::parseWholeNumber(text);
  if (n.kind != km::CellNumber::Number) return false;
  value = n.value;
  return true;
}

std::unique_ptr<km::EntryStore> openEntry(const std::string& dbPath, bool write = true) {
  std::string error, details;
  auto store = write ? km::EntryStore::open(connectTo(dbPath), error, km::EntryStore::kDefaultBusyTimeoutMs, &details)
                     : km::EntryStore::openToRead(connectTo(dbPath), error, &details);
  if (!store) tell(error, details);
  return store;
}

int done(const std::string& error, const km::EntryStore* store = nullptr) {
  if (error.empty()) return 0;
  tell(error, store ? store->details() : std::string());
  return 1;
}

int notADrawNumber(const std::string& text) {
  return done("回数「" + km::excerpt(text) + "」は整数で指定してください。");
}

int add(const std::string& dbPath, const std::vector<std::string>& numbers, const std::string& date) {
  std::array<std::string, km::kNumberFields> texts;
  for (int f = 0; f < km::kNumberFields; ++f) texts[f] = numbers[f];
  auto store = openEntry(dbPath);
  if (!store) return 1;
  int no = 0;
  if (const std::string e = store->append(texts, date, no); !e.empty()) return done(e, store.get());
  std::cout << no << "\n";
  return 0;
}

int set(const std::string& dbPath, const std::string& draw, const std::string& column, const std::string& text) {
  int no = 0, col = 0;
  if (!wholeNumber(draw, no)) return notADrawNumber(draw);
  if (!wholeNumber(column, col) || col < km::kFirstNumberColumn || col > km::kDateColumn)
    return done("列「" + km::excerpt(column) + "」は２～８で指定してください。");
  if (col != km::kDateColumn &&
      km::parseCellNumber(text).kind == km::CellNumber::Wrong)  // refused before the file is opened
    return done(km::says::fieldValueWhy({}, km::excerpt(text), km::says::wrongNumberReason()));
  auto store = openEntry(dbPath);
  if (!store) return 1;
  return done(store->setCell(no, col, text), store.get());
}

int insert(const std::string& dbPath, const std::string& after) {
  int no = 0;
  if (!wholeNumber(after, no)) return notADrawNumber(after);
  auto store = openEntry(dbPath);
  if (!store) return 1;
  int newNo = 0;
  if (const std::string e = store->insertAfter(no, newNo); !e.empty()) return done(e, store.get());
  std::cout << newNo << "\n";
  return 0;
}

int remove(const std::string& dbPath, const std::string& draw) {
  int no = 0;
  if (!wholeNumber(draw, no)) return notADrawNumber(draw);
  auto store = openEntry(dbPath);
  if (!store) return 1;
  return done(store->remove(no), store.get());
}

// Prints "LINE COLUMN" of the first wrong cell on standard output.
int check(const std::string& dbPath) {
  auto store = openEntry(dbPath, false);
  if (!store) return 1;
  std::vector<km::EntryRow> rows;
  if (const std::string e = store->readAll(rows); !e.empty()) return done(e, store.get());
  const auto wrong = km::findWrongCell(
      static_cast<int>(rows.size()),
      [&](int line, int col) { return rows[line - 1].line()[col - km::kFirstNumberColumn]; }, store->today());
  if (!wrong) return 0;
  const km::EntryRow& r = rows[wrong->line - 1];
  std::cout << wrong->line << " " << wrong->column << "\n";
  tell(km::says::wrongCell(wrong->column == km::kDateColumn, r.no, wrong->column,
                           km::excerpt(r.line()[wrong->column - km::kFirstNumberColumn])) +
       ": " + wrong->reason);

  return 1;
}

// Brings DB up to date from the SOURCEs (addresses or files), else from the
// program's own sources.  The same lines as the program's messages: on
// standard output when draws were added or there is nothing new (exit 0),
// on standard error with the technical account when refused (exit 1).
int update(int argc, char** argv, const std::string& dbPath, const std::vector<std::string>& sources) {
  QCoreApplication app(argc, argv);
  QList<km::UpdateSource> from;
  for (const std::string& s : sources) from.append(km::explicitUpdateSource(QString::fromStdString(s)));
  if (sources.empty()) from = km::updateSources(QFileInfo(QString::fromStdString(dbPath)).absolutePath());
  for (const km::UpdateSource& s : from)
    if (!s.error.isEmpty() && from.size() == 1) {
      tell(s.error.toStdString());
      return 1;
    }
  km::MasterUpdate job(from, QString::fromStdString(dbPath));
  QObject::connect(&job, &km::MasterUpdate::finished, &app, &QCoreApplication::quit, Qt::QueuedConnection);
  job.start();
  app.exec();
  const bool ok =
      job.outcome() == km::MasterUpdate::Outcome::Updated || job.outcome() == km::MasterUpdate::Outcome::NothingNew;
  if (!ok) {
    tell(job.message().toStdString(), job.details().toStdString());
    return 1;
  }
  std::cout << km::terminalSafe(job.message().toStdString()) << "\n";
  return written();
}

// The main window's status line for DB: its newest draw and how many draws
// the calendar has held since.
int status(const std::string& dbPath) {
  std::optional<km::DrawList> r = load(dbPath, false);
  if (!r) return 1;
  const km::History history = km::History::fromRows(std::move(r->draws));
  std::cout << km::terminalSafe(km::statusLine(history, km::todayDate()).text()) << "\n";
  return written();
}

// --- backtest: the record of the prediction lines (the window 予想の成績) ---

// One CSV line per evaluated draw and prediction line:
// draw,line,predicted,drawn,hits with the numbers separated by single spaces.
void writeBacktestDraws(std::ostream& os, const km::Backtest& b) {
  auto joined = [](const auto& numbers) {
    std::string s;
    for (int v : numbers) {
      if (!s.empty()) s += ' ';
      s += std::to_string(v);
    }
    return s;
  };
  os << "draw,line,predicted,drawn,hits\n";
  for (const km::BacktestDraw& d : b.draws)
    for (int l = 0; l < km::kPredictionLineCount; ++l)
      os << d.no << ',' << km::kPredictionLineLabels[l] << ',' << joined(d.lines[l]) << ',' << joined(d.drawn) << ','
         << d.hits[l] << '\n';
}

int backtest(const std::string& dbPath, const std::string& ini, int fromDrawNo, bool csv, bool draws) {
  std::optional<km::DrawList> r = load(dbPath, false);
  if (!r) return 1;
  const km::History history = km::History::fromRows(std::move(r->draws), std::move(r->prizes));
  const km::ReflectSettings reflect = km::Settings::read(ini).prediction();
  const km::Backtest b = km::runBacktest(history, reflect, fromDrawNo);
  if (draws) {
    writeBacktestDraws(std::cout, b);
  } else {
    const km::Grid g = km::recordGrid(b, reflect);
    if (csv)
      km::writeGridsCsv(std::cout, {&g});
    else
      km::writeWindowJson(std::cout, km::windowRow(km::WindowId::PredictionRecord).def, {&g});
  }
  return written();
}

// backtest [DB] [--ini FILE] [--from N] [--csv] [--draws]
int backtestCommand(const std::vector<std::string>& a) {
  std::string db, ini;
  int from = 0;
  bool csv = false, draws = false;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--csv") {
      csv = true;
    } else if (a[i] == "--draws") {
      draws = true;
    } else if (a[i] == "--ini" && i + 1 < a.size()) {
      ini = a[++i];
      if (!settingsFileReadable(ini)) return 1;
    } else if (a[i] == "--from" && i + 1 < a.size()) {
      if (!wholeNumber(a[++i], from) || from < 1) return usage();
    } else if (a[i].rfind("--", 0) == 0 || !db.empty()) {
      return usage();
    } else {
      db = a[i];
    }
  }
  if (!db.empty()) return backtest(db, ini.empty() ? km::kSettingsFileName : ini, from, csv, draws);
  std::string dir;
  if (!programFolder(dir)) return 1;
  return backtest(km::makeConnectString(dir).path, ini.empty() ? dir + "/" + km::kSettingsFileName : ini, from, csv,
                  draws);
}

// --- tickets: the user's tickets against the stored draws (the window 当選確認) ---

int ticketsOfFile(const km::History& history, const std::string& file, bool csv) {
  const km::Result<km::TicketList> read = km::readTicketsFile(file);
  if (!read) {
    tell(read.kind() == km::Fault::Missing ? "買い目のファイルがありません。\n" + file : read.message(), read.cause());
    return 1;
  }
  const std::vector<km::Ticket>& tickets = read->tickets;
  const km::TicketsCheck c = km::checkTickets(history, tickets);
  auto position = [&](int ticket) { return read->position[static_cast<size_t>(ticket)]; };
  if (csv) {
    std::cout << "ticket,draw,date,tier,prize\n";
    for (const km::TicketWin& w : c.wins)
      std::cout << position(w.ticket) << ',' << w.draw << ',' << w.date << ',' << w.tier << ','
                << (w.yen ? std::to_string(*w.yen) : std::string()) << '\n';
    std::cout << "total," << c.linesDrawn << ',' << c.spentYen << ',' << c.wonYen << ',' << c.pending.size() << '\n';
    return written();
  }
  for (const km::TicketWin& w : c.wins)
    std::cout << position(w.ticket) << "行目 第" << w.draw << "回" << (w.date.empty() ? "" : "（" + w.date + "）")
              << ' ' << w.tier << "等 " << (w.yen ? km::yenText(*w.yen) : std::string("不明")) << '\n';
  for (const km::TicketPending& p : c.pending)
    std::cout << position(p.ticket) << "行目 第" << p.draw << "回 未抽せん\n";
  std::cout << km::totalsText(c) << '\n' << km::chanceSentence(km::chanceReturn(history), c) << '\n';
  return written();
}

int ticketLine(const km::History& history, const std::string& text, bool csv) {
  const km::Result<km::TicketNumbers> p = km::parseTicketNumbers(text);
  if (!p) {
    tell("--line：" + p.message() + "。");
    return 1;
  }
  const km::LineOverHistory r = km::checkLineOverHistory(history, *p);
  if (!csv) {
    std::cout << km::lineOverHistoryText(r) << '\n';
    return written();
  }
  std::cout << "tier,count,yen\n";
  for (int k = 0; k < km::kPrizeTiers; ++k) {
    // the yen only when every win of the tier has a known prize
    const bool known = r.tierUnknown[k] == 0;
    std::cout << k + 1 << ',' << r.tierCounts[k] << ',' << (known ? std::to_string(r.tierYen[k]) : std::string())
              << '\n';
  }
  return written();
}

// tickets [DB] FILE [--csv] | tickets [DB] --line "N1 N2 N3 N4 N5" [--csv]
int ticketsCommand(const std::vector<std::string>& a) {
  std::vector<std::string> paths;
  std::string line;
  bool csv = false, byLine = false;
  for (size_t i = 1; i < a.size(); ++i) {
    if (a[i] == "--csv") {
      csv = true;
    } else if (a[i] == "--line" && i + 1 < a.size() && !byLine) {
      byLine = true;
      line = a[++i];
    } else if (a[i].rfind("--", 0) == 0) {
      return usage();
    } else {
      paths.push_back(a[i]);
    }
  }
  if (paths.size() != (byLine ? 0u : 1u) && paths.size() != (byLine ? 1u : 2u)) return usage();
  std::string db;
  if (paths.size() == (byLine ? 1u : 2u)) {
    db = paths.front();
  } else {
    std::string dir;
    if (!programFolder(dir)) return 1;
    db = km::makeConnectString(dir).path;
  }
  std::optional<km::DrawList> r = load(db, true);
  if (!r) return 1;
  const km::History history = km::History::fromRows(std::move(r->draws), std::move(r->prizes));
  return byLine ? ticketLine(history, line, csv) : ticketsOfFile(history, paths.back(), csv);
}

}  // namespace

int main(int argc, char** argv) {
  // Every failure the store reports comes back here and is told once, with
  // its technical account, by tell(): the store's own log line would repeat it.
  km::setStoreLog([](const std::string&) {});
  try {
    const std::vector<std::string> a(argv + 1, argv + argc);
    if (!a.empty() && a[0] == "import-csv") {
      std::vector<std::string> paths;
      bool force = false;
      for (size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "--force")
          force = true;
        else
          paths.push_back(a[i]);
      }
      if (paths.size() != 2) return usage();
      return importCsv(paths[0], paths[1], force);
    }
    if (!a.empty() && a[0] == "export-csv") {
      std::vector<std::string> paths;
      bool prizes = false;
      for (size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "--prizes")
          prizes = true;
        else
          paths.push_back(a[i]);
      }
      if (paths.size() > 1) return usage();
      std::string dir;
      if (paths.empty() && !programFolder(dir)) return 1;
      return exportCsv(paths.empty() ? km::makeConnectString(dir).path : paths[0], prizes);
    }
    if (a.size() >= 2 && a[0] == "grid") {
      std::vector<std::string> names;
      std::string ini, pdf;
      bool csv = false;
      for (size_t i = 1; i < a.size(); ++i) {
        if (a[i] == "--csv") {
          csv = true;
        } else if (a[i] == "--pdf" && i + 1 < a.size()) {
          pdf = a[++i];
        } else if (a[i] == "--ini" && i + 1 < a.size()) {
          ini = a[++i];
          if (!settingsFileReadable(ini)) return 1;
        } else if (a[i].rfind("--", 0) == 0 || names.size() == 2) {
          return usage();
        } else {
          names.push_back(a[i]);
        }
      }
      if (names.empty()) return usage();
      if (names.size() == 2) return grid(names[0], names[1], ini.empty() ? "カズマキ.ini" : ini, csv, pdf);
      std::string dir;
      if (!programFolder(dir)) return 1;
      return grid(km::makeConnectString(dir).path, names[0], ini.empty() ? dir + "/" + km::kSettingsFileName : ini, csv,
                  pdf);
    }
    if (!a.empty() && a[0] == "tickets") return ticketsCommand(a);
    if (!a.empty() && a[0] == "combos") return km::tool::combosCommand(a);
    if (!a.empty() && a[0] == "popularity") return km::tool::popularityCommand(a);
    if (!a.empty() && a[0] == "backtest") return backtestCommand(a);
    if (!a.empty() && a[0] == "chart") return chartCommand(a);
    if (!a.empty() && a[0] == "prizes") return km::tool::prizesCommand(a);
    if (!a.empty() && a[0] == "wheel") return km::tool::wheelCommand(a);
    if (a.size() >= 2 && a[0] == "update") return update(argc, argv, a[1], {a.begin() + 2, a.end()});
    if (a.size() <= 2 && !a.empty() && a[0] == "status") {
      if (a.size() == 2) return status(a[1]);
      std::string dir;
      if (!programFolder(dir)) return 1;
      return status(km::makeConnectString(dir).path);
    }
    if (a.size() == 8 && a[0] == "add") return add(a[1], {a.begin() + 2, a.end()}, "");
    if (a.size() == 10 && a[0] == "add" && a[8] == "--date") return add(a[1], {a.begin() + 2, a.begin() + 8}, a[9]);
    if (a.size() == 5 && a[0] == "set") return set(a[1], a[2], a[3], a[4]);
    if (a.size() == 3 && a[0] == "insert") return insert(a[1], a[2]);
    if (a.size() == 3 && a[0] == "delete") return remove(a[1], a[2]);
    if (a.size() == 2 && a[0] == "check") return check(a[1]);
    return usage();
  } catch (const std::exception& e) {
    tell("思いがけない異常のため、中止しました。", e.what());
    return 1;
  }
}
