// The saved notes as the list shows them: column 0 "Nr." (the note's number,
// from 1), column 1 "Description" (its title). Holds only the titles; the
// numbers follow from the rows.
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

namespace quorvel {

class NotesListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;

  // Shows exactly `titles`, note 0 first.
  void SetTitles(QStringList titles);
  const QStringList& Titles() const { return titles_; }
  void Append(const QString& title);
  // Takes row `row` out; the later rows' numbers drop by one.
  void Remove(int row);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QStringList titles_;
};

}  // namespace quorvel
