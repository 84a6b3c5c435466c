#pragma once

// The task list rows as a Qt item model for the list widget: six columns,
// the row picture in the first, and in-place editing of the task name,
// which it hands to the rename callback.

#include <QAbstractTableModel>
#include <QPixmap>
#include <array>
#include <functional>
#include <string>

#include "settings/task_list_view_model.h"

namespace rv {

class TaskTableModel final : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TaskTableModel(TaskListViewModel& rows, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  // Called with the row and the edited name; true when the edit stands.
  std::function<bool(int row, const std::string& name)> on_rename;

 private:
  void Reset();

  TaskListViewModel& rows_;
  std::array<QPixmap, 10> images_;
};

}  // namespace rv
