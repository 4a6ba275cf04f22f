#include "app/sync_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/seams.h"
#include "sync/dav_client.h"
#include "sync/password.h"
#include "sync/setup.h"
#include "sync/sync_state.h"

namespace quorvel {
namespace {

QComboBox* CollectionBox(const QString& name) {
  auto* box = new QComboBox;
  box->setEditable(true);
  box->setObjectName(name);
  box->setAccessibleName(name);
  box->setMinimumWidth(380);
  return box;
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
  setObjectName(QStringLiteral("frmSync"));
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
  auto* close = new QPushButton(tr("&Close"));
  progress_ = new QProgressBar;
  progress_->setAccessibleName(tr("Sync progress"));
  progress_->setRange(0, 1);
  progress_->setValue(0);
  status_ = new QLabel;
  status_->setWordWrap(true);
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  status_->setAccessibleName(tr("Sync status"));

  const std::pair<QWidget*, const char*> named[] = {
      {server_, QT_TR_NOOP("Server")},
      {user_, QT_TR_NOOP("User name")},
      {password_, QT_TR_NOOP("Password")},
      {auto_sync_, QT_TR_NOOP("Sync automatically")},
      {find_, QT_TR_NOOP("Find calendars")},
      {save_, QT_TR_NOOP("Save")},
      {sync_now_, QT_TR_NOOP("Sync now")},
      {close, QT_TR_NOOP("Close")}};
  for (const auto& [widget, name] : named) {
    widget->setObjectName(QString::fromLatin1(name));
    widget->setAccessibleName(tr(name));
  }

  auto* form = new QFormLayout;
  form->addRow(tr("&Server:"), server_);
  form->addRow(tr("&User name:"), user_);
  form->addRow(tr("&Password:"), password_);
  form->addRow(QString(), find_);
  form->addRow(tr("Ca&lendar:"), calendar_);
  form->addRow(tr("A&ddress book:"), address_book_);
  form->addRow(QString(), auto_sync_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(save_);
  buttons->addWidget(sync_now_);
  buttons->addWidget(close);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(progress_);
  layout->addWidget(status_);
  layout->addLayout(buttons);

  connect(find_, &QPushButton::clicked, this, &SyncWindow::FindCollections);
  connect(save_, &QPushButton::clicked, this, [this] {
    if (SaveSettings()) status_->setText(tr("Settings saved."));
  });
  connect(sync_now_, &QPushButton::clicked, this, &SyncWindow::SyncNow);
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

void SyncWindow::FindCollections() {
  const QUrl server(server_->text().trimmed());
  if (!sync::DavClient::IsAllowed(server)) {
    ShowMessage(sync::DavError{sync::DavErrorKind::kInsecure, 0, {}}.Message());
    return;
  }
  QString password = password_->text();
  if (password.isEmpty()) password = sync::ReadPassword(server, user_->text()).password;
  status_->setText(tr("Asking the server…"));
  find_->setEnabled(false);
  sync::DavClient client(server, user_->text(), password);
  sync::DavError error;
  auto found = client.Discover(&error);
  find_->setEnabled(true);
  if (!found) {
    status_->setText(error.Message());
    ShowMessage(error.Message());
    return;
  }
  const QString calendar_text = calendar_->currentText();
  const QString book_text = address_book_->currentText();
  calendar_->clear();
  address_book_->clear();
  for (const sync::Collection& c : found->collections) {
    if (c.kind == sync::CollectionKind::kCalendar && !c.holds_events) continue;
    QComboBox* box = c.kind == sync::CollectionKind::kCalendar ? calendar_ : address_book_;
    box->addItem(c.url.toString(), c.url);
    if (!c.display_name.isEmpty()) {
      box->setItemData(box->count() - 1, c.display_name, Qt::ToolTipRole);
    }
  }
  // None of a kind: offer a new one in the home.
  if (calendar_->count() == 0 && found->calendar_home.isValid()) {
    calendar_->addItem(found->calendar_home.resolved(QUrl(QStringLiteral("quorvel-calendar/"))).toString());
  }
  if (address_book_->count() == 0 && found->addressbook_home.isValid()) {
    address_book_->addItem(
        found->addressbook_home.resolved(QUrl(QStringLiteral("quorvel-contacts/"))).toString());
  }
  if (calendar_->findText(calendar_text) >= 0) calendar_->setCurrentText(calendar_text);
  if (address_book_->findText(book_text) >= 0) address_book_->setCurrentText(book_text);
  status_->setText(tr("Found %1 calendars and address books.").arg(found->collections.size()));
}

bool SyncWindow::SaveSettings() {
  if (runner_.running()) {
    ShowMessage(tr("A sync is running; save the settings when it has finished."));
    return false;
  }
  sync::SyncSettings settings;
  settings.server = QUrl(server_->text().trimmed());
  settings.user = user_->text().trimmed();
  settings.calendar = ChosenUrl(*calendar_);
  settings.address_book = ChosenUrl(*address_book_);
  settings.auto_sync = auto_sync_->isChecked();
  if (!sync::DavClient::IsAllowed(settings.server) || settings.user.isEmpty()) {
    ShowMessage(tr("Please give the server address (https://…) and the user name."));
    return false;
  }
  for (const QUrl& url : {settings.calendar, settings.address_book}) {
    if (!url.isEmpty() && !sync::DavClient::IsAllowed(url)) {
      ShowMessage(sync::DavError{sync::DavErrorKind::kInsecure, 0, {}}.Message());
      return false;
    }
  }
  // Collections that do not exist yet are made now.
  const QString password = password_->text().isEmpty()
                               ? sync::ReadPassword(settings.server, settings.user).password
                               : password_->text();
  sync::DavClient client(settings.server, settings.user, password);
  sync::DavError error;
  auto complete = sync::CompleteSettings(client, settings, &error);
  if (!complete) {
    ShowMessage(error.Message());
    return false;
  }
  if (!password_->text().isEmpty()) {
    const QString problem = sync::StorePassword(settings.server, settings.user, password_->text());
    if (!problem.isNull()) status_->setText(problem);
  }
  const QString refusal = sync::SaveSettings(files_, *complete);
  if (!refusal.isNull()) {
    ShowMessage(refusal);
    return false;
  }
  calendar_->setEditText(complete->calendar.toString());
  address_book_->setEditText(complete->address_book.toString());
  runner_.SetAutomatic(settings.auto_sync);
  return true;
}

void SyncWindow::SyncNow() {
  if (runner_.running()) return;
  if (!SaveSettings()) return;
  sync_now_->setEnabled(false);
  progress_->setRange(0, 0);
  status_->setText(tr("Syncing…"));
  runner_.Start(password_->text());
}

void SyncWindow::ShowProgress(const QString& step, int done, int total) {
  progress_->setRange(0, total);
  progress_->setValue(done);
  status_->setText(step);
}

void SyncWindow::ShowFinished(bool ok, const QString& summary) {
  Q_UNUSED(ok);
  sync_now_->setEnabled(true);
  progress_->setRange(0, 1);
  progress_->setValue(1);
  status_->setText(summary);
}

}  // namespace quorvel
