#include "addressbook/name_list_model.h"

namespace quorvel {

void NameListModel::SetKeys(QStringList keys) {
  beginResetModel();
  keys_ = std::move(keys);
  endResetModel();
}

void NameListModel::Remove(int row) {
  if (row < 0 || row >= keys_.size()) return;
  beginRemoveRows(QModelIndex(), row, row);
  keys_.removeAt(row);
  endRemoveRows();
}

int NameListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(keys_.size());
}

QVariant NameListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= keys_.size()) return QVariant();
  if (role == Qt::DisplayRole || role == Qt::EditRole || role == Qt::AccessibleTextRole) {
    return keys_.at(index.row());
  }
  return QVariant();
}

}  // namespace quorvel
