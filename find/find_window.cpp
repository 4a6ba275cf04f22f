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
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "store/date_text.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {
namespace {

namespace names = find_names;

// How long one step of a search may keep the window from drawing.
constexpr int kStepBudgetMs = 8;

}  // namespace

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
  list_->setColumnWidth(FindResultsModel::kTitleColumn, 200);

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
  listener_ =
      files_.AddChangeListener([this](store::ChangedFiles changed) { copy_.Outdate(changed); });
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
  for (const QString& caption :
       {tr("Appointments (%1)"), tr("Notes (%1)"), tr("Address entries (%1)")}) {
    width = std::max(width, heavy.horizontalAdvance(caption.arg(QStringLiteral("00000"))));
  }
  // The item's margins as the style lays them out, and a result's indent.
  const int margin = list_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 1;
  list_->header()->resizeSection(FindResultsModel::kWhenColumn,
                                 width + 2 * margin + list_->indentation() + 8);
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

void FindWindow::Refresh() {
  // The results shown were found in the files as they are now (a keystroke
  // right after the change read it): nothing to search again.
  copy_.SetToday(Now().date());
  if (!searching_ && found_at_ == copy_.changes() && found_text_ == box_->text() &&
      copy_.current()) {
    return;
  }
  Start(true);
}

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
  // Counted before reading: a change announced meanwhile (from another
  // thread) makes the count differ, so it is searched for again.
  const unsigned changes = copy_.changes();
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
  found_text_ = box_->text();
  found_at_ = changes;
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
