// "Restore…": the automatic backups of the data folder, newest first, with
// their dates and what they hold; one is put back after the user has been
// told what it replaces (and what the files hold now is itself kept as a
// backup first).
#pragma once

#include <functional>
#include <vector>

#include <QWidget>

#include "backups/backups.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace quorvel {

class Application;

// The question before a restore: yes (true) to go on. Tests answer it; an
// empty function restores the message box.
void SetRestoreQuestion(std::function<bool(const QString& text)> ask);

// Object names of the Restore window and its controls.
namespace restore_names {
inline constexpr char kWindow[] = "frmRestore";
inline constexpr char kBackups[] = "lstBackups";
inline constexpr char kSpace[] = "lblSpace";  // the summary under the list
inline constexpr char kRestore[] = "cmdRestore";
inline constexpr char kClose[] = "cmdClose";
}  // namespace restore_names

class RestoreWindow : public QWidget {
  Q_OBJECT

 public:
  explicit RestoreWindow(Application& app, QWidget* parent = nullptr);

  // Reads the backups folder again.
  void LoadBackups();
  // Asks, then puts the selected backup back.
  void RestoreSelected();

  const std::vector<backups::BackupInfo>& Listed() const { return listed_; }

 private:
  Application& app_;
  QLabel* summary_;
  QTreeWidget* list_;
  QPushButton* restore_;
  std::vector<backups::BackupInfo> listed_;
};

// "12.3 MB", "850 KB": a size for people.
QString SizeText(qint64 bytes);

}  // namespace quorvel
