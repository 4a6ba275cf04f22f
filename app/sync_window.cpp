#include "app/sync_window.h"

#include <memory>
#include <optional>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QThread>
#include <QVBoxLayout>

#include "items/sync_state.h"
#include "sync/dav_client.h"
#include "sync/password.h"
#include "sync/setup.h"
#include "ui/seams.h"

namespace quorvel {
namespace {

namespace names = sync_names;

QComboBox* CollectionBox(const QString& name) {
  auto* box = new QComboBox;
  box->setEditable(true);
  box->setObjectName(name);
  box->setAccessibleName(name);
  box->setMinimumWidth(380);
  return box;
}

// Runs `work` on a thread of its own and hands its result to `then` on
// the interface thread (not at all if `context` is gone by then).
template <typename Result>
void InBackground(QObject* context, std::function<Result()> work,
                  std::function<void(const Result&)> then) {
  auto result = std::make_shared<Result>();
  QThread* worker = QThread::create([work = std::move(work), result] { *result = work(); });
  QObject::connect(worker, &QThread::finished, context,
                   [then = std::move(then), result] { then(*result); });
  QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
  worker->start();
}

QUrl ChosenUrl(const QComboBox& box) {
  const int index = box.findText(box.currentText());
  if (index >= 0 && box.itemData(index).isValid()) return box.itemData(index).toUrl();
  return QUrl(box.currentText().trimmed());
}

}  // namespace

SyncWindow::SyncWindow(store::DataFiles& files, sync::BackgroundSync& runner, QWidget* parent)
    : QWidget(parent, Qt::Window), files_(files), runner_(runner) {
  setWindowTitle(tr("Sync"));
  setObjectName(QLatin1String(names::kWindow));
  setAccessibleName(tr("Sync"));

  server_ = new QLineEdit;
  server_->setPlaceholderText(QStringLiteral("https://dav.example.org/"));
  user_ = new QLineEdit;
  password_ = new QLineEdit;
  password_->setEchoMode(QLineEdit::Password);
  password_->setPlaceholderText(tr("(saved in the desktop's secret store)"));
  calendar_ = CollectionBox(tr("Calendar"));
  address_book_ = CollectionBox(tr("Address book"));
  auto_sync_ = new QCheckBox(tr("Sync &automatically at start-up and every 5 minutes"));
  find_ = new QPushButton(tr("&Find calendars"));
  save_ = new QPushButton(tr("Sa&ve"));
  sync_now_ = new QPushButton(tr("Sync &now"));
  stop_ = new QPushButton(tr("S&top"));
  stop_->setEnabled(false);
  auto* close = new QPushButton(tr("&Close"));
  progress_ = new QProgressBar;
  progress_->setAccessibleName(tr("Sync progress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setTextVisible(false);  // the status line below gives the counts
  status_ = new QLabel;
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  status_->setFocusPolicy(Qt::StrongFocus);  // Tab reaches the summary, to read or copy it
  status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  // Room for three lines, so the window does not jump as texts come and
  // go; a long summary (many items left on the server) scrolls.
  auto* status_area = new QScrollArea;
  status_area->setWidget(status_);
  status_area->setWidgetResizable(true);
  status_area->setFrameShape(QFrame::NoFrame);
  status_area->setFocusPolicy(Qt::NoFocus);
  status_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  status_area->setFixedHeight(status_->fontMetrics().lineSpacing() * 3 + 6);
  status_->setAccessibleName(tr("Sync status"));
  status_->setObjectName(QLatin1String(names::kStatus));
  progress_->setObjectName(QLatin1String(names::kProgress));

  const std::pair<QWidget*, const char*> named[] = {
      {server_, QT_TR_NOOP("Server")},       {user_, QT_TR_NOOP("User name")},
      {password_, QT_TR_NOOP("Password")},   {auto_sync_, QT_TR_NOOP("Sync automatically")},
      {find_, QT_TR_NOOP("Find calendars")}, {save_, QT_TR_NOOP("Save")},
      {sync_now_, QT_TR_NOOP("Sync now")},   {stop_, QT_TR_NOOP("Stop sync")},
      {close, QT_TR_NOOP("Close")}};
  for (const auto& [widget, name] : named) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(tr(name));
  }

  auto* form = new QFormLayout;
  form->addRow(tr("&Server:"), server_);
  form->addRow(tr("&User name:"), user_);
  form->addRow(tr("&Password:"), password_);
  auto* find_row = new QHBoxLayout;
  find_row->addWidget(find_);
  find_row->addStretch();
  form->addRow(QString(), find_row);
  form->addRow(tr("Ca&lendar:"), calendar_);
  form->addRow(tr("A&ddress book:"), address_book_);
  form->addRow(QString(), auto_sync_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(sync_now_);
  buttons->addWidget(stop_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(progress_);
  layout->addWidget(status_area);
  layout->addLayout(buttons);

  connect(find_, &QPushButton::clicked, this, &SyncWindow::FindCollections);
  connect(save_, &QPushButton::clicked, this, [this] { SaveSettings({}); });
  connect(sync_now_, &QPushButton::clicked, this, &SyncWindow::SyncNow);
  connect(stop_, &QPushButton::clicked, this, [this] {
    if (!runner_.running()) return;
    runner_.Stop();
    stop_->setEnabled(false);
    status_->setText(tr("Stopping…"));
  });
  connect(close, &QPushButton::clicked, this, &QWidget::hide);
  connect(&runner_, &sync::BackgroundSync::Progress, this, &SyncWindow::ShowProgress);
  connect(&runner_, &sync::BackgroundSync::Finished, this, &SyncWindow::ShowFinished);
  LoadSettings();
}

void SyncWindow::LoadSettings() {
  const auto state = sync::LoadState(files_);
  if (!state) {
    status_->setText(tr("The saved sync state is damaged; save the settings to start over."));
    return;
  }
  const sync::SyncSettings& s = state->settings;
  server_->setText(s.server.toString());
  user_->setText(s.user);
  calendar_->setEditText(s.calendar.toString());
  address_book_->setEditText(s.address_book.toString());
  auto_sync_->setChecked(s.auto_sync);
}

void SyncWindow::SetBusy(bool busy, const QString& status) {
  busy_ = busy;
  const bool idle = !busy && !runner_.running();
  find_->setEnabled(idle);
  save_->setEnabled(idle);
  sync_now_->setEnabled(idle);
  stop_->setEnabled(runner_.running());
  if (busy) {
    progress_->setRange(0, 0);  // moving: the length is not known
  } else if (!runner_.running()) {
    progress_->setRange(0, 1);
    progress_->setValue(0);
  }
  if (!status.isNull()) status_->setText(status);
}

void SyncWindow::FindCollections() {
  if (busy_ || runner_.running()) return;
  const QUrl server(server_->text().trimmed());
  sync::SyncSettings typed_server;
  typed_server.server = server;
  if (const sync::DavError problem = sync::CheckAddresses(typed_server)) {
    ShowMessage(problem.Message());
    return;
  }
  SetBusy(true, tr("Asking the server…"));
  const QString user = user_->text();
  const QString typed = password_->text();
  struct Found {
    std::optional<sync::Discovery> discovery;
    sync::DavError error;
  };
  InBackground<Found>(
      this,
      [server, user, typed] {
        Found result;
        const QString password =
            typed.isEmpty() ? sync::ReadPassword(server, user).password : typed;
        sync::DavClient client(server, user, password);
        result.discovery = client.Discover(&result.error);
        return result;
      },
      [this](const Found& result) {
        if (!result.discovery) {
          SetBusy(false, result.error.Message());
          ShowMessage(result.error.Message());
          return;
        }
        const sync::Discovery& found = *result.discovery;
        const QString calendar_text = calendar_->currentText();
        const QString book_text = address_book_->currentText();
        calendar_->clear();
        address_book_->clear();
        for (const sync::Collection& c : found.collections) {
          if (c.kind == sync::CollectionKind::kCalendar && !c.holds_events) continue;
          QComboBox* box = c.kind == sync::CollectionKind::kCalendar ? calendar_ : address_book_;
          box->addItem(c.url.toString(), c.url);
          if (!c.display_name.isEmpty()) {
            box->setItemData(box->count() - 1, c.display_name, Qt::ToolTipRole);
          }
        }
        // None of a kind: offer a new one in the home.
        if (calendar_->count() == 0 && found.calendar_home.isValid()) {
          calendar_->addItem(
              found.calendar_home.resolved(QUrl(QStringLiteral("quorvel-calendar/"))).toString());
        }
        if (address_book_->count() == 0 && found.addressbook_home.isValid()) {
          address_book_->addItem(
              found.addressbook_home.resolved(QUrl(QStringLiteral("quorvel-contacts/")))
                  .toString());
        }
        if (calendar_->findText(calendar_text) >= 0) calendar_->setCurrentText(calendar_text);
        if (address_book_->findText(book_text) >= 0) address_book_->setCurrentText(book_text);
        SetBusy(false, tr("Found %1 calendars and address books.").arg(found.collections.size()));
      });
}

void SyncWindow::SaveSettings(std::function<void()> then) {
  if (busy_) return;
  if (runner_.running()) {
    ShowMessage(tr("A sync is running; save the settings when it has finished."));
    return;
  }
  sync::SyncSettings settings;
  settings.server = QUrl(server_->text().trimmed());
  settings.user = user_->text().trimmed();
  settings.calendar = ChosenUrl(*calendar_);
  settings.address_book = ChosenUrl(*address_book_);
  settings.auto_sync = auto_sync_->isChecked();
  if (!sync::DavClient::IsAllowed(settings.server) || settings.user.isEmpty()) {
    ShowMessage(tr("Please give the server address (https://…) and the user name."));
    return;
  }
  // No user name or password in any address, and the collections on the
  // server named, so the password goes nowhere else.
  if (const sync::DavError problem = sync::CheckAddresses(settings)) {
    ShowMessage(problem.Message());
    return;
  }
  SetBusy(true, tr("Checking the settings with the server…"));
  const QString typed = password_->text();
  struct Checked {
    std::optional<sync::SyncSettings> settings;
    sync::DavError error;
    QString password_problem;  // null when the password was stored (or not given)
  };
  InBackground<Checked>(
      this,
      [settings, typed] {
        Checked result;
        const QString password =
            typed.isEmpty() ? sync::ReadPassword(settings.server, settings.user).password : typed;
        sync::DavClient client(settings.server, settings.user, password);
        // Collections that do not exist yet are made now.
        result.settings = sync::CompleteSettings(client, settings, &result.error);
        if (result.settings && !typed.isEmpty()) {
          result.password_problem = sync::StorePassword(settings.server, settings.user, typed);
        }
        return result;
      },
      [this, then = std::move(then)](const Checked& result) {
        if (!result.settings) {
          SetBusy(false, result.error.Message());
          ShowMessage(result.error.Message());
          return;
        }
        const QString refusal = sync::SaveSettings(files_, *result.settings);
        if (!refusal.isNull()) {
          SetBusy(false, refusal);
          ShowMessage(refusal);
          return;
        }
        calendar_->setEditText(result.settings->calendar.toString());
        address_book_->setEditText(result.settings->address_book.toString());
        runner_.SetAutomatic(result.settings->auto_sync);
        SetBusy(false,
                result.password_problem.isNull() ? tr("Settings saved.") : result.password_problem);
        if (then) then();
      });
}

void SyncWindow::SyncNow() {
  if (busy_ || runner_.running()) return;
  SaveSettings([this] {
    status_->setText(tr("Syncing…"));
    runner_.Start(password_->text());
    SetBusy(false);
    if (runner_.running()) progress_->setRange(0, 0);
  });
}

void SyncWindow::ShowProgress(const QString& step, int done, int total) {
  SetBusy(busy_);  // a sync started elsewhere (automatic) also locks the buttons
  progress_->setRange(0, total);
  progress_->setValue(done);
  status_->setText(total > 0 ? tr("%1 %2 of %3").arg(step).arg(done).arg(total) : step);
}

void SyncWindow::ShowFinished(bool ok, const QString& summary) {
  SetBusy(false, summary);
  // Full only when the run finished; a stopped or failed one shows empty.
  progress_->setValue(ok ? 1 : 0);
}

bool AllowSyncDeletions(const QString& question) {
  return AskChoice(question, {SyncWindow::tr("Stop the Sync"), SyncWindow::tr("Delete Them")}) == 1;
}

}  // namespace quorvel
