#include "tickets/tickets_model.h"

#include <QColor>
#include <algorithm>

#include "frame/ui/entry_grid.h"
#include "store/domain_values.h"

namespace km {

namespace {

constexpr std::array<const char*, TicketsModel::ColumnCount> kHeaders = {
    "開始回", "購入回数", "数字1", "数字2", "数字3", "数字4", "数字5", "メモ", "賞金倍率"};

bool isNumberColumn(int col) { return col >= TicketsModel::FirstNumber && col <= TicketsModel::LastNumber; }

std::string utf8(const QString& s) { return s.toStdString(); }

// The cell's value when it is sound; 0 otherwise.
int soundValue(int col, const QString& text) {
  const std::string t = utf8(text);
  if (col == TicketsModel::From) {
    const CellNumber n = parseWholeNumber(t);
    return n.kind == CellNumber::Number && isDrawNo(n.value) ? n.value : 0;
  }
  if (col == TicketsModel::Draws) {
    const CellNumber n = parseWholeNumber(t);
    return n.kind == CellNumber::Number && n.value >= 1 && n.value <= kMaxTicketDraws ? n.value : 0;
  }
  const CellNumber n = parseCellNumber(t);
  return n.kind == CellNumber::Number ? n.value : 0;
}

}  // namespace

TicketsModel::TicketsModel(std::string path, int nextDraw, QObject* parent)
    : QAbstractTableModel(parent), path_(std::move(path)), nextDraw_(std::clamp(nextDraw, kMinDrawNo, kMaxDrawNo)) {
  ensureBlankLast();
}

Result<TicketList> TicketsModel::load() {
  Result<TicketList> r = readTicketsFile(path_);
  beginResetModel();
  lines_.clear();
  locked_ = r.kind() == Fault::Damaged || r.kind() == Fault::Unreadable;
  written_ = r ? r->tickets : std::vector<Ticket>{};
  tickets_ = written_;
  for (const Ticket& t : tickets_) lines_.push_back(lineOf(t));
  ensureBlankLast();
  endResetModel();
  emit ticketsChanged();
  return r;
}

Result<std::string> TicketsModel::startAfresh() {
  if (!locked_) return std::string();
  Result<std::string> aside = setDamagedTicketsAside(path_);
  if (!aside) return aside;
  locked_ = false;
  written_.clear();
  emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
  return aside;
}

TicketsModel::Line TicketsModel::lineOf(const Ticket& t) {
  Line l;
  l[From] = QString::number(t.from);
  l[Draws] = QString::number(t.draws);
  for (int i = 0; i < 5; ++i) l[FirstNumber + i] = QString::number(t.numbers[i]);
  l[Note] = QString::fromStdString(t.note);
  l.written = t;
  return l;
}

void TicketsModel::setFactorOf(FactorOf factorOf) {
  factorOf_ = std::move(factorOf);
  factors_.clear();
  if (!lines_.empty()) emit dataChanged(index(0, Factor), index(rowCount() - 1, Factor));
}

bool TicketsModel::isBlank(const Line& l) const {
  return std::all_of(l.cells.begin(), l.cells.end(), [](const QString& s) { return s.trimmed().isEmpty(); });
}

void TicketsModel::ensureBlankLast() {
  if (!lines_.empty() && isBlank(lines_.back())) return;
  const int row = static_cast<int>(lines_.size());
  beginInsertRows({}, row, row);
  lines_.push_back(Line{});
  endInsertRows();
}

int TicketsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}
int TicketsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString TicketsModel::problem(int row, int col) const {
  const Line& l = lines_[row];
  const QString& text = l[col];
  if (col == Note) return QString::fromStdString(noteProblem(utf8(text)));
  if (text.trimmed().isEmpty()) return {};
  if (soundValue(col, text) == 0) {
    if (col == From) return QStringLiteral("開始回は1〜%1の回数です").arg(kMaxDrawNo);
    if (col == Draws) return QStringLiteral("購入回数は1〜%1です").arg(kMaxTicketDraws);
    return QStringLiteral("数字は1〜31です");
  }
  if (col == Draws && soundValue(From, l[From]) != 0)
    if (const std::string why = ticketRunProblem(soundValue(From, l[From]), soundValue(Draws, text)); !why.empty())
      return QString::fromStdString(why);
  if (isNumberColumn(col))
    for (int c = FirstNumber; c <= LastNumber; ++c)
      if (c != col && soundValue(c, l[c]) == soundValue(col, text)) return QStringLiteral("同じ数字が2回あります");
  return {};
}

QVariant TicketsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int row = index.row(), col = index.column();
  const Line& l = lines_[row];
  if (col == Factor) return factorData(row, role);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return l[col];
    case Qt::TextAlignmentRole:
      return col == Note ? QVariant(Qt::AlignLeft | Qt::AlignVCenter) : QVariant(Qt::AlignCenter);
    case Qt::BackgroundRole:
      if (!problem(row, col).isEmpty()) return EntryGrid::wrongBack();
      if (!isBlank(l) && col != Note && l[col].trimmed().isEmpty()) return QColor(255, 255, 200);  // still to fill
      return {};
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {  // what the colour says, for a screen reader too
      const QString why = problem(row, col);
      if (!why.isEmpty()) return why;
      if (!isBlank(l) && col != Note && l[col].trimmed().isEmpty())
        return QStringLiteral("この行はすべての数字を入れると保存されます");
      return {};
    }
    default:
      return {};
  }
}

QVariant TicketsModel::factorData(int row, int role) const {
  if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignRight | Qt::AlignVCenter);
  if (role == Qt::ToolTipRole)
    return QStringLiteral("この数字が当たったときの賞金の期待値が、平均的な買い目の何倍か（人気度からの推定）");
  if (role == Qt::BackgroundRole) return QColor(240, 240, 240);  // not typed
  if (role != Qt::DisplayRole || !factorOf_) return {};
  const Line& l = lines_[row];
  TicketNumbers numbers{};
  for (int i = 0; i < 5; ++i) {
    numbers[i] = soundValue(FirstNumber + i, l[FirstNumber + i]);
    if (!numbers[i] || !problem(row, FirstNumber + i).isEmpty()) return {};
  }
  std::sort(numbers.begin(), numbers.end());
  auto it = factors_.find(numbers);
  if (it == factors_.end()) it = factors_.emplace(numbers, factorOf_(numbers)).first;
  return it->second ? QString::number(*it->second, 'f', 2) + QStringLiteral("倍") : QVariant();
}

QVariant TicketsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal)
    return section >= 0 && section < ColumnCount ? QString::fromUtf8(kHeaders[section]) : QVariant();
  return QString::number(section + 1);
}

Qt::ItemFlags TicketsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (!locked_ && index.column() != Factor) f |= Qt::ItemIsEditable;
  return f;
}

bool TicketsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || locked_ || index.column() == Factor) return false;
  const int row = index.row(), col = index.column();
  Line& l = lines_[row];
  const QString text = value.toString().trimmed();
  const bool wasBlank = isBlank(l);
  bool spread = false;
  if (isNumberColumn(col)) {
    // "3 7 12 20 31" in one cell: the line's five numbers
    const Result<TicketNumbers> five = parseTicketNumbers(utf8(text));
    if (five && soundValue(col, text) == 0) {
      for (int i = 0; i < 5; ++i) l[FirstNumber + i] = QString::number((*five)[i]);
      spread = true;
    }
  }
  if (!spread) {
    const int v = col == Note ? 0 : soundValue(col, text);
    l[col] = v ? QString::number(v) : (col == Note ? value.toString() : text);  // full-width digits as digits
  }
  if (wasBlank && !isBlank(l)) {
    if (l[From].isEmpty() && col != From) l[From] = QString::number(nextDraw_);
    if (l[Draws].isEmpty() && col != Draws) l[Draws] = QStringLiteral("1");
  }
  emit dataChanged(this->index(row, 0), this->index(row, ColumnCount - 1));
  ensureBlankLast();
  commit();
  return true;
}

int TicketsModel::appendTickets(const std::vector<Ticket>& all) {
  if (locked_) return -1;
  // the file holds at most kMaxTickets lines: no more are taken
  const size_t room = static_cast<size_t>(std::max(0, kMaxTickets - (static_cast<int>(lines_.size()) - 1)));
  const std::vector<Ticket> tickets(all.begin(), all.begin() + static_cast<long>(std::min(room, all.size())));
  if (tickets.empty()) return 0;
  // the blank last line stays last
  const int at = static_cast<int>(lines_.size()) - 1;
  beginInsertRows({}, at, at + static_cast<int>(tickets.size()) - 1);
  for (size_t i = 0; i < tickets.size(); ++i)
    lines_.insert(lines_.begin() + at + static_cast<int>(i), lineOf(tickets[i]));
  endInsertRows();
  commit();
  return static_cast<int>(tickets.size());
}

void TicketsModel::removeLines(std::vector<int> rows) {
  if (locked_) return;
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const int r = *it;
    if (r < 0 || r >= static_cast<int>(lines_.size()) - 1) continue;
    beginRemoveRows({}, r, r);
    lines_.erase(lines_.begin() + r);
    endRemoveRows();
  }
  commit();
}

void TicketsModel::commit() {
  tickets_.clear();
  for (int r = 0; r < static_cast<int>(lines_.size()); ++r) {
    Line& l = lines_[r];
    if (isBlank(l)) {  // emptied: no longer a ticket
      l.written.reset();
      continue;
    }
    Ticket t;
    t.from = soundValue(From, l[From]);
    t.draws = soundValue(Draws, l[Draws]);
    bool sound = t.from && t.draws && ticketRunProblem(t.from, t.draws).empty() && noteProblem(utf8(l[Note])).empty();
    for (int i = 0; sound && i < 5; ++i) {
      t.numbers[i] = soundValue(FirstNumber + i, l[FirstNumber + i]);
      sound = t.numbers[i] && problem(r, FirstNumber + i).isEmpty();
    }
    if (!sound) {
      if (l.written) tickets_.push_back(*l.written);
      continue;
    }
    std::sort(t.numbers.begin(), t.numbers.end());
    t.note = utf8(l[Note]);
    l.written = t;
    tickets_.push_back(std::move(t));
  }
  if (tickets_ != written_ && !locked_) {
    if (const Done written = writeTicketsFile(path_, tickets_))
      written_ = tickets_;
    else
      emit writeFailed(QString::fromStdString(written.message()), QString::fromStdString(written.cause()));
  }
  emit ticketsChanged();
}

}  // namespace km
