#include "entry/entry_model.h"

#include <QColor>
#include <algorithm>

#include "frame/ui/entry_grid.h"
#include "store/messages.h"

namespace km {

namespace {

constexpr int kColumns = kLastPrizeColumn;
constexpr const char* kHeaders[kDateColumn] = {"回数",    "第1数字", "第2数字",      "第3数字",
                                               "第4数字", "第5数字", "ボーナス数字", "抽選日"};
bool isPrizeColumn(int col) { return col >= kFirstPrizeColumn && col <= kLastPrizeColumn; }

QString qs(const std::string& s) { return QString::fromStdString(s); }

// A sound text as the store writes it: a number without leading zeros, a date as YYYY-MM-DD.
std::string asStored(int field, const std::string& text) {
  if (field == kDateField) return normalizedDate(text);
  const CellNumber v = parseCellNumber(text);
  return v.kind == CellNumber::Number ? std::to_string(v.value) : std::string();
}

// The draw a date text is typed for: a date the line holds already is no new one.
std::optional<int> typedFor(int no, const std::string& stored, const std::string& text) {
  return normalizedDate(text) == stored ? std::nullopt : std::optional<int>(no);
}

// The stored line with field `field` as `text`.
LineTexts withStored(LineTexts stored, int field, const std::string& text) {
  stored[field] = text;
  return stored;
}

}  // namespace

EntryModel::EntryModel(std::unique_ptr<EntryStore> store, QObject* parent)
    : QAbstractTableModel(parent), store_(std::move(store)) {}

EntryModel::~EntryModel() = default;

LineTexts EntryModel::Line::shown() const {
  LineTexts t = stored;
  for (int f = 0; f < kLineFields; ++f)
    if (unsaved[f]) t[f] = *unsaved[f];
  return t;
}

PrizeTexts EntryModel::Line::shownPrize() const {
  PrizeTexts t = storedPrize;
  for (int f = 0; f < kPrizeFields; ++f)
    if (unsavedPrize[f]) t[f] = *unsavedPrize[f];
  return t;
}

bool EntryModel::Line::prizeUnsaved() const {
  return std::any_of(unsavedPrize.begin(), unsavedPrize.end(), [](const auto& u) { return u.has_value(); });
}

QString EntryModel::load() {
  beginResetModel();
  lines_.clear();
  if (store_) today_ = store_->today();
  QString error;
  if (store_) {
    std::vector<EntryRow> rows;
    const std::string e = store_->readAll(rows);
    if (!e.empty()) {
      error = qs(e);
    } else {
      lines_.reserve(rows.size());
      for (const EntryRow& r : rows) lines_.push_back(Line{r.no, r.line(), {}, r.prize, {}});
    }
  }
  datesChanged();
  endResetModel();
  return error;
}

QString EntryModel::load(std::unique_ptr<EntryStore> store) {
  store_ = std::move(store);
  return load();
}

int EntryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int EntryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

std::string EntryModel::cellText(int line, int col) const {
  if (line < 1 || line > static_cast<int>(lines_.size()) || col < 1 || col > kColumns) return {};
  const Line& l = lines_[line - 1];
  if (col == 1) return std::to_string(l.no);
  if (isPrizeColumn(col)) {
    const int f = col - kFirstPrizeColumn;
    return l.unsavedPrize[f] ? *l.unsavedPrize[f] : l.storedPrize[f];
  }
  const int f = col - kFirstNumberColumn;
  return l.unsaved[f] ? *l.unsaved[f] : l.stored[f];
}

int EntryModel::unsavedCount() const {
  int n = 0;
  for (const Line& l : lines_) {
    for (const auto& u : l.unsaved) n += u ? 1 : 0;
    for (const auto& u : l.unsavedPrize) n += u ? 1 : 0;
  }
  return n;
}

std::optional<CellPosition> EntryModel::firstUnsaved() const {
  for (size_t i = 0; i < lines_.size(); ++i) {
    for (int f = 0; f < kLineFields; ++f)
      if (lines_[i].unsaved[f]) return CellPosition{static_cast<int>(i) + 1, f + kFirstNumberColumn, {}};
    for (int f = 0; f < kPrizeFields; ++f)
      if (lines_[i].unsavedPrize[f]) return CellPosition{static_cast<int>(i) + 1, f + kFirstPrizeColumn, {}};
  }
  return std::nullopt;
}

void EntryModel::dropUnsaved() {
  for (Line& l : lines_) {
    l.unsaved = {};
    l.unsavedPrize = {};
  }
  datesChanged();
  if (rowCount() > 0) emit dataChanged(index(0, 1), index(rowCount() - 1, kColumns - 1));
}

void EntryModel::datesChanged() {
  dateAbove_.assign(lines_.size(), std::string());
  std::string above;
  for (size_t i = 0; i < lines_.size(); ++i) {
    dateAbove_[i] = above;
    const LineTexts t = lines_[i].shown();
    if (cellProblem(t, kDateColumn, above, today_).empty())
      if (std::string d = normalizedDate(t[kDateField]); !d.empty()) above = std::move(d);
  }
}

std::string EntryModel::storedDate(int row, int step) const {
  for (int i = row + step; i >= 0 && i < rowCount(); i += step)
    if (isCalendarDate(lines_[i].stored[kDateField])) return lines_[i].stored[kDateField];
  return {};
}

QString EntryModel::prizeCellProblem(int line, int field) const {
  const Line& l = lines_[line - 1];
  const PrizeTexts t = l.shownPrize();
  int at = -1;
  const std::string why = prizeProblem(t, &at);
  if (!l.unsavedPrize[field]) {
    // a stored prize is sound unless the file holds tiers that disagree
    return why.empty() || at != field ? QString() : qs("当選金の誤り：" + why);
  }
  QString reason;
  if (parsePrizeFigure(t[field]).kind == CellNumber::Wrong)
    reason = qs(says::wrongPrizeReason());
  else if (!why.empty() && at == field)
    reason = qs(why);
  else if (!why.empty())
    reason = QStringLiteral("同じ行の当選金の8つがそろうと保存されます（%1）。").arg(qs(why));
  else
    reason = QStringLiteral("同じ行の当選金が保存されるまで保存できません。");
  return QStringLiteral("この当選金は保存されていません。") + reason;
}

QString EntryModel::problem(int line, int col) const {
  if (line >= 1 && line <= rowCount() && isPrizeColumn(col)) return prizeCellProblem(line, col - kFirstPrizeColumn);
  if (line < 1 || line > rowCount() || col < kFirstNumberColumn || col > kDateColumn) return {};
  const Line& l = lines_[line - 1];
  const int f = col - kFirstNumberColumn;
  const LineTexts t = l.shown();
  std::string why = cellProblem(t, col, dateAbove_[line - 1], today_);
  if (!l.unsaved[f]) return qs(why);
  if (why.empty()) {
    // refused for the line around it: a number a later field holds, a date not before the next draw's
    if (col == kDateColumn)
      why = dateProblem(t[f], storedDate(line - 1, -1), storedDate(line - 1, +1), today_,
                        typedFor(l.no, l.stored[f], t[f]));
    else
      why = repeatProblem(lineNumbers(t), f);
    // a number the file holds in a field that shows another text
    if (why.empty() && col != kDateColumn) why = repeatProblem(lineNumbers(withStored(l.stored, f, t[f])), f);
    if (why.empty()) why = "同じ行のほかの数字が保存されるまで保存できません。";
  }
  return (col == kDateColumn ? QStringLiteral("この日付は保存されていません。")
                             : QStringLiteral("この数字は保存されていません。")) +
         qs(why);
}

QVariant EntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int col = index.column() + 1;
  switch (role) {
    case Qt::DisplayRole:
      if (isPrizeColumn(col) && !lines_[index.row()].unsavedPrize[col - kFirstPrizeColumn]) {
        // a stored figure with its separators
        const CellNumber v = parsePrizeFigure(cellText(index.row() + 1, col));
        if (v.kind == CellNumber::Number) return qs(groupedFigure(v.value));
      }
      return qs(cellText(index.row() + 1, col));
    case Qt::EditRole:
      return qs(cellText(index.row() + 1, col));
    case Qt::TextAlignmentRole:
      return isPrizeColumn(col) ? int(Qt::AlignRight | Qt::AlignVCenter) : int(Qt::AlignCenter);
    case Qt::ForegroundRole:
      if (col == 1) return drawNoText();
      if (col == kLastNumberColumn) return bonusText();
      return QColor(0, 0, 0);
    case Qt::BackgroundRole:
      if (col > 1 && !problem(index.row() + 1, col).isEmpty()) return EntryGrid::wrongBack();
      if (col == 1) return drawNoBack();
      if (col == kLastNumberColumn) return bonusBack();
      return QColor(255, 255, 255);
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {  // the red mark's reason, for a screen reader too
      const QString why = problem(index.row() + 1, col);
      return why.isEmpty() ? QVariant() : QVariant(why);
    }
    default:
      return {};
  }
}

QVariant EntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter | Qt::TextWordWrap);
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (isPrizeColumn(section + 1)) {
      // two lines, as ボーナス数字: "1等" over "口数" or "当せん金"
      const std::string name = prizeFieldName(section + 1 - kFirstPrizeColumn);
      const size_t at = name.find("等") + std::string("等").size();
      return qs(name.substr(0, at) + "\n" + name.substr(at));
    }
    return section >= 0 && section < kDateColumn ? QString::fromUtf8(kHeaders[section]) : QVariant();
  }
  return section + 1;
}

Qt::ItemFlags EntryModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (store_ && index.column() > 0) f |= Qt::ItemIsEditable;
  return f;
}

bool EntryModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !store_ || !index.isValid() || index.column() == 0 || index.row() >= rowCount())
    return false;
  const int row = index.row();
  if (isPrizeColumn(index.column() + 1)) {
    const int f = index.column() + 1 - kFirstPrizeColumn;
    lines_[row].unsavedPrize[f] = value.toString().toStdString();
    const bool written = writePrize(row, f);
    emit dataChanged(this->index(row, kFirstPrizeColumn - 1), this->index(row, kLastPrizeColumn - 1));
    return written;
  }
  const int f = index.column() + 1 - kFirstNumberColumn;
  lines_[row].unsaved[f] = value.toString().toStdString();
  const bool written = writeSound(row, f);
  datesChanged();
  // a date moves the marks of the dates below it
  if (row < rowCount()) emit dataChanged(this->index(row, 1), this->index(rowCount() - 1, kColumns - 1));
  return written;
}

bool EntryModel::writeSound(int row, int edited) {
  Line& l = lines_[row];
  const LineTexts t = l.shown();
  const std::array<int, kNumberFields> shownNumbers = lineNumbers(t);
  std::vector<int> sound;
  for (int f = 0; f < kLineFields; ++f) {
    if (!l.unsaved[f]) continue;
    if (f == kDateField
            ? dateProblem(t[f], storedDate(row, -1), storedDate(row, +1), today_, typedFor(l.no, l.stored[f], t[f]))
                  .empty()
            : parseCellNumber(t[f]).kind != CellNumber::Wrong && !numberRepeated(shownNumbers, f))
      sound.push_back(f);
  }
  // the fields not written keep their stored numbers, which the written ones may not repeat
  for (bool dropped = true; dropped;) {
    dropped = false;
    LineTexts after = l.stored;
    for (int f : sound) after[f] = t[f];
    const std::array<int, kNumberFields> numbers = lineNumbers(after);
    for (auto it = sound.begin(); it != sound.end();) {
      if (*it != kDateField && numberRepeated(numbers, *it)) {
        it = sound.erase(it);
        dropped = true;
      } else {
        ++it;
      }
    }
  }
  if (sound.empty()) return true;
  std::vector<std::pair<int, std::string>> cells;
  for (int f : sound) cells.emplace_back(f + kFirstNumberColumn, t[f]);
  if (const std::string e = store_->setCells(l.no, cells); !e.empty()) {
    if (std::find(sound.begin(), sound.end(), edited) != sound.end()) l.unsaved[edited].reset();
    emit writeFailed(qs(e), qs(store_->details()));
    reloadIfChangedElsewhere();
    return false;
  }
  for (int f : sound) {
    l.stored[f] = asStored(f, t[f]);
    l.unsaved[f].reset();
  }
  return true;
}

bool EntryModel::writePrize(int row, int edited) {
  Line& l = lines_[row];
  if (!l.prizeUnsaved()) return true;
  const PrizeTexts t = l.shownPrize();
  if (!prizeProblem(t).empty()) return true;  // kept, marked, until the eight agree
  const PrizeTexts written = prizeTexts(prizeOf(t));
  if (written != l.storedPrize) {
    if (const std::string e = store_->setPrize(l.no, t); !e.empty()) {
      l.unsavedPrize[edited].reset();
      emit writeFailed(qs(e), qs(store_->details()));
      reloadIfChangedElsewhere();
      return false;
    }
  }
  l.storedPrize = written;
  l.unsavedPrize = {};
  return true;
}

QString EntryModel::details() const { return store_ ? qs(store_->details()) : QString(); }

QString EntryModel::insertLineAfter(int row) {
  if (!store_ || row < -1 || row >= rowCount()) return {};
  int newNo = 0;
  const std::string e = store_->insertAfter(row < 0 ? 0 : lines_[row].no, newNo);
  if (!e.empty()) return reloadIfChangedElsewhere(), qs(e);
  return reload(row + 1, +1);
}

QString EntryModel::deleteLine(int row) {
  if (!store_ || row < 0 || row >= rowCount()) return {};
  const std::string e = store_->remove(lines_[row].no);
  if (!e.empty()) return reloadIfChangedElsewhere(), qs(e);
  return reload(row, -1);
}

void EntryModel::reloadIfChangedElsewhere() {
  // the lines moved under the window: it shows what the file holds now, and
  // the next change is made on that
  if (store_ && store_->changedElsewhere()) load();
}

QString EntryModel::reload(int at, int delta) {
  std::vector<EntryRow> rows;
  const std::string e = store_->readAll(rows);
  if (!e.empty() || static_cast<int>(rows.size()) != rowCount() + delta) {
    // the file changed under us: show what it holds now
    const QString again = load();
    return e.empty() ? again : qs(e);
  }
  std::vector<Line> next;
  next.reserve(rows.size());
  for (size_t i = 0; i < rows.size(); ++i) {
    Line l{rows[i].no, rows[i].line(), {}, rows[i].prize, {}};
    // unsaved texts stay on their lines; the lines below the change moved
    const int old = static_cast<int>(i) < at ? static_cast<int>(i) : static_cast<int>(i) - delta;
    if (old >= 0 && old < rowCount() && !(delta > 0 && static_cast<int>(i) == at)) {
      l.unsaved = lines_[old].unsaved;
      l.unsavedPrize = lines_[old].unsavedPrize;
    }
    next.push_back(std::move(l));
  }
  if (delta > 0) {
    beginInsertRows({}, at, at);
    lines_ = std::move(next);
    datesChanged();
    endInsertRows();
  } else {
    beginRemoveRows({}, at, at);
    lines_ = std::move(next);
    datesChanged();
    endRemoveRows();
  }
  if (at < rowCount()) emit dataChanged(index(at, 0), index(rowCount() - 1, kColumns - 1));
  return {};
}

}  // namespace km
