#pragma once
// The help window: the compiled help pages (カズマキM.qch, registered in the
// collection file カズマキM.qhc of the program folder) with contents, keyword
// index, full-text search and back/forward, pages shown in a text browser.
#include <QList>
#include <QString>
#include <QTextBrowser>
#include <QUrl>
#include <QWidget>

#include "help/help_files.h"

class QHelpEngine;
class QLineEdit;
class QListWidget;
class QSplitter;
class QTabWidget;
class QToolButton;

namespace km {

// Shows pages of the help engine: qthelp:// addresses are read from the
// compiled help; web addresses go to the desktop's browser.
class HelpBrowser : public QTextBrowser {
  Q_OBJECT
 public:
  HelpBrowser(QHelpEngine* engine, QWidget* parent);
  QVariant loadResource(int type, const QUrl& name) override;

 private:
  QHelpEngine* engine_;
};

// One hit of the full-text search.
struct HelpSearchHit {
  QString title;
  QUrl url;
};

class HelpWindow : public QWidget {
  Q_OBJECT
 public:
  // collectionFile: the collection file in the program folder.  The window
  // never writes to it.
  explicit HelpWindow(const QString& collectionFile, QWidget* parent = nullptr);

  // False when the help files are missing or cannot be read; errorText() says why.
  bool isReady() const { return ready_; }
  QString errorText() const { return error_; }
  QString errorDetails() const { return errorDetails_; }  // the help engine's own words

  // Opens the keyword index at `keyword` and shows the keyword's page.
  // False when no page carries the keyword (the index still shows it).
  bool showKeyword(const QString& keyword);

  // Pages whose text holds every word of `words` (separated by spaces), in
  // the order of the help's file list; case is ignored.  Japanese has no
  // spaces between words, so words are matched anywhere in the text.
  QList<HelpSearchHit> search(const QString& words);

  QHelpEngine* engine() const { return engine_; }
  HelpBrowser* browser() const { return browser_; }
  QTabWidget* tabs() const { return tabs_; }
  QLineEdit* indexFilter() const { return indexFilter_; }
  QLineEdit* searchInput() const { return searchInput_; }
  QListWidget* searchResults() const { return searchResults_; }

 private:
  void runSearch();
  void openHit(int row);
  // Widens the left pane so that the contents show every title whole.
  void fitContents();

  QHelpEngine* engine_ = nullptr;
  bool ready_ = false;
  QString error_, errorDetails_;
  HelpBrowser* browser_ = nullptr;
  QTabWidget* tabs_ = nullptr;
  QSplitter* split_ = nullptr;
  QLineEdit* indexFilter_ = nullptr;
  QLineEdit* searchInput_ = nullptr;
  QListWidget* searchResults_ = nullptr;
  QToolButton* back_ = nullptr;
  QToolButton* forward_ = nullptr;
  QList<HelpSearchHit> lastHits_;
  QString lastWord_;
  // Plain text of every page, read on the first search.
  struct Page {
    QString title;
    QUrl url;
    QString text;
  };
  QList<Page> pages_;
};

}  // namespace km
