#include "addressbook/address_editor_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "addressbook/address_book_window.h"
#include "addressbook/address_ui.h"
#include "calendar/month_calendar_window.h"
#include "ui/date_box.h"
#include "ui/limited_text_edit.h"
#include "ui/organiser.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {

namespace {

namespace names = address_editor_names;

const char* const kCaptions[12] = {QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Name:"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Surname:"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Address:"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "e-mail:"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Home Page:"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Notes:"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Home"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Business #1"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Business #2"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Mobile"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Fax"),
                                   QT_TRANSLATE_NOOP("quorvel::AddressEditorWindow", "Other")};

QLabel* Caption(QWidget* parent, int index, const QRect& rect, QWidget* buddy) {
  return quorvel::Caption(parent, QLatin1String(names::kCaptions[index]),
                          AddressEditorWindow::tr(kCaptions[index]), rect, buddy);
}

QLineEdit* Box(QWidget* parent, const char* name, int limit, const QRect& rect) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QLatin1String(name));
  box->setMaxLength(limit);
  box->setGeometry(rect);
  return box;
}

}  // namespace

AddressEditorWindow::AddressEditorWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Add Address Book Entry"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(ArialFont(8));
  setFixedSize(Px(7725), Px(6480));

  name_ = Box(this, names::kName, kNameLimit, TwipsRect(1320, 240, 4695, 285));
  surname_ = Box(this, names::kSurname, kSurnameLimit, TwipsRect(1320, 600, 4695, 285));
  address_ = new LimitedTextEdit(kAddressLimit, this);
  address_->setObjectName(QLatin1String(names::kAddress));
  address_->setGeometry(TwipsRect(1320, 960, 4695, 1125));

  birthday_flag_ = new QCheckBox(tr("Birthday"), this);
  birthday_flag_->setObjectName(QLatin1String(names::kBirthdayFlag));
  birthday_flag_->setGeometry(TwipsRect(120, 2280, 1095, 255));
  WidenToText(*birthday_flag_, Px(1320) - 4);
  birthday_ = new DateBox(this);
  birthday_->setObjectName(QLatin1String(names::kBirthday));
  birthday_->setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));
  birthday_->setGeometry(TwipsRect(1320, 2160, 2895, 375));
  birthday_->setAccessibleName(tr("Birthday date"));

  email_ = Box(this, names::kEmail, kEmailLimit, TwipsRect(1320, 2640, 4695, 285));
  home_page_ = Box(this, names::kHomePage, kHomePageLimit, TwipsRect(1320, 3000, 4695, 285));
  notes_ = new LimitedTextEdit(kNotesLimit, this);
  notes_->setObjectName(QLatin1String(names::kNotes));
  notes_->setGeometry(TwipsRect(1320, 3360, 2415, 1125));

  Caption(this, 0, TwipsRect(120, 240, 1095, 255), name_);
  Caption(this, 1, TwipsRect(120, 600, 1095, 255), surname_);
  Caption(this, 2, TwipsRect(120, 960, 1095, 255), address_);
  Caption(this, 3, TwipsRect(120, 2640, 1095, 255), email_);
  Caption(this, 4, TwipsRect(120, 3000, 1095, 255), home_page_);
  Caption(this, 5, TwipsRect(120, 3360, 1095, 255), notes_);

  auto* phone_frame = address_ui::Frame(this, names::kPhonesFrame, tr("Phone Numbers"),
                                        TwipsRect(120, 4680, 7455, 1575));
  for (int i = 0; i < 6; ++i) {
    const int top = 360 + 360 * (i % 3);
    const bool left_column = i < 3;
    phones_[i] = new QLineEdit(phone_frame);
    phones_[i]->setObjectName(QLatin1String(names::kPhones[i]));
    phones_[i]->setMaxLength(kPhoneLimit);
    phones_[i]->setGeometry(TwipsRect(left_column ? 1320 : 5040, top, 2175, 285));
    Caption(phone_frame, 6 + i, TwipsRect(left_column ? 120 : 3840, top, 1095, 255), phones_[i]);
  }

  ok_button_ = new QPushButton(tr("OK"), this);
  ok_button_->setObjectName(QLatin1String(names::kOk));
  ok_button_->setGeometry(TwipsRect(6240, 240, 1335, 375));
  ok_button_->setAutoDefault(false);
  // OK is the default button: Enter presses it (see keyPressEvent).
  ok_button_->setDefault(true);
  cancel_button_ = new QPushButton(tr("Cancel"), this);
  cancel_button_->setObjectName(QLatin1String(names::kCancel));
  cancel_button_->setGeometry(TwipsRect(6240, 720, 1335, 375));
  cancel_button_->setAutoDefault(false);
  cancel_button_->setShortcut(QKeySequence(Qt::Key_Escape));
  connect(ok_button_, &QPushButton::clicked, this, &AddressEditorWindow::Confirm);
  connect(cancel_button_, &QPushButton::clicked, this, &AddressEditorWindow::Abandon);

  QWidget* order[] = {name_,      surname_,   address_,   birthday_flag_, birthday_,  email_,
                      home_page_, notes_,     phones_[0], phones_[1],     phones_[2], phones_[3],
                      phones_[4], phones_[5], ok_button_, cancel_button_};
  for (std::size_t i = 1; i < std::size(order); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
}

void AddressEditorWindow::ClearFields() {
  for (QLineEdit* box : {name_, surname_, email_, home_page_}) box->clear();
  for (QLineEdit* phone : phones_) phone->clear();
  address_->clear();
  notes_->clear();
}

void AddressEditorWindow::PrepareAdd(const QDate& birthday) {
  editing_key_ = QString();
  ClearFields();
  setWindowTitle(tr("Add Address Book Entry"));
  birthday_->setDate(birthday.isValid() ? birthday : Now().date());
  birthday_flag_->setChecked(false);
  name_->setFocus();
}

void AddressEditorWindow::PrepareEdit(const QString& key, const AddressEntry& entry) {
  editing_key_ = key.isNull() ? QStringLiteral("") : key;
  opened_ = entry;
  name_->setText(entry.name);
  surname_->setText(entry.surname);
  address_->SetStoredText(entry.address);
  email_->setText(entry.email);
  home_page_->setText(entry.home_page);
  notes_->SetStoredText(entry.notes);
  const QDate birthday = ParseBirthdayText(entry.birthday_date);
  birthday_->setDate(birthday.isValid() ? birthday : Now().date());
  birthday_flag_->setChecked(BirthdayFlagSet(entry.birthday_flag));
  for (int i = 0; i < 6; ++i) phones_[i]->setText(entry.phones[i]);
  setWindowTitle(tr("Edit Address Book Entry"));
  name_->setFocus();
}

AddressEntry AddressEditorWindow::TypedEntry() const {
  AddressEntry entry;
  entry.name = name_->text();
  entry.surname = surname_->text();
  entry.address = address_->StoredText();
  for (int i = 0; i < 6; ++i) entry.phones[i] = phones_[i]->text();
  entry.birthday_date = BirthdayText(birthday_->date());
  entry.birthday_flag = birthday_flag_->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
  entry.email = email_->text();
  entry.home_page = home_page_->text();
  entry.notes = notes_->StoredText();
  return entry;
}

void AddressEditorWindow::Confirm() {
  // A birthday typed but not a date is refused before anything else.
  if (!birthday_->AcceptTyped()) return;
  if (surname_->text().isEmpty()) {
    ShowMessage(tr("You need to supply a Surname!"));
    return;
  }
  const AddressEntry entry = TypedEntry();
  std::optional<store::Outcome> outcome;
  if (Editing()) {
    outcome = ReplaceSameAddressEntry(app_.files(), editing_key_, opened_, entry);
    if (!outcome) {
      if (KeepAsNew(entry)) Finish();
      return;
    }
  } else {
    outcome = AddAddressEntry(app_.files(), entry);
  }
  if (outcome->refused()) {
    // The editor stays as the user left it, the file as it was.
    ShowMessage(outcome->reason());
    return;
  }
  Finish();
}

bool AddressEditorWindow::KeepAsNew(const AddressEntry& entry) {
  const int choice =
      AskChoice(tr("The entry \"%1\" was changed or deleted while you were editing it "
                   "(by a sync, for example), so your changes cannot be stored over it.\n\n"
                   "Save them as a new entry, or discard them?")
                    .arg(editing_key_),
                {tr("Save as New"), tr("Discard")});
  if (choice == 0) {
    const store::Outcome outcome = AddAddressEntry(app_.files(), entry);
    if (outcome.refused()) {
      ShowMessage(outcome.reason());
      return false;
    }
    return true;
  }
  return choice == 1;  // discarded; closing the box goes back to the editor
}

void AddressEditorWindow::Finish() {
  app_.MonthCalendar().MarkMonthCalendar();
  AddressBookWindow& book = app_.AddressBook();
  book.FillNameList();
  editing_key_ = QString();
  hide();
  book.SetEntryButtonsEnabled(true);
}

void AddressEditorWindow::Abandon() {
  editing_key_ = QString();
  hide();
  app_.AddressBook().SetEntryButtonsEnabled(true);
}

// Enter presses OK, as in the appointment editor; the multi-line boxes keep
// it for new lines, and a focused button presses itself.
void AddressEditorWindow::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    auto* button = qobject_cast<QPushButton*>(focusWidget());
    (button != nullptr && button->isVisible() ? button : ok_button_)->click();
    event->accept();
    return;
  }
  QWidget::keyPressEvent(event);
}

void AddressEditorWindow::closeEvent(QCloseEvent* event) {
  // Closing the window is the same as Cancel: nothing stored, nothing lost.
  event->accept();
  editing_key_ = QString();
  app_.AddressBook().SetEntryButtonsEnabled(true);
}

}  // namespace quorvel
