// Child windows arranged by the ウィンドウ menu, made smaller and maximised,
// and the lines of their labels.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QProxyStyle>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <map>
#include <memory>
#include <set>

#include "app/fonts.h"
#include "app/main_frm.h"
#include "frame/ui/analysis_window.h"
#include "frame/ui/grid_view.h"
#include "frame/ui/wrapped_label.h"
#include "prediction/core/prediction_methods.h"
#include "prediction/core/prediction_state.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"
#include "windows/window_table.h"

using namespace km;

namespace {

struct Arranged : ::testing::Test {
  static inline test::ProgramFolder* folder = nullptr;
  static void SetUpTestSuite() { folder = new test::ProgramFolder(test::rotatingDraws(400)); }
  static void TearDownTestSuite() {
    delete folder;
    folder = nullptr;
  }
  MainFrm frm{folder->path(), folder->settings()};
  test::ProgramStart start{*folder};
  void SetUp() override {
    ASSERT_TRUE(start.run(frm));
    test::closePredictionWindow(frm);
    frm.resize(1200, 900);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frm));
  }
  QMdiSubWindow* open(const std::string& name) {
    QMdiSubWindow* w = frm.openWindow(findWindow(name)->id);
    EXPECT_TRUE(w) << name;
    QApplication::sendPostedEvents();
    return w;
  }
  GridView* grid(QMdiSubWindow* w) { return qobject_cast<AnalysisWindow*>(w->widget())->gridView(); }
};

int titleBar(const QMdiSubWindow* w) { return w->widget()->mapTo(w, QPoint(0, 0)).y(); }

}  // namespace

// Whichever window is in front, a cascade keeps it in front and leaves
// every title bar in view above the windows after it.
TEST_F(Arranged, CascadeShowsEveryCaptionInStackingOrder) {
  for (const char* front : {"一発ゼノバ", "出現回数分析"}) {
    SCOPED_TRACE(front);
    for (const char* name : {"一発ゼノバ", "出現回数分析", "引っ張り分析", "数字合計分析"}) open(name);
    QMdiSubWindow* active = open(front);
    frm.arrangeWindows(MainFrm::Arrangement::Cascade);
    const QList<QMdiSubWindow*> order = frm.mdiArea()->subWindowList(QMdiArea::StackingOrder);
    ASSERT_EQ(order.size(), 4);
    EXPECT_EQ(order.last(), active);
    EXPECT_EQ(frm.mdiArea()->activeSubWindow(), active);
    const QRect room = frm.mdiArea()->viewport()->rect();
    for (int i = 0; i < order.size(); ++i) {
      const QRect caption(order[i]->pos(), QSize(order[i]->width(), titleBar(order[i])));
      EXPECT_TRUE(room.contains(order[i]->geometry())) << i;
      if (i > 0) {
        EXPECT_GT(order[i]->y(), order[i - 1]->y()) << i;
      }
      for (int j = i + 1; j < order.size(); ++j) {
        EXPECT_FALSE(order[j]->geometry().intersects(caption))
            << order[j]->objectName().toStdString() << " hides " << order[i]->objectName().toStdString();
      }
    }
    frm.mdiArea()->closeAllSubWindows();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// Both tiles share the area among all windows, the prediction window too.
TEST_F(Arranged, TilesShareTheAreaWithThePredictionWindow) {
  for (const char* name : {"一発ゼノバ", "出現回数分析", "引っ張り分析"}) open(name);
  const QRect room = frm.mdiArea()->viewport()->rect();
  for (int mode : {1, 2}) {
    SCOPED_TRACE(mode);
    frm.arrangeWindows(mode == 1 ? MainFrm::Arrangement::Stacked : MainFrm::Arrangement::SideBySide);
    int covered = 0;
    for (QMdiSubWindow* w : frm.mdiArea()->subWindowList()) {
      EXPECT_EQ(mode == 1 ? w->width() : w->height(), mode == 1 ? room.width() : room.height());
      EXPECT_NEAR(mode == 1 ? w->height() : w->width(), (mode == 1 ? room.height() : room.width()) / 3.0, 1);
      covered += w->width() * w->height();
    }
    EXPECT_EQ(covered, room.width() * room.height());
  }
}

// A window smaller than its grid shows the scroll bar that reaches the cells
// out of view, whatever the grid's own setting; at the designed size it
// shows only the bars it needs.
TEST_F(Arranged, AGridSmallerThanItsCellsShowsTheBarsItNeeds) {
  const struct {
    const char* window;
    QSize size;  // 0: the designed size
    bool horizontal, vertical;
  } cases[] = {{"出現回数分析", {}, false, true},    {"出現回数分析", {300, 500}, true, true},
               {"回数別出現分析", {}, false, false}, {"回数別出現分析", {150, 200}, true, true},
               {"出現頻度分析", {}, true, false},    {"出現頻度分析", {600, 300}, true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.window) + " " + std::to_string(c.size.width()));
    QMdiSubWindow* w = open(c.window);
    if (!c.size.isEmpty()) w->resize(c.size);
    QApplication::sendPostedEvents();
    GridView* v = grid(w);
    EXPECT_EQ(v->horizontalScrollBar()->isVisible(), c.horizontal);
    EXPECT_EQ(v->verticalScrollBar()->isVisible(), c.vertical);
    if (c.horizontal) {  // the last column can be brought into view
      v->horizontalScrollBar()->setValue(v->horizontalScrollBar()->maximum());
      EXPECT_LE(v->columnX(v->grid()->maxCols() + 1) - v->horizontalScrollBar()->value(), v->viewport()->width());
    }
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// Maximised, the grid shows more rows and the close button stays right
// under it, at its right edge.
TEST_F(Arranged, AMaximisedWindowKeepsItsContentTogether) {
  frm.resize(1600, 1200);
  QApplication::sendPostedEvents();
  for (const char* name : {"出現回数分析", "出現頻度分析", "分割6データ分析"}) {
    SCOPED_TRACE(name);
    QMdiSubWindow* w = open(name);
    w->showNormal();  // a window opened after a maximised one opens maximised
    GridView* v = grid(w);
    const QSize designed = v->size();
    w->showMaximized();
    QApplication::sendPostedEvents();
    QPushButton* close = qobject_cast<AnalysisWindow*>(w->widget())->closeButton();
    const QRect g(v->mapTo(w, QPoint(0, 0)), v->size()), b(close->mapTo(w, QPoint(0, 0)), close->size());
    EXPECT_GE(v->width(), designed.width());
    EXPECT_GE(v->height(), designed.height());
    EXPECT_GT(v->width() * v->height(), designed.width() * designed.height()) << "more cells in view";
    EXPECT_LT(b.top() - g.bottom(), 12) << "the button right under the grid";
    EXPECT_NEAR(b.right(), g.right(), 1) << "at the grid's right edge";
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
}

// At the designed sizes no label breaks inside a word; the prediction
// window's captions break before their brackets or not at all.
TEST_F(Arranged, LabelsBreakBetweenWords) {
  std::map<QString, QStringList> expected;
  for (int i = 0; i < 3; ++i) {
    const QString caption = QString::fromUtf8(kPredictionGridCaptions[i]);
    const int open = static_cast<int>(caption.indexOf(QLatin1Char('(')));
    expected[caption] = {caption.left(open), caption.mid(open)};
  }
  for (const char* c : kSettingCaptions) {
    const QString caption = QString::fromUtf8(c);
    const int open = static_cast<int>(caption.indexOf(QStringLiteral("（")));
    expected[caption] = open < 0 ? QStringList{caption} : QStringList{caption.left(open), caption.mid(open)};
  }
  int checked = 0;
  for (const WindowRow& row : windowTable()) {
    const WindowDef& def = row.def;
    QMdiSubWindow* w = open(def.name);
    for (const WrappedLabel* label : w->findChildren<WrappedLabel*>()) {
      const QString text = label->text();
      const QStringList lines = label->lines();
      EXPECT_EQ(lines.isEmpty(), text.isEmpty()) << def.name;
      if (auto it = expected.find(text); it != expected.end()) {
        EXPECT_EQ(lines, it->second) << text.toStdString();
        ++checked;
      }
      std::set<int> words;
      for (const auto& b : wordBreaks(text)) words.insert(b.first);
      int at = 0;
      for (int i = 0; i + 1 < lines.size(); ++i) {
        at += static_cast<int>(lines[i].size());
        EXPECT_TRUE(words.count(at)) << def.name << ": \"" << text.toStdString() << "\" breaks after \""
                                     << lines[i].toStdString() << "\"";
      }
    }
    w->close();
    ASSERT_TRUE(test::runQueuedCalls());
  }
  EXPECT_EQ(checked, static_cast<int>(expected.size()));
}

// Dialog buttons show their text alone, even where the desktop's theme
// would give them icons.
TEST(DialogButtons, CarryNoIcons) {
  struct IconsStyle : QProxyStyle {
    int styleHint(StyleHint h, const QStyleOption* o, const QWidget* w, QStyleHintReturn* r) const override {
      return h == SH_DialogButtonBox_ButtonsHaveIcons ? 1 : QProxyStyle::styleHint(h, o, w, r);
    }
  };
  const std::unique_ptr<QStyle> plain(withPlainDialogButtons(new IconsStyle));
  EXPECT_EQ(plain->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 0);
  EXPECT_EQ(QApplication::style()->styleHint(QStyle::SH_DialogButtonBox_ButtonsHaveIcons), 0);
  QMessageBox box(QMessageBox::Warning, QStringLiteral("メッセ－ジ"), QStringLiteral("x"),
                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok);
  for (QAbstractButton* b : box.buttons()) EXPECT_TRUE(b->icon().isNull()) << b->text().toStdString();
}
