#include "find/find_window.h"

#include <algorithm>
#include <optional>

#include <QAccessible>
#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPoint>
#include <QPushButton>
#include <QTextLayout>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "ui/seams.h"
#include "ui/ui.h"
#include "store/date_text.h"

namespace quorvel {
namespace {

namespace names = find_names;

// How long one step of a search may keep the window from drawing.
constexpr int kStepBudgetMs = 8;

enum Column { kWhenColumn, kTitleColumn, kTextColumn, kColumnCount };

// The sign of an occurrence of a series after its title, as the calendar
// shows it; a screen reader reads the word instead.
const QString kRepeatsSign = QStringLiteral(" \u21BB");

QVariantList MarksVariant(const QList<search::Mark>& marks) {
  QVariantList list;
  for (const search::Mark& m : marks) list.append(QPoint(m.start, m.length));
  return list;
}

}  // namespace

// ------------------------------------------------------------ the model

FindResultsModel::FindResultsModel(const store::DataFiles& files, QObject* parent)
    : QAbstractItemModel(parent), files_(files) {}

void FindResultsModel::SetResults(search::Results results, const search::Query& query) {
  beginResetModel();
  query_ = query;
  groups_.clear();
  const auto add = [this](search::Kind kind, search::MatchList& matches) {
    if (matches.empty()) return;
    groups_.push_back(Group{kind, std::move(matches), {}});
  };
  add(search::Kind::kAppointment, results.appointments);
  add(search::Kind::kNote, results.notes);
  add(search::Kind::kEntry, results.entries);
  endResetModel();
}

const search::Match* FindResultsModel::MatchAt(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == 0) return nullptr;
  const Group& group = groups_[index.internalId() - 1];
  return &group.matches[std::size_t(index.row())];
}

QModelIndex FindResultsModel::FirstResult() const {
  return groups_.empty() ? QModelIndex() : index(0, 0, index(0, 0));
}

QModelIndex FindResultsModel::IndexOf(search::Kind kind, const QString& identity) const {
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (groups_[g].kind != kind) continue;
    for (std::size_t r = 0; r < groups_[g].matches.size(); ++r) {
      if (groups_[g].matches[r].identity == identity) {
        return index(int(r), 0, index(int(g), 0));
      }
    }
  }
  return {};
}

QModelIndex FindResultsModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= kColumnCount) return {};
  if (!parent.isValid()) {
    return row < int(groups_.size()) ? createIndex(row, column, quintptr(0)) : QModelIndex();
  }
  if (parent.internalId() != 0 || parent.row() >= int(groups_.size())) return {};
  if (row >= int(groups_[std::size_t(parent.row())].matches.size())) return {};
  return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex FindResultsModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == 0) return {};
  return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int FindResultsModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return int(groups_.size());
  if (parent.internalId() != 0 || parent.column() != 0) return 0;
  return int(groups_[std::size_t(parent.row())].matches.size());
}

int FindResultsModel::columnCount(const QModelIndex&) const { return kColumnCount; }

const search::Excerpt& FindResultsModel::ExcerptOf(const Group& group, int row) const {
  auto [at, added] = group.excerpts.try_emplace(row);
  if (added) at->second = search::Describe(files_, group.matches[std::size_t(row)], query_);
  return at->second;
}

QString FindResultsModel::KindCaption(const Group& group) const {
  const int n = int(group.matches.size());
  switch (group.kind) {
    case search::Kind::kAppointment: return tr("Appointments (%1)").arg(n);
    case search::Kind::kNote: return tr("Notes (%1)").arg(n);
    case search::Kind::kEntry: return tr("Address entries (%1)").arg(n);
  }
  return QString();
}

QString FindResultsModel::WhenText(const search::Match& match) const {
  switch (match.kind) {
    case search::Kind::kAppointment:
      if (!match.date.isValid()) return QString();
      if (match.all_day) return DateText(match.date) + QLatin1Char(' ') + tr("All day");
      return match.start.isEmpty() ? DateText(match.date)
                                   : DateText(match.date) + QLatin1Char(' ') + match.start;
    case search::Kind::kNote: return QString();
    case search::Kind::kEntry:
      return match.group.isEmpty() ? tr("No group") : tr("Group %1").arg(match.group);
  }
  return QString();
}

QVariant FindResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (index.internalId() == 0) {
    const Group& group = groups_[std::size_t(index.row())];
    if (index.column() != 0) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return KindCaption(group);
    if (role == Qt::FontRole) {
      QFont font = QApplication::font();
      font.setBold(true);
      return font;
    }
    return {};
  }
  const Group& group = groups_[index.internalId() - 1];
  const search::Match& match = group.matches[std::size_t(index.row())];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    switch (index.column()) {
      case kWhenColumn: return WhenText(match);
      case kTitleColumn:
        return ExcerptOf(group, index.row()).title + (match.repeats ? kRepeatsSign : QString());
      case kTextColumn: return ExcerptOf(group, index.row()).text;
    }
  }
  if (role == kMarksRole) {
    if (index.column() == kTitleColumn) return MarksVariant(ExcerptOf(group, index.row()).title_marks);
    if (index.column() == kTextColumn) return MarksVariant(ExcerptOf(group, index.row()).text_marks);
    return QVariantList();
  }
  if (role == Qt::AccessibleTextRole) {
    // What the row is, said in one go: kind, date or group, title, text.
    const search::Excerpt& excerpt = ExcerptOf(group, index.row());
    QString kind;
    switch (match.kind) {
      case search::Kind::kAppointment: kind = tr("Appointment"); break;
      case search::Kind::kNote: kind = tr("Note"); break;
      case search::Kind::kEntry: kind = tr("Address entry"); break;
    }
    QStringList parts{kind};
    const QString title = excerpt.title + (match.repeats ? tr(", repeats") : QString());
    switch (index.column()) {
      case kWhenColumn:
        if (!WhenText(match).isEmpty()) parts.append(WhenText(match));
        parts.append(title);
        if (!excerpt.text.isEmpty()) parts.append(excerpt.text);
        return parts.join(QStringLiteral(", "));
      case kTitleColumn: return title;
      case kTextColumn: return excerpt.text;
    }
  }
  return {};
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kWhenColumn: return tr("Date or group");
    case kTitleColumn: return tr("Title");
    case kTextColumn: return tr("Matching text");
  }
  return {};
}

Qt::ItemFlags FindResultsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // A result has no rows under it: the view need not ask.
  if (index.internalId() != 0) return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ------------------------------------------------------------ the marks

void MarkedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const QVariantList marks = index.data(FindResultsModel::kMarksRole).toList();
  if (marks.isEmpty()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

  const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget)
                         .adjusted(3, 0, -3, 0);
  QList<QTextLayout::FormatRange> formats;
  for (const QVariant& v : marks) {
    const QPoint m = v.toPoint();
    QTextLayout::FormatRange range;
    range.start = m.x();
    range.length = m.y();
    range.format.setFontWeight(QFont::Bold);
    range.format.setFontUnderline(true);
    formats.append(range);
  }
  QTextLayout layout(text, opt.font, painter->device());
  layout.setFormats(formats);
  QTextOption text_option;
  text_option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(text_option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e6);
  layout.endLayout();

  const bool selected = opt.state & QStyle::State_Selected;
  const QPalette::ColorGroup cg = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                  : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                       : QPalette::Inactive;
  painter->save();
  painter->setClipRect(area);
  painter->setPen(opt.palette.color(cg, selected ? QPalette::HighlightedText : QPalette::Text));
  const qreal top = area.top() + (area.height() - (line.isValid() ? line.height() : 0)) / 2;
  layout.draw(painter, QPointF(area.left(), top));
  painter->restore();
}

// ------------------------------------------------------------ the window

FindWindow::FindWindow(store::DataFiles& files, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(files), copy_(files) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Find"));

  auto* caption = new QLabel(tr("&Find:"), this);
  box_ = new QLineEdit(this);
  box_->setObjectName(QLatin1String(names::kBox));
  box_->setAccessibleName(tr("Find"));
  box_->setAccessibleDescription(
      tr("Words to find in appointments, notes and address entries; every word must match."));
  box_->setPlaceholderText(tr("Words to find"));
  box_->setClearButtonEnabled(true);
  caption->setBuddy(box_);

  status_ = new QLabel(this);
  status_->setObjectName(QLatin1String(names::kStatus));
  status_->setAccessibleName(tr("Found"));

  model_ = new FindResultsModel(files_, this);
  list_ = new QTreeView(this);
  list_->setObjectName(QLatin1String(names::kResults));
  list_->setAccessibleName(tr("Results"));
  list_->setModel(model_);
  list_->setItemDelegate(new MarkedTextDelegate(list_));
  list_->setUniformRowHeights(true);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setExpandsOnDoubleClick(false);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setAllColumnsShowFocus(true);
  list_->header()->setStretchLastSection(true);
  // Sized from its widest possible text, not from the rows: with thousands
  // of results, measuring rows would cost every keystroke.
  SizeWhenColumn();
  list_->setColumnWidth(kTitleColumn, 200);

  open_ = new QPushButton(tr("&Open"), this);
  open_->setObjectName(QLatin1String(names::kOpen));
  open_->setAutoDefault(false);
  open_->setEnabled(false);
  auto* close = new QPushButton(tr("Close"), this);
  close->setObjectName(QLatin1String(names::kClose));
  close->setAutoDefault(false);

  auto* top = new QHBoxLayout;
  top->addWidget(caption);
  top->addWidget(box_, 1);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(status_, 1);
  bottom->addWidget(open_);
  bottom->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(list_, 1);
  layout->addLayout(bottom);
  resize(720, 440);

  box_->installEventFilter(this);
  list_->installEventFilter(this);
  connect(box_, &QLineEdit::textChanged, this, [this] { Start(); });
  connect(box_, &QLineEdit::returnPressed, this, [this] { OpenCurrent(); });
  connect(list_, &QTreeView::doubleClicked, this, [this] { OpenCurrent(); });
  connect(open_, &QPushButton::clicked, this, [this] { OpenCurrent(); });
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    for (int g = 0; g < model_->rowCount(); ++g) list_->expand(model_->index(g, 0));
  });
  connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { open_->setEnabled(model_->MatchAt(current)); });
  listener_ = files_.AddChangeListener([this](store::ChangedFiles changed) { copy_.Outdate(changed); });
  Finished(search::Results());
}

FindWindow::~FindWindow() { files_.RemoveChangeListener(listener_); }

void FindWindow::SizeWhenColumn() {
  // The widest of: a date with its start, an entry's group, a kind's
  // caption (in bold, with a count as long as a file's items can be).
  QStringList texts{DateText(QDate(2000, 10, 20)) + QStringLiteral(" 00:00"),
                    DateText(QDate(2000, 10, 20)) + QLatin1Char(' ') + tr("All day"),
                    tr("Group %1").arg(QStringLiteral("XYZ")), tr("No group")};
  const QFontMetrics plain(list_->font());
  QFont bold = QApplication::font();
  bold.setBold(true);
  const QFontMetrics heavy(bold);
  int width = 0;
  for (const QString& text : texts) width = std::max(width, plain.horizontalAdvance(text));
  for (const QString& caption : {tr("Appointments (%1)"), tr("Notes (%1)"), tr("Address entries (%1)")}) {
    width = std::max(width, heavy.horizontalAdvance(caption.arg(QStringLiteral("00000"))));
  }
  // The item's margins as the style lays them out, and a result's indent.
  const int margin = list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1;
  list_->header()->resizeSection(kWhenColumn, width + 2 * margin + list_->indentation() + 8);
}

void FindWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) SizeWhenColumn();
  QWidget::changeEvent(event);
}

void FindWindow::Open() {
  OpenToolWindow(*this);
  box_->setFocus(Qt::ShortcutFocusReason);
  box_->selectAll();
}

void FindWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // What was found before may have changed while the window was hidden;
  // with the box empty, the copy is read ahead of the first keystroke.
  if (!box_->text().isEmpty()) {
    Refresh();
  } else {
    Continue();
  }
}

void FindWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Closed (not minimised): the copy is read again when the window is
  // next shown.
  if (!event->spontaneous() && !searching_) copy_.Clear();
}

void FindWindow::Refresh() { Start(true); }

void FindWindow::Start(bool keep_current) {
  keep_current_ = keep_current;
  query_ = search::Query(box_->text());
  searching_ = !query_.empty() && !query_.impossible();
  if (!searching_) Finished(search::Results());
  // Also with nothing to search for: what changed is read ahead of the
  // next keystroke.
  Continue();
}

void FindWindow::Continue() {
  if (!searching_ && !isVisible()) return;
  // The events are dated from today, read again when the day has changed.
  copy_.SetToday(Now().date());
  if (!copy_.Update(kStepBudgetMs)) {
    // More to read: let the window draw and take keys first.
    if (searching_) status_->setText(tr("Searching…"));
    if (!step_queued_) {
      step_queued_ = true;
      QTimer::singleShot(0, this, [this] {
        step_queued_ = false;
        Continue();
      });
    }
    return;
  }
  if (!searching_) return;
  searching_ = false;
  Finished(copy_.Find(query_, Now().date()));
}

void FindWindow::Finished(search::Results results) {
  const bool list_focused = list_->hasFocus();
  std::optional<std::pair<search::Kind, QString>> kept;
  if (const search::Match* current = model_->MatchAt(list_->currentIndex());
      current != nullptr && keep_current_) {
    kept.emplace(current->kind, current->identity);
  }
  const std::size_t found = results.size();
  model_->SetResults(std::move(results), query_);
  if (query_.empty()) {
    status_->setText(tr("Type the words to find."));
  } else if (found == 0) {
    status_->setText(tr("Nothing found."));
  } else if (found == 1) {
    status_->setText(tr("1 found."));
  } else {
    status_->setText(tr("%1 found.").arg(found));
  }
  // The first result is the current one, so that Enter opens it; after a
  // change to the files, the one chosen before while it is still found.
  QModelIndex first = model_->FirstResult();
  if (kept) {
    const QModelIndex again = model_->IndexOf(kept->first, kept->second);
    if (again.isValid()) first = again;
  }
  if (first.isValid()) {
    list_->setCurrentIndex(first);
  }
  open_->setEnabled(first.isValid());
  if (list_focused && !first.isValid()) box_->setFocus();
  QAccessibleValueChangeEvent changed(status_, status_->text());
  QAccessible::updateAccessibility(&changed);
}

void FindWindow::OpenCurrent() {
  const search::Match* match = model_->MatchAt(list_->currentIndex());
  if (match == nullptr) match = model_->MatchAt(model_->FirstResult());
  if (match == nullptr) return;
  const search::Match chosen = *match;  // the model may change while it opens
  emit OpenRequested(chosen);
}

bool FindWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
  auto* key = static_cast<QKeyEvent*>(event);
  if (watched == box_ && (key->key() == Qt::Key_Down || key->key() == Qt::Key_PageDown)) {
    // From the box into the results.
    if (!list_->currentIndex().isValid()) list_->setCurrentIndex(model_->FirstResult());
    list_->setFocus(Qt::TabFocusReason);
    return true;
  }
  if (watched == list_) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      OpenCurrent();
      return true;
    }
    if (key->key() == Qt::Key_Up && list_->currentIndex() == model_->FirstResult()) {
      box_->setFocus(Qt::BacktabFocusReason);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace quorvel
