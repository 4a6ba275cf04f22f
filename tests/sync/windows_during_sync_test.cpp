// A sync from the Sync window against a real Radicale while the day's
// Activities, the appointment editor, the address book and the entry editor
// are open: afterwards each shows what the files hold, and OK writes only
// the item the user chose. Also the question a sync asks before it deletes
// most of a side.
#include <gtest/gtest.h>

#include <functional>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QEventLoop>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include "addressbook/address_book_window.h"
#include "addressbook/address_editor_window.h"
#include "app/sync_window.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "items/address_file.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "sync/background_sync.h"
#include "sync/dav_client.h"
#include "tests/sync/radicale.h"
#include "tests/test_support.h"

// Texts shown as text when a comparison fails.
static void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace quorvel::testing {
namespace {

template <class T = QWidget>
T* In(QWidget& window, const QString& name) {
  T* child = window.findChild<T*>(name);
  EXPECT_NE(child, nullptr) << name.toStdString();
  return child;
}

void Click(QWidget& window, const char* name) {
  if (auto* button = In<QPushButton>(window, QLatin1String(name))) {
    QTest::mouseClick(button, Qt::LeftButton);
  }
}

void Type(QLineEdit* box, const QString& text) {
  box->selectAll();
  QTest::keyClicks(box, text);
}

class WindowsDuringSyncTest : public AppFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.failure().isEmpty()) << server_.failure().toStdString();
    AppFixture::SetUp();
    now_ = QDateTime(kDay, QTime(8, 0));
    for (const char* subject : {"One", "Two", "Three"}) {
      ASSERT_TRUE(AddAppointmentOn(files(), kDay,
                                   Appointment{{},
                                               QLatin1String(subject),
                                               "09:00",
                                               "10:00",
                                               false,
                                               "15",
                                               QLatin1String(subject) + " notes"})
                      .stored());
    }
    for (const char* surname : {"Adams", "Archer"}) {
      AddressEntry entry;
      entry.name = "Ann";
      entry.surname = QLatin1String(surname);
      entry.phones[0] = "555";
      ASSERT_TRUE(AddAddressEntry(files(), entry).stored());
    }
    const QUrl calendar = server_.url().resolved(QUrl("/alice/calendar/"));
    const QUrl contacts = server_.url().resolved(QUrl("/alice/contacts/"));
    {
      sync::DavClient phone(server_.url(), server_.user(), server_.password());
      sync::DavError error;
      ASSERT_TRUE(phone.Discover(&error)) << error.Message().toStdString();
      ASSERT_TRUE(
          phone.MakeCollection(calendar, sync::CollectionKind::kCalendar, "Calendar", &error));
      ASSERT_TRUE(
          phone.MakeCollection(contacts, sync::CollectionKind::kAddressBook, "Contacts", &error));
    }
    sync::SyncState state = *sync::LoadState(files());
    state.settings.server = server_.url();
    state.settings.user = server_.user();
    state.settings.calendar = calendar;
    state.settings.address_book = contacts;
    {
      store::Operation op(files());
      sync::SaveState(files(), op, state);
      ASSERT_TRUE(op.Commit().stored());
    }
    runner_ = std::make_unique<sync::BackgroundSync>(files());
    window_ = std::make_unique<SyncWindow>(files(), *runner_);
    window_->show();
    In<QLineEdit>(*window_, "Password")->setText(server_.password());
  }
  void TearDown() override {
    window_.reset();
    runner_.reset();
    AppFixture::TearDown();
  }

  // "Sync now", and the wait for its end.
  void SyncNow() {
    QSignalSpy finished(runner_.get(), &sync::BackgroundSync::Finished);
    Click(*window_, "Sync now");
    ASSERT_TRUE(finished.count() == 1 || finished.wait(60000));
    ASSERT_TRUE(finished.at(0).at(0).toBool()) << finished.at(0).at(1).toString().toStdString();
    QCoreApplication::processEvents();
  }

  // The phone deletes the server's item holding `line`.
  void DeleteOnServer(const QString& collection, const QByteArray& line) {
    QDirIterator it(server_.storage() + "/collection-root/alice/" + collection, QDir::Files);
    QString name;
    while (it.hasNext()) {
      QFile file(it.next());
      if (file.open(QIODevice::ReadOnly) && file.readAll().contains(line)) name = it.fileName();
    }
    ASSERT_FALSE(name.isEmpty()) << line.toStdString();
    QNetworkAccessManager network;
    QNetworkRequest request(server_.url().resolved(QUrl("/alice/" + collection + "/" + name)));
    request.setRawHeader(
        "Authorization",
        "Basic " + (server_.user() + ":" + server_.password()).toUtf8().toBase64());
    QNetworkReply* reply = network.deleteResource(request);
    QEventLoop wait;
    QObject::connect(reply, &QNetworkReply::finished, &wait, &QEventLoop::quit);
    wait.exec();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();
    ASSERT_TRUE(status == 200 || status == 204) << status;
  }
  QStringList Stored() {
    QStringList items;
    for (int k = 0; k < files().ReadCount(store::Channel::kAppoint); ++k) {
      const Appointment a = ReadAppointment(files(), k);
      items.append(a.id + ' ' + a.subject + ' ' + a.description);
    }
    return items;
  }

  static inline const QDate kDay{2026, 1, 7};
  Radicale server_;
  std::unique_ptr<sync::BackgroundSync> runner_;
  std::unique_ptr<SyncWindow> window_;
};

TEST_F(WindowsDuringSyncTest, TheWindowsShowWhatTheSyncLeftAndTheEditorsWriteOnlyTheirOwnItem) {
  SyncNow();  // everything on the server

  // Activities on the day, the editor on "Two"; the address book, and the
  // entry editor on "Archer, Ann".
  ActivitiesWindow& activities = app_->Activities();
  activities.SetDate(kDay);
  activities.show();
  activities.FillActivities();
  auto* subjects = In<QComboBox>(activities, activities_names::kAppointments);
  subjects->setCurrentIndex(subjects->findText("Two"));
  Click(activities, activities_names::kEdit);
  AppointmentEditorWindow& editor = app_->AppointmentEditor();
  ASSERT_TRUE(editor.isVisible());
  Type(In<QLineEdit>(editor, appointment_editor_names::kSubject), "Two edited");

  AddressBookWindow& book = app_->AddressBook();
  book.show();
  book.FillNameList();
  auto* names = In<QComboBox>(book, address_book_names::kNames);
  names->setCurrentIndex(names->findText("Archer, Ann"));
  emit names->activated(names->currentIndex());
  Click(book, address_book_names::kEditEntry);
  AddressEditorWindow& entry_editor = app_->AddressEditor();
  ASSERT_TRUE(entry_editor.isVisible());
  Type(In<QLineEdit>(entry_editor, address_editor_names::kPhones[0]), "999");

  // On the phone: "One" and Archer deleted. Then a sync from the window.
  DeleteOnServer("calendar", "SUMMARY:One\r\n");
  DeleteOnServer("contacts", "Archer");
  SyncNow();
  const QByteArray book_after_sync = FileBytes(Path("AddBook.dat"));
  ASSERT_EQ(Stored(), (QStringList{"20260107-1 Two Two notes", "20260107-2 Three Three notes"}));

  // Each window shows what the files hold.
  EXPECT_EQ(activities.Subjects(), (QStringList{"Two", "Three"}));
  QStringList listed;
  for (int i = 0; i < names->count(); ++i) listed.append(names->itemText(i));
  EXPECT_EQ(listed, QStringList{"Adams, Ann"});

  // OK in the appointment editor: over Two, not over Three.
  editor.Ok();
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
  EXPECT_EQ(Stored(),
            (QStringList{"20260107-1 Two edited Two notes", "20260107-2 Three Three notes"}));
  EXPECT_EQ(activities.Subjects(), (QStringList{"Two edited", "Three"}));

  // OK in the entry editor: asked, and discarded; Archer is not back.
  choice_ = 1;
  Click(entry_editor, address_editor_names::kOk);
  ASSERT_EQ(questions_.size(), 1);
  EXPECT_TRUE(questions_[0].startsWith("The entry \"Archer, Ann\" was changed or deleted"));
  EXPECT_FALSE(entry_editor.isVisible());
  EXPECT_EQ(FileBytes(Path("AddBook.dat")), book_after_sync);

  // The next sync sends exactly that: Two edited, Three untouched, no Archer.
  SyncNow();
  QStringList on_server;
  QDirIterator it(server_.storage() + "/collection-root/alice", QDir::Files,
                  QDirIterator::Subdirectories);
  while (it.hasNext()) {
    QFile file(it.next());
    if (it.fileName().startsWith('.') || !file.open(QIODevice::ReadOnly)) continue;
    const QByteArray data = file.readAll();
    for (const char* wanted :
         {"SUMMARY:One\r\n", "SUMMARY:Two edited\r\n", "SUMMARY:Three\r\n", "Archer", "Adams"}) {
      if (data.contains(wanted)) on_server.append(QString::fromLatin1(wanted).trimmed());
    }
  }
  on_server.sort();
  EXPECT_EQ(on_server, (QStringList{"Adams", "SUMMARY:Three", "SUMMARY:Two edited"}));
}

// The question before a sync deletes most of the address book: a real box,
// read through the accessibility interface, in English and in German; its
// default answer stops the sync with nothing changed. With QUORVEL_SCREENS
// set (under xvfb-run, QT_QPA_PLATFORM=xcb) the screen is kept as a picture
// while it is asked.
TEST_F(WindowsDuringSyncTest, TheQuestionBeforeManyDeletionsIsReadableAndStopsByDefault) {
  runner_->set_confirm_deletions(AllowSyncDeletions);
  SyncNow();
  DeleteOnServer("contacts", "Adams");
  DeleteOnServer("contacts", "Archer");
  SetChoiceSink({});  // the real box

  struct Seen {
    QAccessible::Role role = QAccessible::NoRole;
    QString title, text;
    QStringList buttons;
    QString default_button;
  };
  // Syncs, answers the question with the button `press`, and tells what it
  // showed and how the sync ended.
  auto ask = [&](const QString& press, const QString& shot, bool* ok) {
    Seen seen;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box) return;
      poll.stop();
      QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
      seen.role = face->role();
      seen.title = face->text(QAccessible::Name);
      std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        for (int i = 0; i < node->childCount(); ++i) {
          QAccessibleInterface* child = node->child(i);
          if (child->state().invisible) continue;
          if (child->role() == QAccessible::PushButton) {
            seen.buttons << child->text(QAccessible::Name);
            if (child->state().defaultButton) seen.default_button = child->text(QAccessible::Name);
          } else if (child->role() == QAccessible::StaticText &&
                     !child->text(QAccessible::Name).isEmpty()) {
            seen.text = child->text(QAccessible::Name);
          }
          walk(child);
        }
      };
      walk(face);
      const QString out = qEnvironmentVariable("QUORVEL_SCREENS");
      if (!out.isEmpty()) {
        QTest::qWait(300);
        QProcess::execute("import", {"-window", "root", out + '/' + shot + ".png"});
      }
      for (QPushButton* button : box->findChildren<QPushButton*>()) {
        if (button->text() == press) button->click();
      }
    });
    poll.start();
    QSignalSpy finished(runner_.get(), &sync::BackgroundSync::Finished);
    Click(*window_, "Sync now");
    EXPECT_TRUE(finished.count() == 1 || finished.wait(60000));
    *ok = !finished.isEmpty() && finished.at(0).at(0).toBool();
    QCoreApplication::processEvents();
    return seen;
  };

  bool ok = true;
  const Seen english = ask("Stop the Sync", "sync_question_en", &ok);
  EXPECT_EQ(english.role, QAccessible::AlertMessage);
  EXPECT_EQ(english.title, "Quorvel");
  EXPECT_EQ(english.text.toStdString(),
            "This sync would delete 2 of 2 address book entries here (\"Adams, Ann\"; \"Archer, "
            "Ann\"). Delete them?");
  EXPECT_EQ(english.buttons, (QStringList{"Stop the Sync", "Delete Them"}));
  EXPECT_EQ(english.default_button, "Stop the Sync");
  EXPECT_FALSE(ok);
  EXPECT_EQ(files().ReadCount(store::Channel::kAddBook), 2);

  struct German {
    German() {
      QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
      if (translator.load(QStringLiteral(":/i18n/quorvel_de.qm")))
        QCoreApplication::installTranslator(&translator);
    }
    ~German() {
      QCoreApplication::removeTranslator(&translator);
      QLocale::setDefault(original);
    }
    const QLocale original;
    QTranslator translator;
  } german;
  ASSERT_FALSE(german.translator.isEmpty());
  const Seen deutsch = ask("Löschen", "sync_question_de", &ok);
  EXPECT_EQ(deutsch.text.toStdString(),
            "Dieser Abgleich würde 2 von 2 Adressbucheinträgen hier löschen (\"Adams, Ann\"; "
            "\"Archer, Ann\"). Löschen?");
  EXPECT_EQ(deutsch.buttons, (QStringList{"Abgleich abbrechen", "Löschen"}));
  EXPECT_EQ(deutsch.default_button, "Abgleich abbrechen");
  EXPECT_TRUE(ok);
  EXPECT_EQ(files().ReadCount(store::Channel::kAddBook), 0);
}

}  // namespace
}  // namespace quorvel::testing
