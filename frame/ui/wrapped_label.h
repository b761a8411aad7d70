#pragma once
// A label whose text wraps only between words.  A Japanese text has no
// spaces, and the toolkit's own wrapping breaks it between any two
// characters ("購｜入します"); this label breaks it where a word ends: before
// an opening bracket, after a closing one or a comma or full stop, after the
// kana that end a word before the next word's kanji ("分析の｜結果"), and at
// spaces.  Of the ways to wrap into the fewest lines it takes the one that
// breaks at the strongest places (brackets and punctuation before the kana
// ends of words), then the one that fills the first lines most.  A word
// wider than the whole line is broken between its characters, so that
// nothing is ever cut.
//
// The label keeps the lines it has worked out for each width: a layout asks
// for the same widths many times.  They are forgotten when the text, the
// font or the style changes.
#include <QLabel>
#include <QStringList>
#include <array>
#include <utility>

class QFontMetrics;

namespace km {

// The places before which `text` may break, with their strength: 2 before an
// opening bracket or after a closing bracket or punctuation, 1 at another
// word's start.  Position 0 and text.size() are not included.
std::vector<std::pair<int, int>> wordBreaks(const QString& text);

// The text as lines no wider than `width`, broken as described above; a
// line break of the text always breaks.
QStringList wrapWords(const QString& text, const QFontMetrics& fm, int width);

class WrappedLabel : public QLabel {
  Q_OBJECT
 public:
  explicit WrappedLabel(const QString& text, QWidget* parent = nullptr);

  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // The lines as shown at the label's present width.
  QStringList lines() const { return linesFor(contentsRect().width()); }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void changeEvent(QEvent* e) override;

 private:
  const QStringList& linesFor(int width) const;

  mutable QString measured_;                                 // the text the lines below are for
  mutable std::array<std::pair<int, QStringList>, 8> kept_;  // (width, lines), width 0 = unused
  mutable size_t next_ = 0;
};

}  // namespace km
