// kazumaki-tool: import and export of the draw history, and the JSON dump of
// any window's grids as the program fills them, and the update of the history
// from the publisher's address.
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
#include "store/sqlite/database.h"
#include "store/sqlite/entry_store.h"
#include "update/master_update.h"
#include "windows/ui/window_content.h"
#include "windows/window_table.h"

namespace {

// A reason and, on a line of its own, the library's or the system's account;
// every line the tool writes to standard error comes through here, with a
// terminal's control codes in any text from outside written as \xNN.
void tell(const std::string& reason, const std::string& details = {}) {
  std::cerr << "kazumaki-tool: " << km::terminalSafe(reason) << "\n";
  if (!details.empty()) std::cerr << "  " << km::terminalSafe(details) << "\n";
}

// The exit status after writing to standard output: 1, said, when the
// output could not be written (a full disk, a closed pipe).
int written() {
  std::cout.flush();
  if (std::cout.good()) return 0;
  tell("標準出力へ書き込めません。", errno ? std::strerror(errno) : std::string());
  return 1;
}

int usage() {
  std::cerr << "usage:\n"
               "  kazumaki-tool import-csv CSV DB [--force]\n"
               "                                       create or replace DB from CSV (--force: even\n"
               "                                       when an empty CSV would empty a history)\n"
               "  kazumaki-tool export-csv [DB] [--prizes]\n"
               "                                       print DB's history as CSV (--prizes: with the\n"
               "                                       winners and yen of tiers 1..4, empty if unknown)\n"
               "  kazumaki-tool grid [DB] WINDOW [--ini FILE] [--csv | --pdf FILE]\n"
               "                                       print WINDOW's grids as JSON (or CSV), or\n"
               "                                       its grid to FILE as the program prints it\n"
               "  kazumaki-tool chart [DB] NAME [--numbers N,N..] [--window 52|104|260] [--size WxH]\n"
               "                      (--png FILE | --pdf FILE) [--time]\n"
               "                                       draw the chart NAME (出現の推移, 合計の分布,\n"
               "                                       出現間隔の分布, 賞金の推移) as the グラフ window\n"
               "                                       does, to a PNG image (default 1000x640) or a PDF\n"
               "                                       (--time: say how long the drawing took)\n"
               "  kazumaki-tool tickets [DB] FILE [--csv]\n"
               "                                       the wins of the tickets in FILE (the format of\n"
               "                                       tickets.csv); --csv: ticket,draw,date,tier,prize\n"
               "                                       and last total,lines,spent,won,pending\n"
               "  kazumaki-tool tickets [DB] --line \"N1 N2 N3 N4 N5\" [--csv]\n"
               "                                       that line over every stored draw (--csv:\n"
               "                                       tier,count,yen)\n"
               "  kazumaki-tool backtest [DB] [--ini FILE] [--from N] [--csv] [--draws]\n"
               "                                       how the predictions would have done, as JSON\n"
               "                                       (or CSV); --draws: one CSV line per draw and line\n"
               "  kazumaki-tool update DB [SOURCE...]  add the draws published since DB's last one\n"
               "                                       (SOURCE: an https:// address or a file; by\n"
               "                                       default the public results lists, cross-checked)\n"
               "  kazumaki-tool status [DB]            print the newest draw and how many are missing\n"
               "  kazumaki-tool add DB N1 N2 N3 N4 N5 BONUS [--date YYYY-MM-DD]\n"
               "                                       append the next draw, print its number\n"
               "  kazumaki-tool set DB DRAW COLUMN TEXT  write TEXT into column 2..7 of DRAW\n"
               "  kazumaki-tool insert DB AFTER_DRAW   insert a blank draw, print its number\n"
               "  kazumaki-tool delete DB DRAW         delete a draw\n"
               "  kazumaki-tool check DB               print the first wrong line and column\n"
               "Without DB, the program's own Kazumaki.mdb is used (the per-user copy\n"
               "of an installed program, made on first use).\n";
  return 2;
}

// The program folder, as the program itself finds it.
bool programFolder(std::string& folder) {
  const km::ProgramFolder f = km::locateProgramFolder(km::defaultProgramFolderPlaces(km::runningExecutableFolder()));
  if (!f.ok) {
    tell(f.message);
    return false;
  }
  if (!f.warning.empty()) tell(f.warning);
  folder = f.path;
  return true;
}

km::ConnectString connectTo(const std::string& path) { return km::ConnectString{path, km::databasePassword()}; }

int importCsv(const std::string& csvPath, const std::string& dbPath, bool force) {
  const km::CsvResult r = km::readHistoryCsvFile(csvPath);
  if (!r.ok) {
    tell(csvPath + ": " + r.error);
    return 1;
  }
  std::error_code ec;
  if (r.draws.empty() && !force && std::filesystem::exists(dbPath, ec)) {
    // An empty CSV over a history is almost always a mistake: it takes --force.
    const km::LoadResult before = km::loadHistory(connectTo(dbPath));
    if (!before.ok || !before.rows.empty()) {
      tell(csvPath + " holds no draws; " + dbPath + " is not replaced by it (" +
           (before.ok ? "it holds " + std::to_string(before.rows.size()) + " draws"
                      : std::string("it could not be read")) +
           "); give --force to replace it all the same");
      return 1;
    }
  }
  const std::string err = km::writeDatabase(connectTo(dbPath), r.draws, r.prizes);
  if (!err.empty()) {
    tell(err);
    return 1;
  }
  return 0;
}

bool load(const std::string& dbPath, bool withDates, km::LoadResult& r) {
  r = km::loadHistory(connectTo(dbPath), withDates);
  if (!r.ok) tell(r.message, r.details);
  return r.ok;
}

int exportCsv(const std::string& dbPath, bool prizes) {
  km::LoadResult r;
  if (!load(dbPath, true, r)) return 1;
  std::cout << (prizes ? km::historyToCsvWithPrizes(r.rows, r.prizes) : km::historyToCsv(r.rows));
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
      if (type == QtCriticalMsg || type == QtFatalMsg) tell(msg.toStdString());
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
  km::LoadResult r;
  if (!load(dbPath, false, r)) return 1;
  const km::History history = km::History::fromRows(std::move(r.rows), std::move(r.prizes));

  const OffscreenApp app;
  QMdiArea area;
  area.resize(4000, 4000);
  km::PredictionState state;
  state.ReadInitFile(ini);
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
    const km::PrintResult r =
        km::printGridToPdf(*grids.front(), QString::fromStdString(w->def.caption), QString::fromStdString(pdf));
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
  km::LoadResult r;
  if (!load(dbPath, false, r)) return 1;
  const km::History history = km::History::fromRows(std::move(r.rows), std::move(r.prizes));
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
  if (timed)
    std::cout << name << ": " << history.recordCount() << " draws, built, laid out and written in "
              << std::chrono::duration<double, std::milli>(Clock::now() - start).count() << " ms\n";
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
        tell("--numbers: one to five different numbers of 1..31, such as 7,12");
        return 2;
      }
      choice.numbers = *numbers;
    } else if (a[i] == "--window" && i + 1 < a.size()) {
      int n = 0;
      if (!wholeNumber(a[++i], n) ||
          std::find(km::kTrendWindows.begin(), km::kTrendWindows.end(), n) == km::kTrendWindows.end())
        return usage();
      choice.window = n;
    } else if (a[i] == "--size" && i + 1 < a.size()) {
      const std::string& t = a[++i];
      const size_t x = t.find('x');
      int w = 0, h = 0;
      if (x == std::string::npos || !wholeNumber(t.substr(0, x), w) || !wholeNumber(t.substr(x + 1), h) || w < 200 ||
          h < 150 || w > 8000 || h > 8000) {
        tell("--size: WIDTHxHEIGHT in pixels, from 200x150 to 8000x8000");
        return 2;
      }
      size = QSize(w, h);
    } else if (a[i].rfind("--", 0) == 0 || names.size() == 2) {
      return usage();
    } else {
      names.push_back(a[i]);
    }
  }
  if (names.empty() || png.empty() == pdf.empty()) return usage();
  const auto kind = km::chartNamed(names.back());
  if (!kind) {
    tell("no chart named " + km::excerpt(names.back(), 64) + " (出現の推移, 合計の分布, 出現間隔の分布, 賞金の推移)");
    return 1;
  }
  choice.kind = *kind;
  if (names.size() == 2) return chart(names[0], choice, size, png, pdf, timed);
  std::string dir;
  if (!programFolder(dir)) return 1;
  return chart(km::makeConnectString(dir).path, choice, size, png, pdf, timed);
}

// Entry commands: the same store as the data entry window.
bool wholeNumber(const std::string& text, int& value) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const size_t digits = text.find_first_not_of('0');  // leading zeros count for nothing
  if (digits != std::string::npos && text.size() - digits > 6) return false;
  value = digits == std::string::npos ? 0 : std::stoi(text.substr(digits));
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
  if (!wholeNumber(column, col) || col < km::kFirstNumberColumn || col > km::kLastNumberColumn)
    return done("列「" + km::excerpt(column) + "」は２～７で指定してください。");
  if (km::parseCellNumber(text).kind == km::CellNumber::Wrong)  // refused before the file is opened
    return done("「" + km::excerpt(text) + "」: " + km::wrongNumberReason());
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
  const auto wrong = km::findWrongCell(static_cast<int>(rows.size()), [&](int line, int col) {
    return rows[line - 1].text[col - km::kFirstNumberColumn];
  });
  if (!wrong) return 0;
  const km::EntryRow& r = rows[wrong->line - 1];
  std::cout << wrong->line << " " << wrong->column << "\n";
  tell(km::wrongNumberText(r.no, wrong->column, r.text[wrong->column - km::kFirstNumberColumn]));
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
    tell(job.message().toStdString());
    if (!job.details().isEmpty()) tell("(" + job.details().toStdString() + ")");
    return 1;
  }
  std::cout << km::terminalSafe(job.message().toStdString()) << "\n";
  return written();
}

// The main window's status line for DB: its newest draw and how many draws
// the calendar has held since.
int status(const std::string& dbPath) {
  km::LoadResult r;
  if (!load(dbPath, false, r)) return 1;
  const km::History history = km::History::fromRows(std::move(r.rows));
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
  km::LoadResult r;
  if (!load(dbPath, false, r)) return 1;
  const km::History history = km::History::fromRows(std::move(r.rows), std::move(r.prizes));
  km::PredictionState settings;
  settings.ReadInitFile(ini);
  const km::Backtest b = km::runBacktest(history, settings.reflect, fromDrawNo);
  if (draws) {
    writeBacktestDraws(std::cout, b);
  } else {
    const km::Grid g = km::recordGrid(b, settings.reflect);
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
  const km::TicketsFileRead read = km::readTicketsFile(file);
  if (read.status != km::TicketsFileRead::Read) {
    tell(read.status == km::TicketsFileRead::Missing ? "買い目のファイルがありません。\n" + file : read.message,
         read.cause);
    return 1;
  }
  const std::vector<km::Ticket>& tickets = read.parse.tickets;
  const km::TicketsCheck c = km::checkTickets(history, tickets);
  auto position = [&](int ticket) { return read.parse.position[static_cast<size_t>(ticket)]; };
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
  const km::NumbersParse p = km::parseTicketNumbers(text);
  if (!p.ok()) {
    tell("--line：" + p.error + "。");
    return 1;
  }
  const km::LineOverHistory r = km::checkLineOverHistory(history, p.numbers);
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
  km::LoadResult r;
  if (!load(db, true, r)) return 1;
  const km::History history = km::History::fromRows(std::move(r.rows), std::move(r.prizes));
  return byLine ? ticketLine(history, line, csv) : ticketsOfFile(history, paths.back(), csv);
}

}  // namespace

int main(int argc, char** argv) {
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
    if (!a.empty() && a[0] == "backtest") return backtestCommand(a);
    if (!a.empty() && a[0] == "chart") return chartCommand(a);
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
    tell(e.what());
    return 1;
  }
}
