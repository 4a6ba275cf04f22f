#include "notes/notes_list_model.h"

namespace quorvel {

void NotesListModel::SetTitles(QStringList titles) {
  beginResetModel();
  titles_ = std::move(titles);
  endResetModel();
}

void NotesListModel::Append(const QString& title) {
  const int row = int(titles_.size());
  beginInsertRows(QModelIndex(), row, row);
  titles_.append(title);
  endInsertRows();
}

void NotesListModel::Remove(int row) {
  if (row < 0 || row >= titles_.size()) return;
  beginRemoveRows(QModelIndex(), row, row);
  titles_.removeAt(row);
  endRemoveRows();
  if (row < titles_.size()) {
    emit dataChanged(index(row, 0), index(int(titles_.size()) - 1, 0), {Qt::DisplayRole});
  }
}

int NotesListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(titles_.size());
}

int NotesListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 2;
}

QVariant NotesListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= titles_.size()) return QVariant();
  const bool number = index.column() == 0;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
      return number ? QVariant(QString::number(index.row() + 1))
                    : QVariant(titles_.at(index.row()));
    case Qt::TextAlignmentRole:
      return number ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter)) : QVariant();
    default:
      return QVariant();
  }
}

QVariant NotesListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
  if (section == 0) return tr("Nr.");
  if (section == 1) return tr("Description");
  return QVariant();
}

}  // namespace quorvel
