// Where the address book and the entry editor put their controls, what they
// say, and the colours the letter buttons really paint.
#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "test_support.h"
#include "ui/ui.h"

namespace quorvel::testing {
namespace {

struct Placed {
  const char* name;
  int left, top, width, height;  // twips, relative to the parent control
};

class AddressLayoutTest : public AppFixture {
 protected:
  static void ExpectPlaced(QWidget* window, const Placed& placed) {
    auto* widget = window->findChild<QWidget*>(QLatin1String(placed.name));
    ASSERT_NE(widget, nullptr) << placed.name;
    EXPECT_EQ(widget->geometry(), TwipsRect(placed.left, placed.top, placed.width, placed.height))
        << placed.name;
  }
  static QString TextOf(QWidget* window, const char* name) {
    auto* widget = window->findChild<QWidget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget == nullptr ? QString() : widget->property("text").toString();
  }
  static QString TitleOf(QWidget* window, const char* name) {
    auto* widget = window->findChild<QWidget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget == nullptr ? QString() : widget->property("title").toString();
  }
};

TEST_F(AddressLayoutTest, AddressBookControlsSitWhereTheyBelongWithTheirCaptions) {
  AddressBookWindow& book = app_->AddressBook();
  book.show();
  EXPECT_EQ(book.windowTitle(), QStringLiteral("Address Book"));
  EXPECT_EQ(book.size(), QSize(Px(7830), Px(4815)));

  const char* const groups[24] = {"A", "B", "C", "D", "E",  "F", "G", "H", "I", "J", "K",   "L",
                                  "M", "N", "O", "P", "QR", "S", "T", "U", "V", "W", "XYZ", "123"};
  for (int i = 0; i < 24; ++i) {
    const char* name = address_book_names::kGroups[i];
    ExpectPlaced(&book, {name, 480 * (i % 12), i < 12 ? 0 : 240, 495, 255});
    EXPECT_EQ(TextOf(&book, name), QLatin1String(groups[i]));
  }

  const Placed placed[] = {
      {address_book_names::kNameFrame, 0, 600, 5775, 735},
      {address_book_names::kNames, 120, 240, 5535, 315},
      {address_book_names::kViewToggle, 5880, 960, 1215, 375},
      {address_book_names::kPhonesFrame, 0, 1440, 3375, 2775},
      {address_book_names::kAddressFrame, 3480, 1440, 4215, 2775},
      {address_book_names::kAddress, 120, 240, 3975, 2415},
      {address_book_names::kDetailsFrame, 3480, 1440, 4215, 2775},
      {address_book_names::kBirthday, 1200, 240, 1935, 285},
      {address_book_names::kEmail, 1200, 600, 2895, 285},
      {address_book_names::kHomePage, 1200, 960, 2895, 285},
      {address_book_names::kNotes, 1200, 1320, 2895, 1335},
      {address_book_names::kClose, 120, 4320, 1215, 375},
      {address_book_names::kAddEntry, 3840, 4320, 1215, 375},
      {address_book_names::kEditEntry, 5160, 4320, 1215, 375},
      {address_book_names::kDeleteEntry, 6480, 4320, 1215, 375},
  };
  for (const Placed& p : placed) ExpectPlaced(&book, p);
  const char* const phones[6] = {"Home", "Business #1", "Business #2", "Mobile", "Fax", "Other"};
  for (int i = 0; i < 6; ++i) {
    const char* label = address_book_names::kPhoneCaptions[i];
    ExpectPlaced(&book, {label, 120, 360 + 360 * i, 1095, 255});
    ExpectPlaced(&book, {address_book_names::kPhones[i], 1320, 360 + 360 * i, 1935, 285});
    EXPECT_EQ(TextOf(&book, label), QLatin1String(phones[i]));
  }
  const char* const details[4] = {"Birthday:", "e-mail:", "Home Page:", "Notes:"};
  const char* const detail_labels[4] = {
      address_book_names::kBirthdayCaption, address_book_names::kEmailCaption,
      address_book_names::kHomePageCaption, address_book_names::kNotesCaption};
  for (int i = 0; i < 4; ++i) {
    const char* label = detail_labels[i];
    ExpectPlaced(&book, {label, 120, 240 + 360 * i, 975, 255});
    EXPECT_EQ(TextOf(&book, label), QLatin1String(details[i]));
  }

  EXPECT_EQ(TitleOf(&book, address_book_names::kNameFrame), QStringLiteral("Name"));
  EXPECT_EQ(TitleOf(&book, address_book_names::kAddressFrame), QStringLiteral("Address"));
  EXPECT_EQ(TitleOf(&book, address_book_names::kPhonesFrame), QStringLiteral("Telephone Numbers"));
  EXPECT_EQ(TitleOf(&book, address_book_names::kDetailsFrame), QStringLiteral("Details"));
  EXPECT_EQ(TextOf(&book, address_book_names::kViewToggle), QStringLiteral("View Details"));
  EXPECT_EQ(TextOf(&book, address_book_names::kClose), QStringLiteral("Close"));
  EXPECT_EQ(TextOf(&book, address_book_names::kAddEntry), QStringLiteral("Add Entry"));
  EXPECT_EQ(TextOf(&book, address_book_names::kEditEntry), QStringLiteral("Edit Entry"));
  EXPECT_EQ(TextOf(&book, address_book_names::kDeleteEntry), QStringLiteral("Delete Entry"));
  EXPECT_EQ(TextOf(&book, address_book_names::kCurrentGroup), QStringLiteral("A"));
}

TEST_F(AddressLayoutTest, EditorControlsSitWhereTheyBelongWithTheirCaptions) {
  AddressEditorWindow& editor = app_->AddressEditor();
  editor.PrepareAdd(QDate(2026, 1, 7));
  editor.show();
  EXPECT_EQ(editor.windowTitle(), QStringLiteral("Add Address Book Entry"));
  EXPECT_EQ(editor.size(), QSize(Px(7725), Px(6480)));

  const Placed placed[] = {
      {address_editor_names::kName, 1320, 240, 4695, 285},
      {address_editor_names::kSurname, 1320, 600, 4695, 285},
      {address_editor_names::kAddress, 1320, 960, 4695, 1125},
      {address_editor_names::kBirthdayFlag, 120, 2280, 1095, 255},
      {address_editor_names::kBirthday, 1320, 2160, 2895, 375},
      {address_editor_names::kEmail, 1320, 2640, 4695, 285},
      {address_editor_names::kHomePage, 1320, 3000, 4695, 285},
      {address_editor_names::kNotes, 1320, 3360, 2415, 1125},
      {address_editor_names::kPhonesFrame, 120, 4680, 7455, 1575},
      {address_editor_names::kOk, 6240, 240, 1335, 375},
      {address_editor_names::kCancel, 6240, 720, 1335, 375},
  };
  for (const Placed& p : placed) ExpectPlaced(&editor, p);
  const char* const captions[12] = {"Name:",       "Surname:", "Address:", "e-mail:",
                                    "Home Page:",  "Notes:",   "Home",     "Business #1",
                                    "Business #2", "Mobile",   "Fax",      "Other"};
  const int tops[6] = {240, 600, 960, 2640, 3000, 3360};
  for (int i = 0; i < 12; ++i) {
    const char* label = address_editor_names::kCaptions[i];
    if (i < 6) {
      ExpectPlaced(&editor, {label, 120, tops[i], 1095, 255});
    } else {
      const int j = i - 6;
      ExpectPlaced(&editor, {label, j < 3 ? 120 : 3840, 360 + 360 * (j % 3), 1095, 255});
      const char* box = address_editor_names::kPhones[j];
      ExpectPlaced(&editor, {box, j < 3 ? 1320 : 5040, 360 + 360 * (j % 3), 2175, 285});
    }
    EXPECT_EQ(TextOf(&editor, label), QLatin1String(captions[i]));
  }
  EXPECT_EQ(TitleOf(&editor, address_editor_names::kPhonesFrame), QStringLiteral("Phone Numbers"));
  EXPECT_EQ(TextOf(&editor, address_editor_names::kBirthdayFlag), QStringLiteral("Birthday"));
  EXPECT_EQ(TextOf(&editor, address_editor_names::kOk), QStringLiteral("OK"));
  EXPECT_EQ(TextOf(&editor, address_editor_names::kCancel), QStringLiteral("Cancel"));
}

// The colour a button shows on its face, left of its caption.
QColor FaceColour(QPushButton* button) {
  const QImage image = button->grab().toImage();
  return image.pixelColor(4, image.height() / 2);
}

TEST_F(AddressLayoutTest, TheChosenLetterButtonIsPaintedPureYellowAndTheOthersButtonFace) {
  AddressBookWindow& book = app_->AddressBook();
  book.show();
  auto button = [&](int i) {
    return book.findChild<QPushButton*>(QLatin1String(address_book_names::kGroups[i]));
  };
  const QColor face = QApplication::palette().color(QPalette::Button);
  // The window opens on "A", chosen.
  for (int i = 0; i < 24; ++i) {
    EXPECT_EQ(FaceColour(button(i)), i == 0 ? QColor(255, 255, 0) : face) << i;
  }

  QTest::mouseClick(button(16), Qt::LeftButton);  // "QR"
  EXPECT_EQ(FaceColour(button(16)), QColor(255, 255, 0));
  for (int i = 0; i < 24; ++i) {
    if (i != 16) {
      EXPECT_EQ(FaceColour(button(i)), face) << i;
    }
  }
  QTest::mouseClick(button(23), Qt::LeftButton);  // "123"
  EXPECT_EQ(FaceColour(button(23)), QColor(255, 255, 0));
  EXPECT_EQ(FaceColour(button(16)), face);
}

// What a screen reader announces for a control: its accessible name, or
// failing that the caption it shows.
QString SpokenName(QWidget* widget) {
  if (!widget->accessibleName().isEmpty()) return widget->accessibleName();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text();
  return QString();
}

TEST_F(AddressLayoutTest, EveryControlTheKeyboardReachesHasAName) {
  AddressBookWindow& book = app_->AddressBook();
  book.show();
  AddressEditorWindow& editor = app_->AddressEditor();
  editor.PrepareAdd(QDate(2026, 1, 7));
  editor.show();
  int checked = 0;
  for (QWidget* window : {static_cast<QWidget*>(&book), static_cast<QWidget*>(&editor)}) {
    for (QWidget* widget : window->findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(window) || !(widget->focusPolicy() & Qt::TabFocus)) continue;
      if (widget->parentWidget() != nullptr && widget->parentWidget()->focusProxy() == widget) {
        continue;
      }
      if (widget->objectName().startsWith(QLatin1String("qt_"))) continue;
      ++checked;
      EXPECT_FALSE(SpokenName(widget).isEmpty())
          << window->objectName().toStdString() << " " << widget->objectName().toStdString();
    }
  }
  EXPECT_GE(checked, 50);  // the book's 37 controls and the editor's 16
}

}  // namespace
}  // namespace quorvel::testing
