#pragma once
// A label whose text wraps at word and character boundaries, as QLabel with
// word wrap, but which keeps the heights it has worked out for each width:
// a layout asks for the same widths many times, and each answer lays the
// whole text out again.  The heights are forgotten when the text, the font
// or the style changes.
#include <QLabel>
#include <array>
#include <utility>

namespace km {

class WrappedLabel : public QLabel {
 public:
  explicit WrappedLabel(const QString& text, QWidget* parent = nullptr);

  int heightForWidth(int width) const override;

 protected:
  void changeEvent(QEvent* e) override;

 private:
  mutable QString measured_;                              // the text the heights below are for
  mutable std::array<std::pair<int, int>, 8> heights_{};  // (width, height), width 0 = unused
  mutable size_t next_ = 0;
};

}  // namespace km
