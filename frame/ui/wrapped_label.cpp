#include "frame/ui/wrapped_label.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <algorithm>
#include <limits>

namespace km {

namespace {

bool isHiragana(QChar c) { return c.unicode() >= 0x3041 && c.unicode() <= 0x309F; }
bool isKanji(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x4E00 && u <= 0x9FFF) || (u >= 0x3400 && u <= 0x4DBF) || u == 0x3005;
}
bool isOpening(QChar c) { return QStringLiteral("（(「『【［[〔｛{〈《“‘").contains(c); }
bool isClosing(QChar c) { return QStringLiteral("）)」』】］]〕｝}〉》”’").contains(c); }
bool isStop(QChar c) { return QStringLiteral("、。，．,.！？!?・").contains(c); }
// Characters that never begin a line: closing brackets, punctuation, small
// kana and the long-vowel mark.
bool neverFirst(QChar c) {
  return isClosing(c) || isStop(c) ||
         QStringLiteral("ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮヵヶーゝゞヽヾ").contains(c);
}

// Every place a line may begin, strongest last: the word breaks, and, where
// a word is wider than the line, every place but before a character that
// never begins one (strength 0).
std::vector<std::pair<int, int>> allBreaks(const QString& text) {
  std::vector<std::pair<int, int>> out;
  const std::vector<std::pair<int, int>> words = wordBreaks(text);
  size_t w = 0;
  for (int i = 1; i < text.size(); ++i) {
    if (w < words.size() && words[w].first == i)
      out.push_back(words[w++]);
    else if (!neverFirst(text[i]))
      out.emplace_back(i, 0);
  }
  return out;
}

// The fewest lines for these break places, then the strongest breaks, then
// the fullest first lines; empty when some piece is wider than `width`.
QStringList bestLines(const QString& text, const QFontMetrics& fm, int width,
                      const std::vector<std::pair<int, int>>& breaks) {
  std::vector<int> at{0}, strength{0};
  for (const auto& [pos, s] : breaks) {
    at.push_back(pos);
    strength.push_back(s);
  }
  at.push_back(static_cast<int>(text.size()));
  strength.push_back(0);
  const int m = static_cast<int>(at.size());
  auto piece = [&](int i, int j) { return text.mid(at[i], at[j] - at[i]).trimmed(); };
  struct Best {
    int lines = std::numeric_limits<int>::max();
    long score = -1;
    long fill = -1;  // sum of the squared widths of the lines before
    int from = -1;
  };
  std::vector<Best> best(m);
  best[0] = {0, 0, 0, -1};
  for (int j = 1; j < m; ++j) {
    for (int i = j - 1; i >= 0; --i) {
      if (best[i].from < 0 && i != 0) continue;
      const int w = fm.horizontalAdvance(piece(i, j));
      if (w > width) break;  // longer pieces are wider still
      const Best& b = best[i];
      const long fill = b.fill + (j == m - 1 ? 0 : static_cast<long>(w) * w);
      const Best cand{b.lines + 1, b.score + strength[j], fill, i};
      Best& cur = best[j];
      if (cand.lines < cur.lines ||
          (cand.lines == cur.lines && (cand.score > cur.score || (cand.score == cur.score && cand.fill > cur.fill))))
        cur = cand;
    }
  }
  if (best[m - 1].from < 0) return {};
  QStringList lines;
  for (int j = m - 1; j > 0; j = best[j].from) lines.prepend(piece(best[j].from, j));
  return lines;
}

}  // namespace

std::vector<std::pair<int, int>> wordBreaks(const QString& text) {
  std::vector<std::pair<int, int>> out;
  for (int i = 1; i < text.size(); ++i) {
    const QChar before = text[i - 1], c = text[i];
    if (neverFirst(c) || isOpening(before)) continue;
    const bool space = before.isSpace() && !c.isSpace();
    // before an opening bracket, after punctuation, after a closing bracket ("）と" keeps its particle)
    const bool mark =
        isOpening(c) || (isStop(before) && before != QLatin1Char('.')) || (isClosing(before) && !isHiragana(c));
    if (!space && mark)
      out.emplace_back(i, 2);
    else if (space || (isHiragana(before) && isKanji(c)))
      out.emplace_back(i, 1);
  }
  return out;
}

QStringList wrapWords(const QString& text, const QFontMetrics& fm, int width) {
  if (text.isEmpty()) return {};
  if (text.contains(QLatin1Char('\n'))) {  // each line of the text wraps on its own
    QStringList lines;
    for (const QString& part : text.split(QLatin1Char('\n')))
      lines += part.isEmpty() ? QStringList{QString()} : wrapWords(part, fm, width);
    return lines;
  }
  if (fm.horizontalAdvance(text) <= width) return {text};
  QStringList lines = bestLines(text, fm, width, wordBreaks(text));
  if (lines.isEmpty()) lines = bestLines(text, fm, width, allBreaks(text));
  if (lines.isEmpty()) {  // not even one character fits: one a line
    for (QChar c : text)
      if (!c.isSpace()) lines.append(QString(c));
  }
  return lines;
}

WrappedLabel::WrappedLabel(const QString& text, QWidget* parent) : QLabel(text, parent) { setWordWrap(true); }

const QStringList& WrappedLabel::linesFor(int width) const {
  if (measured_ != text()) {
    measured_ = text();
    kept_.fill({0, {}});
  }
  width = std::max(width, 1);
  for (const auto& kept : kept_)
    if (kept.first == width) return kept.second;
  auto& slot = kept_[next_++ % kept_.size()];
  slot = {width, wrapWords(text(), fontMetrics(), width)};
  return slot.second;
}

int WrappedLabel::heightForWidth(int width) const {
  const QMargins m = contentsMargins();
  const int lines = std::max<int>(1, static_cast<int>(linesFor(width - m.left() - m.right()).size()));
  return lines * fontMetrics().lineSpacing() + m.top() + m.bottom();
}

// As wide as the widest word, so that the label never asks for more room
// across than its words need; as high as its lines are at that width.
QSize WrappedLabel::sizeHint() const {
  const QMargins m = contentsMargins();
  const QFontMetrics fm = fontMetrics();
  const QString t = text();
  int widest = 0, from = 0;
  std::vector<std::pair<int, int>> breaks = wordBreaks(t);
  breaks.emplace_back(static_cast<int>(t.size()), 0);
  for (const auto& b : breaks) {
    widest = std::max(widest, fm.horizontalAdvance(t.mid(from, b.first - from).trimmed()));
    from = b.first;
  }
  const int w = widest + m.left() + m.right();
  return QSize(w, heightForWidth(w));
}

QSize WrappedLabel::minimumSizeHint() const {
  const QMargins m = contentsMargins();
  return QSize(2 * fontMetrics().height() + m.left() + m.right(), fontMetrics().lineSpacing() + m.top() + m.bottom());
}

void WrappedLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = contentsRect();
  const QStringList& ls = linesFor(r.width());
  const int lineHeight = fontMetrics().lineSpacing();
  const int total = static_cast<int>(ls.size()) * lineHeight;
  const Qt::Alignment a = QStyle::visualAlignment(layoutDirection(), alignment());
  int y = r.top();
  if (a & Qt::AlignVCenter) y += (r.height() - total) / 2;
  if (a & Qt::AlignBottom) y += r.height() - total;
  for (const QString& line : ls) {
    style()->drawItemText(&p, QRect(r.left(), y, r.width(), lineHeight), (a & Qt::AlignHorizontal_Mask) | Qt::AlignTop,
                          palette(), isEnabled(), line, foregroundRole());
    y += lineHeight;
  }
}

void WrappedLabel::changeEvent(QEvent* e) {
  if (e->type() == QEvent::FontChange || e->type() == QEvent::StyleChange) kept_.fill({0, {}});
  QLabel::changeEvent(e);
}

}  // namespace km
