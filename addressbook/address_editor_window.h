// The entry editor: one address book entry typed in, for adding a new one
// or changing the one chosen in the address book.
#pragma once

#include <array>

#include <QDate>
#include <QString>
#include <QWidget>

#include "items/address_file.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace quorvel {

class Organiser;
class DateBox;
class LimitedTextEdit;

class AddressEditorWindow : public QWidget {
  Q_OBJECT

 public:
  explicit AddressEditorWindow(Organiser& app);

  // Empties every field, unticks Birthday and puts `birthday` in the picker.
  void PrepareAdd(const QDate& birthday);
  // Fills the fields from `entry`, stored under `key`, which stays in the
  // file until OK replaces it.
  void PrepareEdit(const QString& key, const AddressEntry& entry);

  // Whether the editor is changing a stored entry (rather than adding).
  bool Editing() const { return !editing_key_.isNull(); }
  // The entry as typed.
  AddressEntry TypedEntry() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Confirm();
  void Abandon();
  void ClearFields();
  // After OK found the entry changed or deleted meanwhile: offers to store
  // the typed one as a new entry, or to discard it. True when the editor
  // is done.
  bool KeepAsNew(const AddressEntry& entry);
  void Finish();

  Organiser& app_;
  QString editing_key_;  // null while adding
  AddressEntry opened_;  // the entry being changed, as read from the file
  std::array<QLineEdit*, 6> phones_{};
  QLineEdit* name_ = nullptr;
  QLineEdit* surname_ = nullptr;
  LimitedTextEdit* address_ = nullptr;
  QCheckBox* birthday_flag_ = nullptr;
  DateBox* birthday_ = nullptr;
  QLineEdit* email_ = nullptr;
  QLineEdit* home_page_ = nullptr;
  LimitedTextEdit* notes_ = nullptr;
  QPushButton* ok_button_ = nullptr;
  QPushButton* cancel_button_ = nullptr;
};

}  // namespace quorvel
