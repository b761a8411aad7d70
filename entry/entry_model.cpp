#include "entry/entry_model.h"

#include <QColor>

namespace km {

namespace {

constexpr int kColumns = 7;
constexpr const char* kHeaders[kColumns] = {"回数",    "第1数字", "第2数字",     "第3数字",
                                            "第4数字", "第5数字", "ボーナス数字"};

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

EntryModel::EntryModel(std::unique_ptr<EntryStore> store, QObject* parent)
    : QAbstractTableModel(parent), store_(std::move(store)) {}

EntryModel::~EntryModel() = default;

QString EntryModel::load() {
  beginResetModel();
  lines_.clear();
  QString error;
  if (store_) {
    std::vector<EntryRow> rows;
    const std::string e = store_->readAll(rows);
    if (!e.empty()) {
      error = qs(e);
    } else {
      lines_.reserve(rows.size());
      for (EntryRow& r : rows) lines_.push_back(Line{r.no, std::move(r.text), {}});
    }
  }
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
  const int f = col - kFirstNumberColumn;
  return l.unsaved[f] ? *l.unsaved[f] : l.stored[f];
}

int EntryModel::unsavedCount() const {
  int n = 0;
  for (const Line& l : lines_)
    for (const auto& u : l.unsaved) n += u ? 1 : 0;
  return n;
}

QVariant EntryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int col = index.column() + 1;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return qs(cellText(index.row() + 1, col));
    case Qt::TextAlignmentRole:
      return int(Qt::AlignCenter);
    case Qt::ForegroundRole:
      if (col == 1) return drawNoText();
      if (col == kLastNumberColumn) return bonusText();
      return QColor(0, 0, 0);
    case Qt::BackgroundRole:
      if (col > 1 && parseCellNumber(cellText(index.row() + 1, col)).kind == CellNumber::Wrong) return wrongBack();
      if (col == 1) return drawNoBack();
      if (col == kLastNumberColumn) return bonusBack();
      return QColor(255, 255, 255);
    case Qt::ToolTipRole:
      if (col > 1 && lines_[index.row()].unsaved[col - kFirstNumberColumn])
        return QStringLiteral("この数字は保存されていません。") + QString::fromUtf8(wrongNumberReason());
      return {};
    default:
      return {};
  }
}

QVariant EntryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter | Qt::TextWordWrap);
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal)
    return section >= 0 && section < kColumns ? QString::fromUtf8(kHeaders[section]) : QVariant();
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
  Line& l = lines_[index.row()];
  const int col = index.column() + 1;
  const int f = col - kFirstNumberColumn;
  const std::string text = value.toString().toStdString();
  const CellNumber v = parseCellNumber(text);
  if (v.kind == CellNumber::Wrong) {
    l.unsaved[f] = text;
    emit dataChanged(index, index);
    return true;
  }
  const std::string e = store_->setCell(l.no, col, text);
  if (!e.empty()) {
    emit writeFailed(qs(e), qs(store_->details()));
    reloadIfChangedElsewhere();
    return false;
  }
  l.stored[f] = v.kind == CellNumber::Number ? std::to_string(v.value) : std::string();
  l.unsaved[f].reset();
  emit dataChanged(index, index);
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
    Line l{rows[i].no, std::move(rows[i].text), {}};
    // unsaved texts stay on their lines; the lines below the change moved
    const int old = static_cast<int>(i) < at ? static_cast<int>(i) : static_cast<int>(i) - delta;
    if (old >= 0 && old < rowCount() && !(delta > 0 && static_cast<int>(i) == at)) l.unsaved = lines_[old].unsaved;
    next.push_back(std::move(l));
  }
  if (delta > 0) {
    beginInsertRows({}, at, at);
    lines_ = std::move(next);
    endInsertRows();
  } else {
    beginRemoveRows({}, at, at);
    lines_ = std::move(next);
    endRemoveRows();
  }
  if (at < rowCount()) emit dataChanged(index(at, 0), index(rowCount() - 1, 0));
  return {};
}

}  // namespace km
