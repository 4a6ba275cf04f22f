// "Sync…": where the user sets up sync with a CalDAV/CardDAV server (server,
// user, password, the calendar and address book to use), starts a sync and
// watches it run.
#pragma once

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

class SyncWindow : public QWidget {
  Q_OBJECT

 public:
  SyncWindow(store::DataFiles& files, sync::BackgroundSync& runner, QWidget* parent = nullptr);

  // Fills the boxes from the saved settings.
  void LoadSettings();

 private:
  void FindCollections();
  // Saves the settings (and the password in the secret store); false with a
  // message when they are incomplete.
  bool SaveSettings();
  void SyncNow();
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
  QProgressBar* progress_;
  QLabel* status_;
};

}  // namespace quorvel
