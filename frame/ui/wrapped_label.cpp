#include "frame/ui/wrapped_label.h"

#include <QEvent>

namespace km {

WrappedLabel::WrappedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setWordWrap(true); }

int WrappedLabel::heightForWidth(int width) const {
  if (width <= 0) return QLabel::heightForWidth(width);
  if (measured_ != text()) {
    measured_ = text();
    heights_.fill({0, 0});
  }
  for (const auto& [w, h] : heights_)
    if (w == width) return h;
  const int h = QLabel::heightForWidth(width);
  heights_[next_++ % heights_.size()] = {width, h};
  return h;
}

void WrappedLabel::changeEvent(QEvent* e) {
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) heights_.fill({0, 0});
  QLabel::changeEvent(e);
}

}  // namespace km
