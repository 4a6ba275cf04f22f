#include "calendar/day_schedule_window.h"

#include <algorithm>

#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include "calendar/activities_window.h"
#include "ui/contrast.h"
#include "ui/date_box.h"
#include "ui/organiser.h"
#include "ui/ui.h"

namespace quorvel {

namespace names = day_schedule_names;

const QColor DayScheduleWindow::kBusy(0, 0, 255);
const QColor DayScheduleWindow::kOccupied(255, 0, 0);
const QColor DayScheduleWindow::kOverbooked(192, 0, 0);
const QColor DayScheduleWindow::kTotalCaption(128, 255, 255);

namespace {

constexpr int kTimeColumns = 34;

QTableWidgetItem* Cell(QTableWidget& grid, int row, int column) {
  QTableWidgetItem* item = grid.item(row, column);
  if (!item) {
    item = new QTableWidgetItem;
    item->setFlags(Qt::ItemIsEnabled);
    grid.setItem(row, column, item);
  }
  return item;
}

// Cells cannot be chosen: none is drawn with a focus frame, a tint or the
// hover shade; the grid as a whole shows the focus.
class PlainCells : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem plain(option);
    plain.state &= ~(QStyle::State_HasFocus | QStyle::State_Selected | QStyle::State_MouseOver);
    QStyledItemDelegate::paint(painter, plain, index);
  }
};

}  // namespace

QStringList DayScheduleWindow::TimeLabels() {
  QStringList labels;
  QString t = QStringLiteral("07:00");
  while (t != QLatin1String("24:00")) {
    labels.append(t);
    int hour = t.left(2).toInt();
    QString minutes = t.mid(3, 2);
    if (minutes == QLatin1String("00")) {
      minutes = QStringLiteral("30");
    } else {
      minutes = QStringLiteral("00");
      ++hour;
    }
    t = QStringLiteral("%1:%2").arg(hour, 2, 10, QLatin1Char('0')).arg(minutes);
  }
  return labels;
}

DayScheduleWindow::DayScheduleWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Day Schedule"));
  setFixedSize(Px(8040), Px(3795));
  setFont(ArialFont(9));

  grid_ = new QTableWidget(0, kTimeColumns + 1, this);
  grid_->setObjectName(QLatin1String(names::kGrid));
  grid_->setAccessibleName(tr("Day schedule"));
  grid_->setGeometry(TwipsRect(120, 120, 7815, 3135));
  grid_->verticalHeader()->hide();
  grid_->verticalHeader()->setDefaultSectionSize(Px(285));
  grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid_->horizontalHeader()->setHighlightSections(false);
  grid_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  grid_->setSelectionMode(QAbstractItemView::NoSelection);
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setFocusPolicy(Qt::StrongFocus);
  // Tab leaves the grid; the arrow keys move (and scroll) inside it.
  grid_->setTabKeyNavigation(false);
  grid_->setItemDelegate(new PlainCells(grid_));
  grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  grid_->setHorizontalHeaderLabels(QStringList{tr("Appointment")} + TimeLabels());
  grid_->setColumnWidth(0, Px(3000));
  for (int k = 1; k <= kTimeColumns; ++k) {
    grid_->setColumnWidth(k, Px(500));
    grid_->horizontalHeaderItem(k)->setTextAlignment(Qt::AlignCenter);
  }
  grid_->horizontalHeader()->setFont(ArialFont(8));
  grid_->horizontalHeader()->setMinimumSectionSize(Px(450));

  date_ = new DateBox(this);
  date_->setObjectName(QLatin1String(names::kDate));
  date_->setGeometry(TwipsRect(120, 3360, 3135, 375));
  // The day changes when a typed date is complete, not at every digit.
  date_->setKeyboardTracking(false);
  date_->setAccessibleName(tr("Date"));

  auto* ok = new QPushButton(tr("OK"), this);
  ok->setObjectName(QLatin1String(names::kOk));
  ok->setGeometry(TwipsRect(6720, 3360, 1215, 375));
  ok->setDefault(true);  // Enter presses it where the control in focus has no use for Enter
  connect(ok, &QPushButton::clicked, this, &QWidget::hide);

  setTabOrder(grid_, date_);
  setTabOrder(date_, ok);

  // Another day: the Activities window follows, then the schedule.
  connect(date_, &DateBox::dateChanged, this, [this](QDate date) {
    ActivitiesWindow& activities = app_.Activities();
    activities.SetDate(date);
    activities.FillActivities();
    FillDaySchedule();
  });
}

QDate DayScheduleWindow::Date() const { return date_->date(); }

void DayScheduleWindow::SetDate(const QDate& date) {
  const QSignalBlocker block(date_);
  date_->setDate(date);
}

void DayScheduleWindow::FillDaySchedule() {
  ActivitiesWindow& activities = app_.Activities();
  setWindowTitle(tr("Day Schedule for - ") + DateText(activities.Date()));

  // The header row holds "Appointment" and the 34 half-hours; one row per
  // listed appointment follows, then the total.
  grid_->clearContents();
  grid_->setRowCount(0);
  const QStringList times = TimeLabels();
  // All-day events above the rows of the timed ones, which keep the
  // Activities order.
  std::vector<ActivitiesWindow::ListedRow> rows = activities.ListedRows();
  std::stable_partition(rows.begin(), rows.end(),
                        [](const ActivitiesWindow::ListedRow& row) { return row.all_day; });
  const int n = static_cast<int>(rows.size());
  if (n < 1) return;

  // Column k stands for the half-hour beginning at its label; an
  // appointment covers it when start <= label < end, compared as texts.
  // An all-day event takes no half-hour: the day stays free around it.
  auto covers = [&](int j, int k) {
    const ActivitiesWindow::ListedRow& row = rows[std::size_t(j)];
    const QString& label = times[k - 1];
    return !row.all_day && row.start <= label && label < row.end;
  };
  grid_->setRowCount(n + 1);
  for (int j = 0; j < n; ++j) {
    const ActivitiesWindow::ListedRow& row = rows[std::size_t(j)];
    QTableWidgetItem* caption = Cell(*grid_, j, 0);
    caption->setText(row.all_day ? tr("All day: %1").arg(row.subject) : row.subject);
    if (row.heard != row.subject) {
      caption->setData(Qt::AccessibleTextRole,
                       row.all_day ? tr("All day: %1").arg(row.heard) : row.heard);
    }
    for (int k = 1; k <= kTimeColumns; ++k) {
      if (covers(j, k)) Cell(*grid_, j, k)->setBackground(kBusy);
    }
  }
  QTableWidgetItem* total = Cell(*grid_, n, 0);
  total->setText(tr("Total Occupation"));
  total->setBackground(kTotalCaption);
  // The caption's pale cyan is fixed; its text stays dark on it.
  total->setForeground(ReadableOn(grid_->palette().color(QPalette::Text), kTotalCaption));
  for (int k = 1; k <= kTimeColumns; ++k) {
    int covering = 0;
    for (int j = 0; j < n; ++j) covering += covers(j, k) ? 1 : 0;
    if (covering == 1) Cell(*grid_, n, k)->setBackground(kOccupied);
    if (covering >= 2) Cell(*grid_, n, k)->setBackground(kOverbooked);
  }
}

}  // namespace quorvel
