// The keys the address book's name list offers for the current group.
#pragma once

#include <QAbstractListModel>
#include <QStringList>

namespace quorvel {

class NameListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  // Offers exactly `keys`, in their order.
  void SetKeys(QStringList keys);
  const QStringList& Keys() const { return keys_; }
  // Takes row `row` out.
  void Remove(int row);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

 private:
  QStringList keys_;
};

}  // namespace quorvel
