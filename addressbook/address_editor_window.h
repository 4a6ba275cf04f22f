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

// Object names of the entry editor and its controls.
namespace address_editor_names {
inline constexpr char kWindow[] = "Form7";
// The text boxes, in the order of their captions.
inline constexpr char kName[] = "Text2(0)";
inline constexpr char kSurname[] = "Text2(1)";
inline constexpr char kAddress[] = "Text2(2)";
inline constexpr char kEmail[] = "Text2(3)";
inline constexpr char kHomePage[] = "Text2(4)";
inline constexpr char kNotes[] = "Text2(5)";
// The captions of the six boxes above, then of the six phones.
inline constexpr const char* kCaptions[12] = {"Label1(0)", "Label1(1)", "Label1(2)",  "Label1(3)",
                                              "Label1(4)", "Label1(5)", "Label1(6)",  "Label1(7)",
                                              "Label1(8)", "Label1(9)", "Label1(10)", "Label1(11)"};
inline constexpr char kBirthdayFlag[] = "Check1";  // whether the birthday is marked
inline constexpr char kBirthday[] = "DTPicker1";
inline constexpr char kPhonesFrame[] = "Frame3";
// The phones: home, business 1 and 2, mobile, fax, other.
inline constexpr const char* kPhones[6] = {"Text3(0)", "Text3(1)", "Text3(2)",
                                           "Text3(3)", "Text3(4)", "Text3(5)"};
inline constexpr char kOk[] = "Command1";
inline constexpr char kCancel[] = "Command3";
}  // namespace address_editor_names

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
