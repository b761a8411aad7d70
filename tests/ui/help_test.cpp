// The help (keyword lookup in the built collection file, the help window, F1)
// and the About dialog.
#include <gtest/gtest.h>

#include <QAction>
#include <QCryptographicHash>
#include <QFile>
#include <QFontInfo>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpEngineCore>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolButton>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app/main_frm.h"
#include "frame/ui/child_frame.h"
#include "help/about_dialog.h"
#include "help/help_window.h"
#include "store/sqlite/database.h"
#include "tests/core/test_history.h"
#include "tests/ui/ui_helpers.h"
#include "windows/window_table.h"

using namespace km;

namespace {

const QString kBuiltFolder = QStringLiteral(KM_PROGRAM_FOLDER);

QString builtCollection() { return QDir(kBuiltFolder).filePath(QString::fromUtf8(kHelpCollectionFile)); }

HelpWindow* helpOf(const MainFrm& frm) { return qobject_cast<HelpWindow*>(frm.helpWindow()); }

std::vector<Draw> someDraws() {
  return test::draws({{1, {1, 3, 17, 20, 25, 26}}, {2, {2, 11, 12, 21, 30, 28}}, {3, {1, 8, 10, 24, 30, 28}}});
}

struct WindowPage {
  WindowId id;
  QString caption, title;
};

// Every child window with its caption and the title of the page that F1 shows for it.
std::vector<WindowPage> captionsAndPages() {
  std::vector<WindowPage> out;
  for (const WindowRow& w : windowTable()) {
    const QString caption = QString::fromStdString(w.def.caption);
    out.push_back({w.id, caption, caption});
  }
  out.push_back({WindowId::Charts, QStringLiteral("グラフ"), QStringLiteral("グラフ")});
  out.push_back({WindowId::DataEntry, QStringLiteral("当選データ入力"), QStringLiteral("当選データ入力")});
  out.push_back({WindowId::About, QStringLiteral("バージョン情報"), QStringLiteral("カズマキについて")});
  return out;
}

QString pageTitle(const QHelpEngineCore& engine, const QUrl& url) {
  QTextDocument doc;
  doc.setHtml(QString::fromUtf8(engine.fileData(url)));
  return doc.metaInformation(QTextDocument::DocumentTitle);
}

QByteArray fileHash(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// A program folder with a database and a copy of the built help.
struct HelpFolder : test::ProgramFolder {
  explicit HelpFolder(bool withHelp = true) : test::ProgramFolder(someDraws()) {
    if (!withHelp) return;
    for (const char* f : {"カズマキM.qch", "カズマキM.qhc"})
      std::filesystem::copy_file(std::filesystem::path(KM_PROGRAM_FOLDER) / f, dir / f);
  }
  QString collection() const { return QString::fromStdString((dir / "カズマキM.qhc").string()); }
};

struct HelpMainFrmTest : ::testing::Test {
  HelpFolder folder;
  MainFrm frm{folder.path(), folder.settings()};
  test::ProgramStart start{folder};
  void SetUp() override {
    ASSERT_TRUE(start.run(frm));
    test::closePredictionWindow(frm);
  }
  QAction* action(const char* name) { return frm.findChild<QAction*>(QString::fromUtf8(name)); }
};

bool processHasLoaded(const char* library) {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line))
    if (line.find(library) != std::string::npos) return true;
  return false;
}

}  // namespace

// --- the built help ---------------------------------------------------------

TEST(HelpFiles, CollectionFileIsBuiltAndFindsTheOverviewAndEveryWindowCaption) {
  ASSERT_TRUE(QFileInfo::exists(builtCollection()));
  ASSERT_TRUE(QFileInfo::exists(QDir(kBuiltFolder).filePath(QStringLiteral("カズマキM.qch"))));
  QHelpEngineCore engine(builtCollection());
  engine.setReadOnly(true);
  ASSERT_TRUE(engine.setupData()) << engine.error().toStdString();

  const QList<QHelpLink> overview = engine.documentsForKeyword(QStringLiteral("カズマキについて"));
  ASSERT_EQ(overview.size(), 1);
  EXPECT_EQ(pageTitle(engine, overview.first().url), QStringLiteral("カズマキについて"));

  for (const auto& [id, caption, title] : captionsAndPages()) {
    const QList<QHelpLink> docs = engine.documentsForKeyword(caption);
    ASSERT_EQ(docs.size(), 1) << caption.toStdString();
    EXPECT_EQ(pageTitle(engine, docs.first().url), title) << caption.toStdString();
  }
  // the menu item whose caption differs from its window's
  const QList<QHelpLink> byCount = engine.documentsForKeyword(QStringLiteral("回数別出現分析"));
  ASSERT_EQ(byCount.size(), 1);
  EXPECT_EQ(pageTitle(engine, byCount.first().url), QStringLiteral("回数別頻度分析"));
  for (const char* topic : {"当選データ最新化", "kazumaki-tool", "周期法", "消去法", "連発予想", "１発予想"})
    EXPECT_EQ(engine.documentsForKeyword(QString::fromUtf8(topic)).size(), 1) << topic;
  EXPECT_TRUE(engine.documentsForKeyword(QStringLiteral("ありえないキーワード")).isEmpty());
}

TEST(HelpFiles, EveryPageHasATitleAndEveryLinkReachesAPageOfTheHelp) {
  QHelpEngineCore engine(builtCollection());
  engine.setReadOnly(true);
  ASSERT_TRUE(engine.setupData());
  ASSERT_EQ(engine.registeredDocumentations().size(), 1);
  const QString ns = engine.registeredDocumentations().first();
  const QList<QUrl> pages = engine.files(ns, QString(), QStringLiteral("html"));
  EXPECT_GE(pages.size(), 24);
  const QRegularExpression href(QStringLiteral("href=\"([^\"#]*)(#[^\"]*)?\""));
  int links = 0;
  for (const QUrl& page : pages) {
    const QString html = QString::fromUtf8(engine.fileData(page));
    EXPECT_FALSE(pageTitle(engine, page).isEmpty()) << page.toString().toStdString();
    for (auto it = href.globalMatch(html); it.hasNext();) {
      const QString target = it.next().captured(1);
      if (target.isEmpty() || target.startsWith(QLatin1String("https:")) || target.startsWith(QLatin1String("http:")))
        continue;
      ++links;
      EXPECT_FALSE(engine.fileData(page.resolved(QUrl(target))).isEmpty())
          << page.toString().toStdString() << " -> " << target.toStdString();
    }
  }
  EXPECT_GT(links, 30);
}

// Qt's SQLite plugin, which the help engine loads, brings the plain SQLite
// library into the process.  Its calls must reach the program's own SQLCipher
// (one SQLite in the process: a lock one copy holds is never dropped by the
// other), and SQLCipher must still read and write the encrypted database.
TEST(HelpFiles, TheHelpEnginesSqliteIsTheProgramsOwnAndTheDatabaseStillOpens) {
  QHelpEngine engine(builtCollection());
  engine.setReadOnly(true);
  ASSERT_TRUE(engine.setupData()) << engine.error().toStdString();
  ASSERT_FALSE(engine.documentsForKeyword(QStringLiteral("カズマキについて")).isEmpty());
  EXPECT_TRUE(processHasLoaded("libsqlite3")) << "the help engine did not load Qt's SQLite plugin";
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("which-sqlite"));
    db.setDatabaseName(QStringLiteral(":memory:"));
    ASSERT_TRUE(db.open());
    QSqlQuery q(QStringLiteral("PRAGMA cipher_version"), db);
    ASSERT_TRUE(q.next()) << "Qt's SQLite driver runs the system's SQLite, not the program's SQLCipher";
    EXPECT_FALSE(q.value(0).toString().isEmpty());
  }
  QSqlDatabase::removeDatabase(QStringLiteral("which-sqlite"));

  test::ProgramFolder folder(someDraws());  // written by SQLCipher after the plugin came in
  const ConnectString cs = makeConnectString(folder.dir.string());
  std::ifstream in(cs.path, std::ios::binary);
  char header[16] = {};
  in.read(header, sizeof header);
  EXPECT_NE(std::string(header, 15), "SQLite format 3") << "the database was written unencrypted";

  LoadResult r = loadHistory(cs);
  ASSERT_TRUE(r.ok) << r.message;
  ASSERT_EQ(r.rows.size(), 3u);
  EXPECT_EQ(r.rows[2].no, 3);
  EXPECT_EQ(r.rows[2].n[5], 28);
  ConnectString wrong = cs;
  wrong.password = "000000";
  EXPECT_FALSE(loadHistory(wrong).ok);

  // and the whole program starts on it
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start(folder);
  EXPECT_TRUE(start.run(frm));
  EXPECT_EQ(frm.history().recordCount(), 3);
}

// --- the help window --------------------------------------------------------

TEST_F(HelpMainFrmTest, HelpMenuOpensTheIndexAtTheOverviewKeywordAndItsPage) {
  const QByteArray before = fileHash(folder.collection());
  action("actionHelp")->trigger();
  HelpWindow* help = helpOf(frm);
  ASSERT_NE(help, nullptr);
  ASSERT_TRUE(help->isReady()) << help->errorText().toStdString();
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("カズマキについて"));
  EXPECT_EQ(help->tabs()->currentIndex(), 1);
  EXPECT_EQ(help->indexFilter()->text(), QStringLiteral("カズマキについて"));
  QHelpIndexWidget* index = help->engine()->indexWidget();
  ASSERT_TRUE(QTest::qWaitFor([&] { return index->currentIndex().isValid(); }));
  EXPECT_EQ(index->currentIndex().data().toString(), QStringLiteral("カズマキについて"));
  EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("ミニロト")));

  // the page's style sheet comes from the help too: headings are dark blue
  QTextCursor heading(help->browser()->document());
  heading.movePosition(QTextCursor::NextCharacter);
  EXPECT_EQ(heading.charFormat().foreground().color(), QColor(0, 0, 128));

  // the same window again, not a second one, and no second history entry
  action("actionHelp")->trigger();
  EXPECT_EQ(frm.helpWindow(), help);
  EXPECT_FALSE(help->browser()->isBackwardAvailable());
  help->close();
  EXPECT_EQ(fileHash(folder.collection()), before) << "the help must not write to the program folder";
}

TEST_F(HelpMainFrmTest, ContentsBackForwardAndHome) {
  frm.showHelp(QStringLiteral("出現間隔分析"));
  HelpWindow* help = helpOf(frm);
  ASSERT_NE(help, nullptr);
  auto* back = help->findChild<QToolButton*>(QStringLiteral("helpBack"));
  auto* forward = help->findChild<QToolButton*>(QStringLiteral("helpForward"));
  auto* home = help->findChild<QToolButton*>(QStringLiteral("helpHome"));
  ASSERT_TRUE(back && forward && home);
  EXPECT_FALSE(back->isEnabled());

  // the contents hold every page under the overview
  QHelpContentModel* model = help->engine()->contentModel();
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount() == 1; }));
  const QModelIndex top = model->index(0, 0);
  EXPECT_EQ(top.data().toString(), QStringLiteral("カズマキについて"));
  const QModelIndexList found =
      model->match(top, Qt::DisplayRole, QStringLiteral("数字間隔分析"), 1, Qt::MatchExactly | Qt::MatchRecursive);
  ASSERT_EQ(found.size(), 1);
  QMetaObject::invokeMethod(help->engine()->contentWidget(), "activated", Q_ARG(QModelIndex, found.first()));
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("数字間隔分析"));

  EXPECT_TRUE(back->isEnabled());
  back->click();
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("出現間隔分析"));
  EXPECT_TRUE(forward->isEnabled());
  forward->click();
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("数字間隔分析"));
  home->click();
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("カズマキについて"));

  // the keyword index: type a word, Return opens its page
  help->indexFilter()->setText(QStringLiteral("飛び石"));
  QHelpIndexWidget* index = help->engine()->indexWidget();
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return index->currentIndex().isValid() && index->currentIndex().data().toString() == QStringLiteral("飛び石");
  }));
  QTest::keyClick(help->indexFilter(), Qt::Key_Return);
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("連番・飛び石分析"));

  // a link inside a page
  help->showKeyword(QStringLiteral("データ分析"));
  help->browser()->setSource(help->browser()->source().resolved(QUrl(QStringLiteral("consecutive.html"))));
  EXPECT_EQ(help->browser()->documentTitle(), QStringLiteral("連番・飛び石分析"));
}

// The contents show every title whole, the longest at its depth included.
TEST_F(HelpMainFrmTest, ContentsShowWholeTitles) {
  frm.showHelp(QStringLiteral("出現間隔分析"));
  HelpWindow* help = helpOf(frm);
  ASSERT_NE(help, nullptr);
  help->tabs()->setCurrentIndex(0);
  QHelpContentWidget* tree = help->engine()->contentWidget();
  QHelpContentModel* model = help->engine()->contentModel();
  ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount() == 1 && tree->isExpanded(model->index(0, 0)); }));
  QApplication::sendPostedEvents();
  int titles = 0;
  std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
    for (int r = 0; r < model->rowCount(parent); ++r) {
      const QModelIndex i = model->index(r, 0, parent);
      ++titles;
      const int need = tree->visualRect(i).left() + tree->fontMetrics().horizontalAdvance(i.data().toString());
      EXPECT_LE(need, tree->viewport()->width()) << i.data().toString().toStdString();
      walk(i);
    }
  };
  walk(QModelIndex());
  EXPECT_GT(titles, 20);
}

TEST_F(HelpMainFrmTest, FullTextSearchFindsJapaneseWordsInsideSentences) {
  frm.showHelp(QString::fromUtf8(kHelpOverviewKeyword));
  HelpWindow* help = helpOf(frm);
  ASSERT_NE(help, nullptr);
  auto titles = [&](const QString& words) {
    QStringList t;
    for (const HelpSearchHit& h : help->search(words)) t << h.title;
    return t;
  };
  EXPECT_TRUE(titles(QStringLiteral("周期法")).contains(QStringLiteral("一発ゼノバ予想")));
  EXPECT_TRUE(titles(QStringLiteral("飛び石")).contains(QStringLiteral("連番・飛び石分析")));
  QStringList backup = titles(QStringLiteral("Kazumaki.mdb.bak"));
  backup.sort();
  EXPECT_EQ(backup, (QStringList{QStringLiteral("kazumaki-tool"), QStringLiteral("当選データ最新化")}));
  EXPECT_TRUE(titles(QStringLiteral("存在しない語ｘｙｚ")).isEmpty());
  EXPECT_TRUE(titles(QStringLiteral("  ")).isEmpty());
  // every word must be on the page
  EXPECT_TRUE(titles(QStringLiteral("周期法 import-csv")).isEmpty());

  // through the window: type, search, open the first hit
  help->searchInput()->setText(QStringLiteral("ボーナス数字を加えた"));
  QTest::keyClick(help->searchInput(), Qt::Key_Return);
  ASSERT_GE(help->searchResults()->count(), 1);
  QListWidgetItem* first = help->searchResults()->item(0);
  emit help->searchResults()->itemClicked(first);
  EXPECT_EQ(help->browser()->documentTitle(), first->text());
  EXPECT_TRUE(help->browser()->textCursor().hasSelection()) << "the word is highlighted";
}

TEST_F(HelpMainFrmTest, F1InAChildWindowOpensThatWindowsPage) {
  frm.show();
  for (const auto& [id, caption, title] : captionsAndPages()) {
    QMdiSubWindow* sub = frm.openWindow(id);
    ASSERT_NE(sub, nullptr);
    frm.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
    QTest::keyClick(sub->widget(), Qt::Key_F1);
    HelpWindow* help = helpOf(frm);
    ASSERT_NE(help, nullptr) << caption.toStdString();
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->browser()->documentTitle(), title) << caption.toStdString();
    sub->close();
  }
  // with no child window: the overview
  helpOf(frm)->showKeyword(QStringLiteral("出現間隔分析"));
  frm.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&frm));
  QTest::keyClick(&frm, Qt::Key_F1);
  EXPECT_EQ(helpOf(frm)->browser()->documentTitle(), QStringLiteral("カズマキについて"));
}

TEST(HelpMissing, HelpMenuWithoutTheHelpFilesSaysWhichFileIsMissing) {
  HelpFolder folder(false);
  MainFrm frm(folder.path(), folder.settings());
  test::ProgramStart start(folder);
  ASSERT_TRUE(start.run(frm));
  test::MessageBoxWatcher box;
  frm.findChild<QAction*>(QStringLiteral("actionHelp"))->trigger();
  EXPECT_TRUE(box.seen);
  EXPECT_EQ(box.title, QStringLiteral("メッセ－ジ"));
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_TRUE(box.text.contains(folder.collection())) << box.text.toStdString();
  EXPECT_TRUE(box.text.contains(QStringLiteral("見つかりません")));
  EXPECT_EQ(frm.helpWindow(), nullptr);
  EXPECT_FALSE(QFileInfo::exists(folder.collection())) << "no empty collection file may be created";
}

TEST(HelpMissing, DamagedCollectionFileGivesAMessageNotACrash) {
  HelpFolder folder(false);
  {
    QFile f(folder.collection());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("this is not a help collection");
  }
  HelpWindow help(folder.collection());
  EXPECT_FALSE(help.isReady());
  EXPECT_TRUE(help.errorText().contains(folder.collection()));
  EXPECT_FALSE(help.showKeyword(QStringLiteral("カズマキについて")));
  EXPECT_TRUE(help.search(QStringLiteral("周期法")).isEmpty());
}

// --- the About dialog -------------------------------------------------------

TEST_F(HelpMainFrmTest, AboutDialogShowsItsFourLabelsAndCloses) {
  frm.show();
  action("actionAbout")->trigger();
  auto* sub = qobject_cast<ChildFrame*>(frm.mdiArea()->activeSubWindow());
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->windowTitle(), QStringLiteral("バージョン情報"));
  EXPECT_EQ(sub->pos(), QPoint(0, 0));
  const WindowDef& def = windowRow(WindowId::About).def;
  EXPECT_EQ(sub->size(), ChildFrame::twipsToPixels(sub, def.width, def.height));
  auto* about = qobject_cast<AboutDialog*>(sub->widget());
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->productLabel()->text(), QStringLiteral("カズマキ"));
  EXPECT_EQ(about->editionLabel()->text(), QStringLiteral("Middle"));
  EXPECT_EQ(about->versionLabel()->text(), QStringLiteral(" Ver2.30"));
  const QString tagline = about->taglineLabel()->text();
  EXPECT_FALSE(tagline.isEmpty());
  EXPECT_FALSE(tagline.contains(QLatin1Char('\n')));
  EXPECT_EQ(about->closeButton()->text(), QStringLiteral("閉じる"));

  // fonts: the product and edition in the Mincho face, the rest in the Gothic face
  for (QLabel* l : {about->productLabel(), about->editionLabel()}) {
    EXPECT_EQ(l->font().family(), QStringLiteral("HGS明朝E"));
    EXPECT_TRUE(l->font().bold());
    EXPECT_EQ(QFontInfo(l->font()).family().toLower(), QFont::substitute(QStringLiteral("HGS明朝E")).toLower());
  }
  for (QLabel* l : {about->versionLabel(), about->taglineLabel()}) {
    EXPECT_EQ(l->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(QFontInfo(l->font()).family().toLower(), QFont::substitute(QStringLiteral("ＭＳ Ｐゴシック")).toLower());
  }
  EXPECT_NE(QFont::substitute(QStringLiteral("HGS明朝E")), QStringLiteral("HGS明朝E"));
  // every text fits its window
  for (QLabel* l : {about->productLabel(), about->editionLabel(), about->versionLabel(), about->taglineLabel()}) {
    EXPECT_TRUE(l->isVisible());
    EXPECT_GE(l->width(), l->sizeHint().width()) << l->text().toStdString();
    EXPECT_GE(l->height(), l->sizeHint().height()) << l->text().toStdString();
    EXPECT_TRUE(sub->rect().contains(l->mapTo(sub, l->rect().bottomRight()))) << l->text().toStdString();
  }

  // it keeps its size: no maximise button, and a double click on its title does not maximise it
  EXPECT_FALSE(sub->windowFlags() & Qt::WindowMaximizeButtonHint);
  QTest::mouseDClick(sub, Qt::LeftButton, {}, QPoint(sub->width() / 2, sub->contentsRect().top() / 2));
  EXPECT_FALSE(sub->isMaximized());

  // one instance; 閉じる closes it
  action("actionAbout")->trigger();
  EXPECT_EQ(frm.mdiArea()->subWindowList().size(), 1);
  about->closeButton()->click();
  EXPECT_TRUE(frm.mdiArea()->subWindowList().isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm.findChildWindow(WindowId::About) == nullptr; }));
}

TEST_F(HelpMainFrmTest, AboutDialogLeavesPropEndAlone) {
  // no data window open: the flag stays set, so data entry remains possible
  EXPECT_TRUE(frm.openWindowCaptions().isEmpty());
  action("actionAbout")->trigger();
  EXPECT_TRUE(frm.openWindowCaptions().isEmpty());
  frm.findChildWindow(WindowId::About)->close();
  EXPECT_TRUE(frm.openWindowCaptions().isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm.findChildWindow(WindowId::About) == nullptr; }));

  // an analysis window open: closing the About dialog must not set the flag
  frm.openWindow(WindowId::AppearanceInterval);
  EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
  action("actionAbout")->trigger();
  EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
  frm.findChildWindow(WindowId::About)->close();  // the close box
  EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
  ASSERT_TRUE(QTest::qWaitFor([&] { return frm.findChildWindow(WindowId::About) == nullptr; }));
  action("actionAbout")->trigger();
  qobject_cast<AboutDialog*>(frm.findChildWindow(WindowId::About)->widget())->closeButton()->click();
  EXPECT_FALSE(frm.openWindowCaptions().isEmpty());
}
