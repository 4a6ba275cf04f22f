// "Sync…": where the user sets up sync with a CalDAV/CardDAV server (server,
// user, password, the calendar and address book to use), starts a sync and
// watches it run.
#pragma once

#include <functional>

#include <QWidget>

#include "store/data_files.h"
#include "sync/background_sync.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

namespace quorvel {

// Whether a sync may delete what `question` says (asked before a sync
// deletes more than a few items, or most of a side), through the choice
// seam; the first answer, the default, and Esc stop the sync.
bool AllowSyncDeletions(const QString& question);

// Object names of the Sync window and of the controls not named after
// their captions (the others take their untranslated accessible names).
namespace sync_names {
inline constexpr char kWindow[] = "frmSync";
inline constexpr char kStatus[] = "Sync status";  // the summary line
inline constexpr char kProgress[] = "Sync progress";
}  // namespace sync_names

class SyncWindow : public QWidget {
  Q_OBJECT

 public:
  SyncWindow(store::DataFiles& files, sync::BackgroundSync& runner, QWidget* parent = nullptr);

  // Fills the boxes from the saved settings.
  void LoadSettings();

 private:
  void FindCollections();
  // Checks the settings with the server (making a missing calendar or
  // address book), saves them and the password (in the secret store), then
  // runs `then`. The server is asked off the interface thread; a problem is
  // shown in a message and `then` does not run.
  void SaveSettings(std::function<void()> then);
  void SyncNow();
  // Disables what must wait while the server is asked, and shows it.
  void SetBusy(bool busy, const QString& status = QString());
  void ShowProgress(const QString& step, int done, int total);
  void ShowFinished(bool ok, const QString& summary);

  store::DataFiles& files_;
  sync::BackgroundSync& runner_;
  QLineEdit* server_;
  QLineEdit* user_;
  QLineEdit* password_;
  QComboBox* calendar_;
  QComboBox* address_book_;
  QCheckBox* auto_sync_;
  QPushButton* find_;
  QPushButton* save_;
  QPushButton* sync_now_;
  QPushButton* stop_;  // the running sync
  QProgressBar* progress_;
  QLabel* status_;
  bool busy_ = false;  // finding or saving
};

}  // namespace quorvel
