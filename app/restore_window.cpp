#include "app/restore_window.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "app/application.h"
#include "ui/seams.h"

namespace quorvel {
namespace {

namespace names = restore_names;

std::function<bool(const QString&)>& Question() {
  static std::function<bool(const QString&)> ask;
  return ask;
}

bool Ask(QWidget* parent, const QString& text) {
  if (Question()) return Question()(text);
  return QMessageBox::question(parent, QStringLiteral("Quorvel"), text,
                               QMessageBox::Yes | QMessageBox::No,
                               QMessageBox::No) == QMessageBox::Yes;
}

// A list that restores the current backup on Enter.
class BackupList : public QTreeWidget {
 public:
  explicit BackupList(std::function<void()> on_enter) : on_enter_(std::move(on_enter)) {}

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
      on_enter_();
      return;
    }
    QTreeWidget::keyPressEvent(event);
  }

 private:
  std::function<void()> on_enter_;
};

}  // namespace

void SetRestoreQuestion(std::function<bool(const QString&)> ask) { Question() = std::move(ask); }

QString SizeText(qint64 bytes) {
  return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
}

RestoreWindow::RestoreWindow(Application& app, QWidget* parent)
    : QWidget(parent, Qt::Window), app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Restore"));
  setAccessibleName(tr("Restore"));

  auto* intro =
      new QLabel(tr("Quorvel keeps a copy of all its files once a day, before every "
                    "import and before the first sync. Choose one to put back:"));
  intro->setWordWrap(true);
  list_ = new BackupList([this] { RestoreSelected(); });
  list_->setObjectName(QLatin1String(names::kBackups));
  list_->setAccessibleName(tr("Backups"));
  list_->setAccessibleDescription(tr("The backups of this data folder, newest first"));
  list_->setRootIsDecorated(false);
  list_->setAllColumnsShowFocus(true);
  list_->setUniformRowHeights(true);
  list_->setHeaderLabels(
      {tr("Date"), tr("Taken"), tr("Appointments"), tr("Notes"), tr("Entries"), tr("Size")});
  list_->header()->setStretchLastSection(false);
  list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  intro->setBuddy(list_);
  summary_ = new QLabel;
  summary_->setObjectName(QLatin1String(names::kSpace));
  summary_->setWordWrap(true);
  restore_ = new QPushButton(tr("&Restore…"));
  restore_->setObjectName(QLatin1String(names::kRestore));
  auto* close = new QPushButton(tr("&Close"));
  close->setObjectName(QLatin1String(names::kClose));
  connect(restore_, &QPushButton::clicked, this, &RestoreWindow::RestoreSelected);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  connect(list_, &QTreeWidget::currentItemChanged, this,
          [this] { restore_->setEnabled(list_->currentItem() != nullptr); });

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(restore_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(intro);
  layout->addWidget(list_, 1);
  layout->addWidget(summary_);
  layout->addLayout(buttons);
  setTabOrder(list_, restore_);
  setTabOrder(restore_, close);
  resize(640, 380);
  LoadBackups();
}

void RestoreWindow::LoadBackups() {
  listed_ = backups::ListBackups(app_.BackupsFolder());
  list_->clear();
  qint64 total = 0;
  const QLocale locale;
  for (const backups::BackupInfo& info : listed_) {
    total += info.size;
    auto* item = new QTreeWidgetItem(list_);
    item->setText(0, locale.toString(info.created, QLocale::ShortFormat));
    item->setText(1, backups::ReasonText(info.reason));
    item->setText(2, locale.toString(info.appointments));
    item->setText(3, locale.toString(info.notes));
    item->setText(4, locale.toString(info.entries));
    item->setText(5, SizeText(info.size));
    for (int c = 2; c <= 5; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  }
  if (listed_.empty()) {
    summary_->setText(tr("There are no backups of this data folder yet."));
  } else {
    summary_->setText(tr("Backups kept: %1, taking %2 in all, in %3 (the newest %4 are kept).")
                          .arg(int(listed_.size()))
                          .arg(SizeText(total), QDir::toNativeSeparators(app_.BackupsFolder()))
                          .arg(backups::kKept));
  }
  if (!listed_.empty()) list_->setCurrentItem(list_->topLevelItem(0));
  restore_->setEnabled(!listed_.empty());
}

void RestoreWindow::RestoreSelected() {
  const int row = list_->currentItem() ? list_->indexOfTopLevelItem(list_->currentItem()) : -1;
  if (row < 0 || row >= int(listed_.size())) return;
  const backups::BackupInfo chosen = listed_[std::size_t(row)];
  const backups::BackupInfo now = backups::CurrentCounts(app_.files());
  const QLocale locale;
  const QString text =
      tr("Put back the backup of %1?\n\nIt holds %2 appointments, %3 repeating or all-day "
         "appointments, %4 notes and %5 address book entries. They replace everything the files "
         "hold now: %6 appointments, %7 repeating or all-day appointments, %8 notes and %9 "
         "entries. What the files hold now is kept as a backup first, so this can be reversed "
         "with Restore… as well.")
          .arg(locale.toString(chosen.created, QLocale::LongFormat))
          .arg(chosen.appointments)
          .arg(chosen.events)
          .arg(chosen.notes)
          .arg(chosen.entries)
          .arg(now.appointments)
          .arg(now.events)
          .arg(now.notes)
          .arg(now.entries);
  if (!Ask(this, text)) return;
  const store::Outcome outcome = app_.RestoreFrom(chosen.path);
  LoadBackups();
  if (outcome.refused()) {
    ShowMessage(outcome.reason());
    return;
  }
  ShowMessage(tr("The backup of %1 was put back.")
                  .arg(locale.toString(chosen.created, QLocale::LongFormat)));
}

}  // namespace quorvel
