// The data entry window driven as a user drives it.  States are awaited with
// QTest::qWaitFor under gtest assertions (a failing QTRY_* would go unseen).
#include "entry/data_entry_window.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QAction>
#include <QClipboard>
#include <QDate>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "app/main_frm.h"
#include "entry/entry_model.h"
#include "store/sqlite/entry_store.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"

using namespace km;

namespace {

// Draw i: i % 31 + 1, then the first five of 2..7 that differ from it;
// dated one a week from 2020-01-07.
std::vector<Draw> numbered(int count) {
  std::vector<Draw> v;
  for (int i = 1; i <= count; ++i) {
    const int first = i % 31 + 1;
    std::array<std::optional<int>, 6> n{first};
    for (int k = 2, f = 1; f < 6; ++k)
      if (k != first) n[f++] = k;
    Draw d = test::draw(i, n, test::dateAfter("2020-01-07", 7 * (i - 1)));
    v.push_back(d);
  }
  return v;
}

struct EntryWindowTest : ::testing::Test {
  std::vector<Draw> draws = numbered(60);
  std::unique_ptr<test::ProgramFolder> folder;
  std::unique_ptr<MainFrm> frm;
  std::unique_ptr<test::ProgramStart> launch;
  QMdiSubWindow* sub = nullptr;
  DataEntryWindow* win = nullptr;

  void SetUp() override { start(); }
  // Starts the program, closes the prediction window and opens the entry window.
  void start(bool readOnly = false) {
    folder = std::make_unique<test::ProgramFolder>(draws);
    if (readOnly) chmod((folder->dir / "Kazumaki.mdb").c_str(), 0444);
    frm = std::make_unique<MainFrm>(folder->path(), folder->settings());
    launch = std::make_unique<test::ProgramStart>(*folder);
    ASSERT_TRUE(launch->run(*frm));
    test::closePredictionWindow(*frm);
    ASSERT_TRUE(frm->openWindowCaptions().isEmpty());
    openEntry();
  }
  // Opens the entry window from the menu and waits until it has read the history.
  void openEntry() {
    frm->findChild<QAction*>(QStringLiteral("actionEntry"))->trigger();
    sub = frm->findChildWindow(WindowId::DataEntry);
    ASSERT_TRUE(sub);
    win = qobject_cast<DataEntryWindow*>(sub->widget());
    ASSERT_TRUE(win);
    const QPointer<DataEntryWindow> opening(win);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opening || !opening->opening(); }, 30000));
  }
  // Closes the window and opens it again in a main window of the given size.
  void reopenIn(int width, int height) {
    win->closeButton()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->findChildWindow(WindowId::DataEntry) == nullptr; }));
    frm->showNormal();
    frm->resize(width, height);
    const QWidget* area = frm->mdiArea()->viewport();
    // the area has followed: narrower than a small window, or most of a large one's height
    ASSERT_TRUE(QTest::qWaitFor([&] { return width < 1000 ? area->width() < width : area->height() > height - 400; }))
        << area->width() << "x" << area->height();
    openEntry();
  }
  void TearDown() override {
    if (folder) chmod((folder->dir / "Kazumaki.mdb").c_str(), 0644);
    frm.reset();
    launch.reset();
    folder.reset();
  }
  EntryGrid* grid() const { return win->grid(); }
  EntryModel* model() const { return win->model(); }
  // What the database holds now, read over a connection of our own.
  std::vector<EntryRow> stored() const {
    std::string error;
    auto s = EntryStore::openToRead(makeConnectString(folder->dir.string()), error);
    EXPECT_TRUE(s) << error;
    std::vector<EntryRow> rows;
    if (s) s->readAll(rows);
    return rows;
  }
  QModelIndex cell(int line, int col) const { return model()->index(line - 1, col - 1); }
  void select(int line, int col) {
    grid()->setFocus();
    grid()->selectionModel()->setCurrentIndex(cell(line, col), QItemSelectionModel::ClearAndSelect);
  }
  // The editor open on the current cell, if any.
  QWidget* openEditor() const { return grid()->indexWidget(grid()->currentIndex()); }
  // Types ASCII text into the current cell and presses Enter.
  void type(const char* text) {
    QTest::keyClick(grid(), text[0]);  // the first key opens the editor
    QWidget* editor = openEditor();
    ASSERT_TRUE(editor);
    QTest::keyClicks(editor, QString::fromLatin1(text + 1));
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !grid()->editing(); }));
  }
  // Edits cell (line, col) to any text (F2, the text, Enter).
  void enter(int line, int col, const QString& text) {
    select(line, col);
    QTest::keyClick(grid(), Qt::Key_F2);
    auto* editor = qobject_cast<QLineEdit*>(openEditor());
    ASSERT_TRUE(editor);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !grid()->editing(); }));
  }
  // Right-clicks the line header of `line`.
  bool rightClickHeader(int line) {
    QHeaderView* vh = grid()->verticalHeader();
    const QPoint pos(vh->width() / 2, vh->sectionViewportPosition(line - 1) + 2);
    QContextMenuEvent ev(QContextMenuEvent::Mouse, pos, vh->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(vh->viewport(), &ev);
    const bool shown = win->editMenu()->isVisible();
    win->editMenu()->hide();
    return shown;
  }
  std::string shown(int line, int col) const { return model()->cellText(line, col); }
  // Adds a line after (or deletes) the line of the header's menu at `row`, answering its question.
  void onLine(int row, bool add, QMessageBox::StandardButton answer = QMessageBox::Yes) {
    ASSERT_TRUE(win->openEditMenu(row, QPoint()));
    win->editMenu()->hide();
    test::MessageBoxWatcher box(answer);
    (add ? win->addLineAction() : win->delLineAction())->trigger();
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.text, add ? QStringLiteral("選択された行のうしろに行を追加します。よろしいですか？")
                            : QStringLiteral("選択された行を削除します。よろしいですか？"));
    EXPECT_EQ(box.title, QStringLiteral("カズマキMiddle")) << "the program's name, not its file's";
    EXPECT_EQ(box.icon, QMessageBox::Warning);
    EXPECT_EQ(box.defaultButton, QMessageBox::No);
  }
};

}  // namespace

// In a main window that has room for it, the window opens at its designed size.
TEST_F(EntryWindowTest, LayoutColoursAndHandshake) {
  ASSERT_NO_FATAL_FAILURE(reopenIn(2400, 1800));
  EXPECT_EQ(sub->windowTitle(), QStringLiteral("当選データ入力"));
  EXPECT_FALSE(frm->openWindowCaptions().isEmpty());
  EXPECT_EQ(sub->pos(), QPoint(0, 0));
  EXPECT_EQ(win->findChild<QLabel*>(QStringLiteral("descriptionLabel"))->text(),
            QStringLiteral("当選数字を開催回数毎に入力します（分析対象データとなります）"));
  EXPECT_EQ(win->closeButton()->text(), QStringLiteral("閉じる"));
  ASSERT_EQ(model()->columnCount(), 16);
  EXPECT_EQ(model()->rowCount(), 60);
  const char* headers[] = {"回数",         "第1数字",       "第2数字",   "第3数字",       "第4数字",   "第5数字",
                           "ボーナス数字", "抽選日",        "1等\n口数", "1等\n当せん金", "2等\n口数", "2等\n当せん金",
                           "3等\n口数",    "3等\n当せん金", "4等\n口数", "4等\n当せん金"};
  for (int c = 0; c < 16; ++c)
    EXPECT_EQ(model()->headerData(c, Qt::Horizontal).toString(), QString::fromUtf8(headers[c]));
  // colours of columns 1 and 7 on every line; the others plain
  for (int line : {1, 60}) {
    EXPECT_EQ(cell(line, 1).data(Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
    EXPECT_EQ(cell(line, 1).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 200));
    EXPECT_EQ(cell(line, 7).data(Qt::ForegroundRole).value<QColor>(), QColor(0, 0, 255));
    EXPECT_EQ(cell(line, 7).data(Qt::BackgroundRole).value<QColor>(), QColor(197, 255, 255));
    EXPECT_EQ(cell(line, 4).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
  }
  EXPECT_EQ(shown(1, 1), "1");
  EXPECT_EQ(shown(1, 2), "2");
  // widths 5 and 7 characters; 50 lines visible, the rest by scrolling
  EXPECT_LT(grid()->columnWidth(0), grid()->columnWidth(1));
  EXPECT_NEAR(grid()->columnWidth(0) * 7.0 / 5.0, grid()->columnWidth(1), 2.0);
  for (int c = 2; c < 7; ++c) EXPECT_EQ(grid()->columnWidth(c), grid()->columnWidth(1));
  EXPECT_EQ(shown(60, 8), "2021-02-23");
  EXPECT_GE(grid()->columnWidth(7), QFontMetrics(grid()->font()).horizontalAdvance(QStringLiteral("2021-02-23")));
  const int rowH = grid()->rowHeight(0);
  EXPECT_EQ(grid()->viewport()->height(), 50 * rowH);
  EXPECT_GT(grid()->verticalScrollBar()->maximum(), 0);
  // the window shows the whole grid
  EXPECT_TRUE(QRect(QPoint(0, 0), sub->widget()->size()).contains(grid()->geometry()))
      << sub->widget()->width() << " " << grid()->geometry().right() << " " << grid()->columnWidth(7);
  // the draw number cannot be typed into
  EXPECT_FALSE(cell(1, 1).flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(cell(1, 2).flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(cell(1, 7).flags() & Qt::ItemIsEditable);
  EXPECT_TRUE(cell(1, 8).flags() & Qt::ItemIsEditable);
  win->closeButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->findChildWindow(WindowId::DataEntry) == nullptr; }));
  EXPECT_TRUE(frm->openWindowCaptions().isEmpty());
}

// In a main window smaller than its designed size, the window opens within
// the area: 閉じる in view, the grid's lines and columns scrolling.
TEST_F(EntryWindowTest, ASmallMainWindowHoldsTheWholeWindowWith閉じる) {
  ASSERT_NO_FATAL_FAILURE(reopenIn(760, 560));
  const QRect area = frm->mdiArea()->viewport()->rect();
  EXPECT_TRUE(area.contains(sub->geometry())) << sub->width() << "x" << sub->height();
  const QRect close(win->closeButton()->mapTo(frm->mdiArea()->viewport(), QPoint(0, 0)), win->closeButton()->size());
  EXPECT_TRUE(area.contains(close));
  EXPECT_GT(grid()->horizontalScrollBar()->maximum(), 0);  // the prize columns scroll into view
  EXPECT_GT(grid()->verticalScrollBar()->maximum(), 0);
}

TEST_F(EntryWindowTest, TypingReplacesTheCellAndEnterWritesAndMovesDown) {
  select(2, 2);
  type("9");
  EXPECT_EQ(shown(2, 2), "9");  // replaced, not appended to the old "3"
  EXPECT_EQ(stored()[1].text[0], "9");
  EXPECT_EQ(grid()->currentIndex(), cell(3, 2));
  // F2 edits the text in place
  select(4, 7);
  QTest::keyClick(grid(), Qt::Key_F2);
  ASSERT_TRUE(grid()->editing());
  QTest::keyClick(openEditor(), Qt::Key_End);
  QTest::keyClicks(openEditor(), QStringLiteral("1"));
  QTest::keyClick(openEditor(), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !grid()->editing(); }));
  // "7" + "1" is not a number 1..31: the text stays in the grid only, marked
  EXPECT_EQ(shown(4, 7), "71");
  EXPECT_EQ(stored()[3].text[5], "7");
  EXPECT_EQ(cell(4, 7).data(Qt::BackgroundRole).value<QColor>(), EntryGrid::wrongBack());
  // Delete empties the cell in the database
  select(5, 3);
  QTest::keyClick(grid(), Qt::Key_Delete);
  EXPECT_EQ(stored()[4].text[1], "");
  EXPECT_EQ(shown(5, 3), "");
  // Tab while typing writes and moves on to the right, the next cell open
  select(6, 3);
  QTest::keyClick(grid(), '8');
  ASSERT_TRUE(openEditor());
  QTest::keyClick(openEditor(), Qt::Key_Tab);
  EXPECT_EQ(stored()[5].text[1], "8");
  EXPECT_EQ(grid()->currentIndex(), cell(6, 4));
  EXPECT_TRUE(grid()->editing());
  QTest::keyClick(openEditor(), Qt::Key_Escape);
}

TEST_F(EntryWindowTest, JapaneseInputThroughTheInputMethod) {
  select(3, 5);
  QInputMethodEvent ime;
  ime.setCommitString(QStringLiteral("１２"));
  QApplication::sendEvent(grid(), &ime);
  ASSERT_TRUE(grid()->editing());
  ASSERT_TRUE(qobject_cast<QLineEdit*>(openEditor()));
  EXPECT_EQ(qobject_cast<QLineEdit*>(openEditor())->text(), QStringLiteral("１２"));
  QTest::keyClick(openEditor(), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return stored()[2].text[3] == std::string("12"); })) << stored()[2].text[3];
  EXPECT_EQ(shown(3, 5), "12");
  EXPECT_EQ(grid()->currentIndex(), cell(4, 5));
  // a composition: preedit text first, then the committed text; one that is
  // no number stays in the grid only
  select(3, 6);
  QInputMethodEvent compose(QStringLiteral("ご"), {});
  QApplication::sendEvent(grid(), &compose);
  ASSERT_TRUE(grid()->editing());
  QInputMethodEvent bad;
  bad.setCommitString(QStringLiteral("五"));
  QApplication::sendEvent(openEditor(), &bad);
  QTest::keyClick(openEditor(), Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !grid()->editing(); }));
  EXPECT_EQ(shown(3, 6), "五");
  EXPECT_EQ(stored()[2].text[4], "6");
}

// 閉じる goes to the topmost wrong cell (a decimal and the bonus among them),
// and closes once every cell is sound or empty.
TEST_F(EntryWindowTest, CloseCheckFindsTheTopmostWrongCellFirst) {
  const std::pair<std::pair<int, int>, const char*> typed[] = {
      {{10, 2}, "32"}, {{8, 7}, "45"}, {{7, 3}, "5.0"}, {{3, 5}, "0"}};
  for (const auto& [at, text] : typed) {
    select(at.first, at.second);
    type(text);
  }
  EXPECT_EQ(stored()[6].text[1], "2");  // never written
  select(1, 2);
  {
    test::MessageBoxWatcher box;
    win->closeButton()->click();
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.text, QStringLiteral("結果マスタの数字に誤りがあります。"));
    EXPECT_EQ(box.title, QStringLiteral("メッセ－ジ"));
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    // under the message: which cell holds what, why, and the two ways on
    EXPECT_TRUE(box.informative.startsWith(QStringLiteral("第3回の第4数字「0」：この数字は保存されていません。")))
        << box.informative.toStdString();
    EXPECT_TRUE(box.informative.contains(QStringLiteral("破棄して終了"))) << box.informative.toStdString();
    EXPECT_EQ(grid()->currentIndex(), cell(3, 5));
  }
  select(3, 5);
  QTest::keyClick(grid(), Qt::Key_Delete);  // an empty cell is accepted
  select(7, 3);
  type("9");
  {
    test::MessageBoxWatcher box;
    win->closeButton()->click();
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(grid()->currentIndex(), cell(8, 7)) << "the bonus is checked like the others";
  }
  for (const auto& [line, col] : {std::pair{8, 7}, std::pair{10, 2}}) {
    select(line, col);
    QTest::keyClick(grid(), Qt::Key_Delete);
  }
  EXPECT_EQ(frm->findChildWindow(WindowId::DataEntry), sub);
  win->closeButton()->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->findChildWindow(WindowId::DataEntry) == nullptr; }));
  EXPECT_TRUE(frm->openWindowCaptions().isEmpty());
  EXPECT_EQ(stored()[6].text[1], "9");
  EXPECT_EQ(stored()[7].text[5], "");
}

// The prize of a draw typed cell by cell: kept, marked, until the eight
// figures agree, then written together; a figure that is none stays
// unwritten, and 閉じる says so in plain words.
TEST_F(EntryWindowTest, PrizesTypedAreWrittenWhenTheEightAgree) {
  const char* figures[] = {"0", "0", "14", "258,300", "1,032", "１１２００", "21766", "1000"};
  for (int f = 0; f < 7; ++f) enter(58, kFirstPrizeColumn + f, QString::fromUtf8(figures[f]));
  EXPECT_EQ(stored()[57].prize, PrizeTexts{}) << "seven figures are no prize yet";
  EXPECT_EQ(model()->unsavedCount(), 7);
  EXPECT_EQ(cell(58, kFirstPrizeColumn).data(Qt::BackgroundRole).value<QColor>(), EntryGrid::wrongBack());
  EXPECT_TRUE(model()->problem(58, kFirstPrizeColumn).contains(QStringLiteral("8つがそろうと保存されます")))
      << model()->problem(58, kFirstPrizeColumn).toStdString();
  enter(58, kLastPrizeColumn, QStringLiteral("1000"));
  EXPECT_EQ(stored()[57].prize, (PrizeTexts{"0", "0", "14", "258300", "1032", "11200", "21766", "1000"}));
  EXPECT_EQ(model()->unsavedCount(), 0);
  EXPECT_EQ(cell(58, kFirstPrizeColumn + 3).data(Qt::DisplayRole).toString(), QStringLiteral("258,300"));
  EXPECT_EQ(cell(58, kFirstPrizeColumn + 3).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
  // a negative count is never written; the file keeps the stored prize
  enter(58, kFirstPrizeColumn + 2, QStringLiteral("-14"));
  EXPECT_EQ(stored()[57].prize[2], "14");
  EXPECT_TRUE(model()->problem(58, kFirstPrizeColumn + 2).contains(QStringLiteral("0以上の整数")));
  test::MessageBoxWatcher box;
  win->closeButton()->click();
  ASSERT_TRUE(box.seen);
  EXPECT_EQ(box.text, QStringLiteral("当選金に誤りがあります。"));
  EXPECT_TRUE(box.informative.startsWith(QStringLiteral("第58回の2等口数「-14」："))) << box.informative.toStdString();
  EXPECT_EQ(grid()->currentIndex(), cell(58, kFirstPrizeColumn + 2));
  // emptied, all eight: the draw has no prize
  for (int c = kFirstPrizeColumn; c <= kLastPrizeColumn; ++c) enter(58, c, QString());
  EXPECT_EQ(stored()[57].prize, PrizeTexts{});
  EXPECT_EQ(model()->unsavedCount(), 0);
}

// Closing otherwise than by 閉じる with texts never written asks: 修正する
// keeps the window (and the program, on 終了) open on the first of them;
// 破棄して終了 drops them and closes, the file as it was.
TEST_F(EntryWindowTest, ClosingWithUnsavedTextsAsksToCorrectOrDiscard) {
  const auto before = stored();
  select(3, 3);
  type("abc");
  select(2, 2);
  type("0");
  struct Case {
    QMessageBox::StandardButton answer;
    bool byEnd;  // 終了 of the main window, else the close box
  };
  for (const Case c :
       {Case{QMessageBox::Retry, true}, Case{QMessageBox::Retry, false}, Case{QMessageBox::Discard, false}}) {
    select(10, 4);
    test::MessageBoxWatcher box(c.answer);
    if (c.byEnd)
      frm->close();
    else
      sub->close();
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.buttons, (QStringList{QStringLiteral("修正する"), QStringLiteral("破棄して終了")}));
    EXPECT_NE(box.text.indexOf(QStringLiteral("2件")), -1) << box.text.toStdString();
    if (c.answer == QMessageBox::Discard) break;
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->findChildWindow(WindowId::DataEntry), sub);
    EXPECT_EQ(grid()->currentIndex(), cell(2, 2));  // the first of them
    EXPECT_EQ(shown(3, 3), "abc");
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->findChildWindow(WindowId::DataEntry) == nullptr; }));
  EXPECT_TRUE(frm->openWindowCaptions().isEmpty());
  const auto after = stored();
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(after[i].line(), before[i].line());
}

// A number the line already holds, a date out of order and a date off the
// draws' calendar stay in the grid, marked with the reason, and are never
// written; a sound date is written as YYYY-MM-DD, full-width digits and
// separators included.
TEST_F(EntryWindowTest, RepeatsAndDatesOutOfOrderStayInTheGridMarked) {
  // line 10 holds 11 2 3 4 5 6, dated 2020-03-10 between 2020-03-03 and 2020-03-17
  // the first Tuesday after today in Japan: a draw that has not been held
  QDate next = QDate::fromString(QString::fromStdString(model()->today()), Qt::ISODate).addDays(1);
  while (next.dayOfWeek() != Qt::Tuesday) next = next.addDays(1);
  const QString ahead = next.toString(Qt::ISODate);
  struct Case {
    int line, col;
    QString typed;
    const char* written;  // what the file then holds; nullptr: nothing written
    const char* says;
  };
  const Case cases[] = {
      {10, 3, QStringLiteral("11"), nullptr, "本数字に同じ数があります。"},
      {10, 7, QStringLiteral("３"), nullptr, "ボーナス数字が本数字と同じです。"},
      {10, 8, QStringLiteral("2020-03-03"), nullptr, "前の回の抽選日"},
      {10, 8, QStringLiteral("2020-03-17"), nullptr, "次の回の抽選日"},
      {10, 8, QStringLiteral("2020-02-30"), nullptr, "暦にある日付"},
      {60, 8, ahead, nullptr, "より後です。まだ行われていない抽せんです。"},
      {10, 8, QStringLiteral("２０２０-０３-１１"), nullptr, "第10回の抽選日 2020-03-11 は水曜日です。"},
      {60, 8, QStringLiteral("２０２１／３／２"), "2021-03-02", ""},  // line 60 held 2021-02-23
  };
  for (const Case& c : cases) {
    enter(c.line, c.col, c.typed);
    const std::string file = stored()[c.line - 1].line()[c.col - 2];
    const QString tip = cell(c.line, c.col).data(Qt::ToolTipRole).toString();
    if (c.written) {
      EXPECT_EQ(file, *c.written ? c.written : c.typed.toStdString()) << c.says;
      EXPECT_EQ(shown(c.line, c.col), file);
      EXPECT_NE(cell(c.line, c.col).data(Qt::BackgroundRole).value<QColor>(), EntryGrid::wrongBack());
    } else {
      EXPECT_EQ(shown(c.line, c.col), c.typed.toStdString());
      EXPECT_NE(file, c.typed.toStdString());
      EXPECT_EQ(cell(c.line, c.col).data(Qt::BackgroundRole).value<QColor>(), EntryGrid::wrongBack());
      EXPECT_NE(tip.indexOf(QString::fromUtf8(c.says)), -1) << tip.toStdString();
    }
  }
  // 閉じる stops at the first text never written
  {
    test::MessageBoxWatcher box;
    win->closeButton()->click();
    ASSERT_TRUE(box.seen);
    EXPECT_EQ(box.text, QStringLiteral("結果マスタの数字に誤りがあります。"));
    EXPECT_EQ(grid()->currentIndex(), cell(10, 3));
  }
  // two numbers change places: the first is kept until the second frees its number, then both are written
  enter(12, 3, QStringLiteral("3"));  // line 12 holds 13 2 3 4 5 6
  EXPECT_EQ(stored()[11].text[1], "2");
  enter(12, 4, QStringLiteral("2"));
  EXPECT_EQ(stored()[11].text, (std::array<std::string, 6>{"13", "3", "2", "4", "5", "6"}));
  EXPECT_EQ(cell(12, 3).data(Qt::BackgroundRole).value<QColor>(), QColor(255, 255, 255));
}

TEST_F(EntryWindowTest, PopupOnlyOnTheHeaderOfOneDataLine) {
  select(5, 2);
  EXPECT_TRUE(rightClickHeader(5));
  EXPECT_TRUE(rightClickHeader(9));  // the line pointed at becomes the selected line
  EXPECT_EQ(grid()->currentIndex().row(), 8);
  // a right-click on a data cell opens nothing
  const QRect r = grid()->visualRect(cell(5, 3));
  QContextMenuEvent onCell(QContextMenuEvent::Mouse, r.center(), grid()->viewport()->mapToGlobal(r.center()));
  QApplication::sendEvent(grid()->viewport(), &onCell);
  EXPECT_FALSE(win->editMenu()->isVisible());
  // several lines selected
  grid()->selectionModel()->select(QItemSelection(cell(5, 2), cell(6, 2)), QItemSelectionModel::ClearAndSelect);
  EXPECT_FALSE(rightClickHeader(5));
  EXPECT_FALSE(win->openEditMenu(5, QPoint()));
  // beyond the last line
  select(5, 2);
  EXPECT_FALSE(win->openEditMenu(60, QPoint()));
  EXPECT_FALSE(win->openEditMenu(-1, QPoint()));
  EXPECT_TRUE(win->openEditMenu(59, QPoint()));
  win->editMenu()->hide();
}

TEST_F(EntryWindowTest, AddLineAfterConfirmation) {
  select(10, 4);
  onLine(9, true, QMessageBox::No);
  EXPECT_EQ(model()->rowCount(), 60);
  EXPECT_EQ(stored().size(), 60u);
  onLine(9, true);
  EXPECT_EQ(model()->rowCount(), 61);
  EXPECT_EQ(grid()->currentIndex(), cell(11, 4));  // the new line, in the remembered column
  EXPECT_EQ(shown(11, 1), "11");
  EXPECT_EQ(shown(11, 2), "");
  EXPECT_EQ(shown(12, 1), "12");
  EXPECT_EQ(shown(12, 2), std::to_string(11 % 31 + 1));  // old draw 11 moved up
  const auto rows = stored();
  ASSERT_EQ(rows.size(), 61u);
  EXPECT_EQ(rows[10].no, 11);
  EXPECT_EQ(rows[10].text, (std::array<std::string, 6>{}));
  EXPECT_EQ(rows.back().no, 61);
  // type the new draw in; an empty line is accepted on closing
  type("7");
  EXPECT_EQ(stored()[10].text[2], "7");
}

TEST_F(EntryWindowTest, AddAtTheEndThenDeleteGivesBackTheHistoryAndADeleteMovesTheLaterDrawsDown) {
  const auto before = stored();
  select(60, 2);
  onLine(59, true);
  EXPECT_EQ(shown(61, 1), "61");
  EXPECT_EQ(shown(61, 8), "2021-03-02");  // a week after the line before
  EXPECT_EQ(stored()[60].date, "2021-03-02");
  type("3");
  EXPECT_EQ(stored()[60].text[0], "3");
  onLine(60, false, QMessageBox::No);
  EXPECT_EQ(stored().size(), 61u);
  onLine(60, false);
  EXPECT_EQ(model()->rowCount(), 60);
  const auto after = stored();
  ASSERT_EQ(after.size(), before.size());
  for (size_t i = 0; i < after.size(); ++i) {
    EXPECT_EQ(after[i].no, before[i].no);
    EXPECT_EQ(after[i].text, before[i].text);
  }
  onLine(4, false);  // line 5: the draws after it move down
  const auto rows = stored();
  ASSERT_EQ(rows.size(), 59u);
  EXPECT_EQ(rows[4].no, 5);
  EXPECT_EQ(rows[4].text[0], std::to_string(6 % 31 + 1));  // old draw 6
  EXPECT_EQ(rows.back().no, 59);
  EXPECT_EQ(shown(5, 1), "5");
  EXPECT_EQ(shown(5, 2), rows[4].text[0]);
}

TEST_F(EntryWindowTest, ReadOnlyDatabaseIsRefusedWithAMessage) {
  TearDown();
  test::MessageBoxWatcher box;
  start(true);
  ASSERT_TRUE(QTest::qWaitFor([&] { return box.seen; }));
  EXPECT_NE(box.text.indexOf(QStringLiteral("読み取り専用")), -1) << box.text.toStdString();
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm->findChildWindow(WindowId::DataEntry) == nullptr; }));
  EXPECT_TRUE(frm->openWindowCaptions().isEmpty());
}

TEST_F(EntryWindowTest, EmptyHistoryOffersTheFirstLine) {
  draws.clear();
  TearDown();
  start();
  EXPECT_EQ(model()->rowCount(), 0);
  EXPECT_FALSE(win->openEditMenu(0, QPoint()));
  QHeaderView* vh = grid()->verticalHeader();
  QContextMenuEvent ev(QContextMenuEvent::Mouse, QPoint(5, 5), vh->viewport()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(vh->viewport(), &ev);
  ASSERT_TRUE(win->editMenu()->isVisible());
  EXPECT_FALSE(win->delLineAction()->isEnabled());
  win->editMenu()->hide();
  {
    test::MessageBoxWatcher box(QMessageBox::Yes);
    win->addLineAction()->trigger();
    ASSERT_TRUE(box.seen);
  }
  ASSERT_EQ(model()->rowCount(), 1);
  EXPECT_EQ(shown(1, 1), "1");
  type("12");
  const auto rows = stored();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].no, 1);
  EXPECT_EQ(rows[0].text[0], "12");
  // with a line, the usual conditions hold again
  EXPECT_TRUE(win->openEditMenu(0, QPoint()));
  EXPECT_TRUE(win->delLineAction()->isEnabled());
  win->editMenu()->hide();
}

// A write refused by another program's lock, or because another writer moved
// the lines meanwhile, is told; the window then shows what the file holds and
// no other draw is changed.
TEST(EntryWindowAlone, AWriteRefusedOrOvertakenKeepsEveryStoredValue) {
  struct Case {
    bool moved;  // another writer deleted draw 1 (else it holds the lock)
    const char* says;
  };
  for (const Case c : {Case{false, "編集中"}, Case{true, "ほかのプログラムで変更"}}) {
    test::ProgramFolder folder(test::draws({{1, {1, 2, 3, 4, 5, 6}}, {2, {7, 8, 9, 10, 11, 12}}}));
    const ConnectString cs = makeConnectString(folder.dir.string());
    DataEntryWindow win(windowRow(WindowId::DataEntry).def, cs, nullptr, 50);
    win.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !win.opening(); }, 30000));
    win.model()->store()->releaseWriteLock();
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open_v2(cs.path.c_str(), &other, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
    ASSERT_TRUE(keyConnection(other, databasePassword()));
    ASSERT_EQ(sqlite3_exec(
                  other,
                  c.moved ? "DELETE FROM 当選データ WHERE 回数 = 1; UPDATE 当選データ SET 回数 = 1" : "BEGIN EXCLUSIVE",
                  nullptr, nullptr, nullptr),
              SQLITE_OK);
    test::MessageBoxWatcher box;
    win.grid()->setFocus();
    win.grid()->setCurrentIndex(win.model()->index(0, 1));
    QTest::keyClick(win.grid(), '9');
    QTest::keyClick(win.grid()->indexWidget(win.grid()->currentIndex()), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return box.seen; }));
    EXPECT_NE(box.text.indexOf(QString::fromUtf8(c.says)), -1) << box.text.toStdString();
    EXPECT_EQ(box.title, QStringLiteral("メッセ－ジ"));
    EXPECT_EQ(win.model()->cellText(1, 2), c.moved ? "7" : "1");
    EXPECT_EQ(win.model()->rowCount(), c.moved ? 1 : 2);
    EXPECT_EQ(win.model()->unsavedCount(), 0);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    std::string error;
    std::vector<EntryRow> rows;
    ASSERT_EQ(EntryStore::openToRead(cs, error)->readAll(rows), "");
    EXPECT_EQ(rows[0].text[0], c.moved ? "7" : "1");
  }
}

TEST_F(EntryWindowTest, UnsavedTextsStayOnTheirLinesWhenLinesMove) {
  select(20, 3);
  type("33");
  select(5, 2);
  onLine(4, true);
  EXPECT_EQ(shown(21, 3), "33");
  EXPECT_EQ(shown(21, 1), "21");  // old draw 20, moved up with its text
  EXPECT_EQ(shown(20, 3), "2");
  onLine(2, false);
  EXPECT_EQ(shown(20, 3), "33");
  EXPECT_EQ(model()->unsavedCount(), 1);
  EXPECT_EQ(stored()[19].text[1], "2");
}

// Ctrl+V puts a tab-separated block in from the current cell: sound values
// are written, anything else stays in the grid, marked, and never reaches the
// database; the draw-number column and cells past the grid are left alone.
// Ctrl+C takes the selected block out as the other grids do.
TEST_F(EntryWindowTest, PasteChecksEveryValueAndCopyGivesTheBlock) {
  select(2, 2);
  QApplication::clipboard()->setText(QStringLiteral("9\t８\t32\n5.0\t\t9\n"));
  QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(shown(2, 2), "9");
  EXPECT_EQ(shown(2, 3), "8");
  EXPECT_EQ(shown(2, 4), "32");  // kept in the grid only
  EXPECT_EQ(shown(3, 2), "5.0");
  EXPECT_EQ(shown(3, 3), "");
  EXPECT_EQ(shown(3, 4), "9");
  EXPECT_EQ(model()->unsavedCount(), 2);
  const std::vector<EntryRow> rows = stored();
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[1].text[0], "9");
  EXPECT_EQ(rows[1].text[1], "8");
  EXPECT_EQ(rows[1].text[2], "4") << "an unsound value is never written";
  EXPECT_EQ(rows[2].text[0], draws[2].n[0] ? std::to_string(*draws[2].n[0]) : "");
  EXPECT_EQ(rows[2].text[1], "");
  EXPECT_EQ(rows[2].text[2], "9");

  // into the last line and past it, and over the draw-number column
  select(60, 6);
  QApplication::clipboard()->setText(QStringLiteral("1\t9\t2020-01-07\t3\n4\t5\t6"));
  QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(shown(60, 6), "1");
  EXPECT_EQ(shown(60, 7), "9");
  EXPECT_EQ(shown(60, 8), "2020-01-07");  // not after the line before: kept in the grid only
  EXPECT_EQ(model()->rowCount(), 60);
  select(5, 1);
  QApplication::clipboard()->setText(QStringLiteral("99\t10"));
  QTest::keyClick(grid(), Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(shown(5, 1), "5");
  EXPECT_EQ(shown(5, 2), "10");

  grid()->selectionModel()->select(QItemSelection(cell(2, 1), cell(3, 3)), QItemSelectionModel::ClearAndSelect);
  QTest::keyClick(grid(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("2\t9\t8\n3\t5.0\t\n"));
  EXPECT_TRUE(QApplication::clipboard()->mimeData()->hasHtml());
}
