#include "settings/task_table_model.h"

#include "settings/icons.h"

namespace rv {

TaskTableModel::TaskTableModel(TaskListViewModel& rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(rows) {
  for (int i = 0; i < static_cast<int>(images_.size()); ++i)
    images_[i] = icons::RowImage(i);
  rows_.on_rows_reset = [this] { Reset(); };
  rows_.on_row_changed = [this](int row) {
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
  };
}

void TaskTableModel::Reset() {
  // The rows have changed already; the views only need to read them again.
  beginResetModel();
  endResetModel();
}

int TaskTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_.RowCount();
}

int TaskTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kTaskColumnCaptions.size());
}

QVariant TaskTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_.RowCount()) return {};
  const TaskRow& row = rows_.Rows()[index.row()];
  if (role == Qt::DisplayRole || role == Qt::EditRole) {
    const std::string& text = index.column() == 0 ? row.caption : row.sub_items[index.column() - 1];
    return QString::fromStdString(text);
  }
  if (role == Qt::DecorationRole && index.column() == 0) {
    const int image = row.image_index;
    return images_[image >= 0 && image < static_cast<int>(images_.size()) ? image : 9];
  }
  return {};
}

QVariant TaskTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= columnCount()) {
    return {};
  }
  return QString::fromLatin1(kTaskColumnCaptions[section]);
}

Qt::ItemFlags TaskTableModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.isValid() && index.column() == 0) flags |= Qt::ItemIsEditable;
  return flags;
}

bool TaskTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || index.column() != 0 || !on_rename) return false;
  return on_rename(index.row(), value.toString().toStdString());
}

}  // namespace rv
