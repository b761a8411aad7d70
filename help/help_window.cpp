#include "help/help_window.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHelpContentWidget>
#include <QHelpEngine>
#include <QHelpIndexWidget>
#include <QHelpLink>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

namespace km {

HelpBrowser::HelpBrowser(QHelpEngine* engine, QWidget* parent) : QTextBrowser(parent), engine_(engine) {
  setObjectName(QStringLiteral("helpBrowser"));
  setOpenLinks(true);
  setOpenExternalLinks(true);  // web addresses open in the desktop's browser
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
  // Only the compiled help is read; no page can reach the file system.
  if (name.scheme() != QLatin1String("qthelp")) return QVariant();
  const QByteArray data = engine_->fileData(name);
  if (data.isEmpty()) return QVariant();
  if (type == QTextDocument::HtmlResource || type == QTextDocument::StyleSheetResource) return QString::fromUtf8(data);
  return data;
}

namespace {

QToolButton* navButton(QWidget* parent, const char* name, const QString& text, QStyle::StandardPixmap icon) {
  auto* b = new QToolButton(parent);
  b->setObjectName(QString::fromUtf8(name));
  b->setText(text);
  b->setIcon(parent->style()->standardIcon(icon));
  b->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  b->setAutoRaise(true);
  return b;
}

}  // namespace

HelpWindow::HelpWindow(const QString& collectionFile, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HelpWindow"));
  setWindowTitle(QStringLiteral("カズマキMiddle ヘルプ"));

  engine_ = new QHelpEngine(collectionFile, this);
  engine_->setReadOnly(true);  // the program folder's files are only read

  browser_ = new HelpBrowser(engine_, this);

  // Contents
  QHelpContentWidget* contents = engine_->contentWidget();
  contents->setObjectName(QStringLiteral("helpContents"));
  connect(contents, &QHelpContentWidget::linkActivated, browser_,
          [this](const QUrl& url) { browser_->setSource(url); });
  connect(engine_->contentModel(), &QHelpContentModel::contentsCreated, this, [this, contents] {
    contents->expandAll();
    fitContents();
  });

  // Keyword index
  auto* indexTab = new QWidget(this);
  indexTab->setObjectName(QStringLiteral("helpIndexTab"));
  auto* indexLayout = new QVBoxLayout(indexTab);
  indexLayout->addWidget(new QLabel(QStringLiteral("キーワードを入力してください:"), indexTab));
  indexFilter_ = new QLineEdit(indexTab);
  indexFilter_->setObjectName(QStringLiteral("helpIndexFilter"));
  indexLayout->addWidget(indexFilter_);
  QHelpIndexWidget* index = engine_->indexWidget();
  index->setObjectName(QStringLiteral("helpIndex"));
  indexLayout->addWidget(index, 1);
  connect(indexFilter_, &QLineEdit::textChanged, index, [index](const QString& t) { index->filterIndices(t); });
  connect(indexFilter_, &QLineEdit::returnPressed, index, &QHelpIndexWidget::activateCurrentItem);
  // The index is built after the set-up: filter it again once it is there.
  connect(engine_->indexModel(), &QHelpIndexModel::indexCreated, index,
          [this, index] { index->filterIndices(indexFilter_->text()); });
  connect(index, &QHelpIndexWidget::documentActivated, browser_,
          [this](const QHelpLink& link, const QString&) { browser_->setSource(link.url); });
  connect(index, &QHelpIndexWidget::documentsActivated, browser_,
          [this](const QList<QHelpLink>& links, const QString&) {
            if (!links.isEmpty()) browser_->setSource(links.first().url);
          });

  // Full-text search
  auto* searchTab = new QWidget(this);
  searchTab->setObjectName(QStringLiteral("helpSearchTab"));
  auto* searchLayout = new QVBoxLayout(searchTab);
  searchLayout->addWidget(new QLabel(QStringLiteral("検索する語を入力してください:"), searchTab));
  auto* searchRow = new QHBoxLayout;
  searchInput_ = new QLineEdit(searchTab);
  searchInput_->setObjectName(QStringLiteral("helpSearchInput"));
  auto* searchButton = new QPushButton(QStringLiteral("検索(&S)"), searchTab);
  searchButton->setObjectName(QStringLiteral("helpSearchButton"));
  searchRow->addWidget(searchInput_, 1);
  searchRow->addWidget(searchButton);
  searchLayout->addLayout(searchRow);
  searchResults_ = new QListWidget(searchTab);
  searchResults_->setObjectName(QStringLiteral("helpSearchResults"));
  searchLayout->addWidget(searchResults_, 1);
  connect(searchInput_, &QLineEdit::returnPressed, this, &HelpWindow::runSearch);
  connect(searchButton, &QPushButton::clicked, this, &HelpWindow::runSearch);
  connect(searchResults_, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { openHit(searchResults_->row(item)); });
  connect(searchResults_, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { openHit(searchResults_->row(item)); });

  tabs_ = new QTabWidget(this);
  tabs_->setObjectName(QStringLiteral("helpTabs"));
  tabs_->addTab(contents, QStringLiteral("目次"));
  tabs_->addTab(indexTab, QStringLiteral("キーワード"));
  tabs_->addTab(searchTab, QStringLiteral("検索"));

  // Back, forward, first page
  back_ = navButton(this, "helpBack", QStringLiteral("戻る"), QStyle::SP_ArrowBack);
  forward_ = navButton(this, "helpForward", QStringLiteral("進む"), QStyle::SP_ArrowForward);
  QToolButton* home = navButton(this, "helpHome", QStringLiteral("ホーム"), QStyle::SP_DirHomeIcon);
  back_->setEnabled(false);
  forward_->setEnabled(false);
  connect(back_, &QToolButton::clicked, browser_, &QTextBrowser::backward);
  connect(forward_, &QToolButton::clicked, browser_, &QTextBrowser::forward);
  connect(browser_, &QTextBrowser::backwardAvailable, back_, &QToolButton::setEnabled);
  connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QToolButton::setEnabled);
  connect(home, &QToolButton::clicked, this, [this] {
    const QList<QHelpLink> docs = engine_->documentsForKeyword(QString::fromUtf8(kHelpOverviewKeyword));
    if (!docs.isEmpty()) browser_->setSource(docs.first().url);
  });

  auto* bar = new QHBoxLayout;
  bar->addWidget(back_);
  bar->addWidget(forward_);
  bar->addWidget(home);
  bar->addStretch(1);

  split_ = new QSplitter(Qt::Horizontal, this);
  split_->addWidget(tabs_);
  split_->addWidget(browser_);
  split_->setStretchFactor(0, 0);
  split_->setStretchFactor(1, 1);
  split_->setSizes({260, 640});

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->addLayout(bar);
  layout->addWidget(split_, 1);
  resize(960, 700);

  // The set-up only reads: a missing collection file is not created.
  if (!QFileInfo::exists(collectionFile)) {
    error_ = QStringLiteral("ヘルプファイル「%1」が見つかりません。").arg(collectionFile);
  } else if (!engine_->setupData()) {
    error_ = QStringLiteral("ヘルプファイルを開けませんでした。ファイルが壊れています。\n%1").arg(collectionFile);
    errorDetails_ = engine_->error();
  } else if (engine_->registeredDocumentations().isEmpty()) {
    error_ = QStringLiteral("ヘルプファイル「%1」にヘルプが登録されていません。").arg(collectionFile);
  } else {
    ready_ = true;
  }
}

void HelpWindow::fitContents() {
  QHelpContentWidget* contents = engine_->contentWidget();
  // the widest title at its depth, the tree's frame and a scroll bar, and
  // what the tabs take round their pages
  int widest = 0;
  const QAbstractItemModel* model = contents->model();
  std::function<void(const QModelIndex&, int)> walk = [&](const QModelIndex& parent, int depth) {
    for (int r = 0; r < model->rowCount(parent); ++r) {
      const QModelIndex i = model->index(r, 0, parent);
      const int indent = (depth + (contents->rootIsDecorated() ? 1 : 0)) * contents->indentation();
      widest = std::max(widest, indent + contents->sizeHintForIndex(i).width());
      walk(i, depth + 1);
    }
  };
  walk(QModelIndex(), 0);
  const int tree = widest + 2 * contents->frameWidth() + contents->verticalScrollBar()->sizeHint().width();
  const int around = contents->isVisible() ? std::max(0, tabs_->width() - contents->width())
                                           : 2 * style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4;
  const int need = tree + around;
  const QList<int> sizes = split_->sizes();
  if (sizes.size() != 2 || sizes[0] >= need) return;
  const int total = sizes[0] + sizes[1];
  split_->setSizes({need, std::max(total - need, total / 2)});
}

bool HelpWindow::showKeyword(const QString& keyword) {
  tabs_->setCurrentIndex(1);
  indexFilter_->setText(keyword);
  if (!ready_) return false;
  const QList<QHelpLink> docs = engine_->documentsForKeyword(keyword);
  if (docs.isEmpty()) return false;
  if (browser_->source() != docs.first().url) browser_->setSource(docs.first().url);  // no repeated history entry
  return true;
}

QList<HelpSearchHit> HelpWindow::search(const QString& words) {
  QList<HelpSearchHit> hits;
  if (!ready_) return hits;
  if (pages_.isEmpty()) {
    for (const QString& ns : engine_->registeredDocumentations()) {
      for (const QUrl& url : engine_->files(ns, QString(), QStringLiteral("html"))) {
        QTextDocument doc;
        doc.setHtml(QString::fromUtf8(engine_->fileData(url)));
        pages_.append({doc.metaInformation(QTextDocument::DocumentTitle), url, doc.toPlainText()});
      }
    }
  }
  const QStringList terms = words.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  if (terms.isEmpty()) return hits;
  for (const Page& p : pages_) {
    bool all = true;
    for (const QString& t : terms) {
      if (!p.text.contains(t, Qt::CaseInsensitive) && !p.title.contains(t, Qt::CaseInsensitive)) {
        all = false;
        break;
      }
    }
    if (all) hits.append({p.title, p.url});
  }
  return hits;
}

void HelpWindow::runSearch() {
  lastHits_ = search(searchInput_->text());
  const QStringList terms = searchInput_->text().split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
  lastWord_ = terms.isEmpty() ? QString() : terms.first();
  searchResults_->clear();
  for (const HelpSearchHit& h : lastHits_) searchResults_->addItem(h.title);
  if (lastHits_.isEmpty() && !terms.isEmpty()) searchResults_->addItem(QStringLiteral("（見つかりませんでした）"));
}

void HelpWindow::openHit(int row) {
  if (row < 0 || row >= lastHits_.size()) return;
  browser_->setSource(lastHits_[row].url);
  if (!lastWord_.isEmpty()) browser_->find(lastWord_);  // the first place the word occurs
}

}  // namespace km
