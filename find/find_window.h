// Find…: a search box and the results, filled as the user types, grouped
// by kind. Enter or a double-click on a result asks for it to be opened
// where it lives (OpenRequested); the application does the opening.
//
// While the window is shown it keeps a folded copy of the files (see
// search::FoldedCopy), kept current through the store's change
// announcements and read in steps, so that a keystroke only compares; a
// hidden window lets its copy go.
#pragma once

#include <optional>

#include <memory>
#include <unordered_map>
#include <vector>

#include <QAbstractItemModel>
#include <QStyledItemDelegate>
#include <QWidget>

#include "search/search.h"
#include "store/data_files.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace quorvel {

// The results as a tree: one row per kind that has results, the results
// under it. Columns: date or letter group, title, matching text. The
// matching text of a row is read from the files the first time it is
// asked for.
class FindResultsModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  // The marked stretches of a title or text: a list of QPoint(start, length).
  static constexpr int kMarksRole = Qt::UserRole + 1;
  enum Column { kWhenColumn, kTitleColumn, kTextColumn, kColumnCount };

  explicit FindResultsModel(const store::DataFiles& files, QObject* parent = nullptr);

  void SetResults(search::Results results, const search::Query& query);
  // The result at `index`, or nullptr for a kind's row.
  const search::Match* MatchAt(const QModelIndex& index) const;
  // The first result, or an invalid index when there is none.
  QModelIndex FirstResult() const;
  // The result naming the item `identity` of `kind`, or an invalid index.
  QModelIndex IndexOf(search::Kind kind, const QString& identity) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Group {
    search::Kind kind;
    search::MatchList matches;
    mutable std::unordered_map<int, search::Excerpt> excerpts;  // by row, once asked for
  };
  const search::Excerpt& ExcerptOf(const Group& group, int row) const;
  QString KindCaption(const Group& group) const;
  QString WhenText(const search::Match& match) const;

  const store::DataFiles& files_;
  search::Query query_;
  std::vector<Group> groups_;
};

// Draws a title or text with its marked stretches in bold and underlined.
class MarkedTextDelegate : public QStyledItemDelegate {
  Q_OBJECT

 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

// Object names of the Find window and its controls.
namespace find_names {
inline constexpr char kWindow[] = "FindWindow";
inline constexpr char kBox[] = "FindBox";        // the words to find
inline constexpr char kStatus[] = "FindStatus";  // how much was found
inline constexpr char kResults[] = "FindResults";
inline constexpr char kOpen[] = "FindOpen";
inline constexpr char kClose[] = "FindClose";
}  // namespace find_names

class FindWindow : public QWidget {
  Q_OBJECT

 public:
  // Follows `files`' change announcements for as long as it lives.
  explicit FindWindow(store::DataFiles& files, QWidget* parent = nullptr);
  ~FindWindow() override;

  // Shows the window with the box focused and its words selected.
  void Open();
  // Searches the files again for the words in the box (after a change),
  // keeping the chosen result chosen while it is still found.
  void Refresh();
  // Whether a search is still under way.
  bool Searching() const { return searching_; }
  // Whether the copy of the files is read and current (the next keystroke
  // only compares).
  bool Ready() const { return copy_.current(); }
  FindResultsModel& results() { return *model_; }

 signals:
  void OpenRequested(const search::Match& match);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Start(bool keep_current = false);
  // Reads a step of what is out of date, then shows the results of the
  // search asked for once the copy is current.
  void Continue();
  void Finished(search::Results results);
  void OpenCurrent();
  // The date or group column as wide as its widest text.
  void SizeWhenColumn();

  store::DataFiles& files_;
  int listener_ = 0;
  search::FoldedCopy copy_;
  QLineEdit* box_ = nullptr;
  QLabel* status_ = nullptr;
  QTreeView* list_ = nullptr;
  QPushButton* open_ = nullptr;
  FindResultsModel* model_ = nullptr;
  search::Query query_;
  bool searching_ = false;  // results of query_ are wanted
  bool step_queued_ = false;
  bool keep_current_ = false;
  // What the shown results were found for: the box's text and the copy's
  // count of changes then. A change the keystroke's search already read
  // needs no search again.
  QString found_text_;
  std::optional<unsigned> found_at_;
};

}  // namespace quorvel
