#pragma once
// バージョン情報: the About dialog, a child window inside the main window.
// It shows no data, so it never keeps the data entry window from opening.
#include <QWidget>

class QLabel;
class QPushButton;

namespace km {

class AboutDialog : public QWidget {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  QLabel* productLabel() const { return product_; }
  QLabel* editionLabel() const { return edition_; }
  QLabel* versionLabel() const { return version_; }
  QLabel* taglineLabel() const { return tagline_; }
  QPushButton* closeButton() const { return closeButton_; }

 private:
  QLabel* product_ = nullptr;
  QLabel* edition_ = nullptr;
  QLabel* version_ = nullptr;
  QLabel* tagline_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace km
