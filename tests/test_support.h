// Shared fixtures: a fresh data folder, captured messages, a fixed clock.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPalette>
#include <QStringList>
#include <QTemporaryDir>
#include <QTranslator>
#include <QWidget>

#include "app/application.h"
#include "items/address_file.h"
#include "store/data_files.h"
#include "store/fatal.h"
#include "ui/seams.h"

namespace quorvel::testing {

// The child of `window` named `name`; a failure when there is none.
template <class T = QWidget>
T* Find(QWidget& window, const char* name) {
  T* child = window.findChild<T*>(QLatin1String(name));
  EXPECT_NE(child, nullptr) << name;
  return child;
}

// A dark palette like the desktops' dark styles.
inline QPalette DarkPalette() {
  QPalette dark;
  dark.setColor(QPalette::Window, QColor(53, 53, 53));
  dark.setColor(QPalette::WindowText, QColor(238, 238, 236));
  dark.setColor(QPalette::Base, QColor(45, 45, 45));
  dark.setColor(QPalette::AlternateBase, QColor(53, 53, 53));
  dark.setColor(QPalette::Text, QColor(238, 238, 236));
  dark.setColor(QPalette::Button, QColor(60, 60, 60));
  dark.setColor(QPalette::ButtonText, QColor(238, 238, 236));
  dark.setColor(QPalette::Highlight, QColor(21, 83, 158));
  dark.setColor(QPalette::HighlightedText, Qt::white);
  dark.setColor(QPalette::ToolTipBase, QColor(53, 53, 53));
  dark.setColor(QPalette::ToolTipText, QColor(238, 238, 236));
  dark.setColor(QPalette::Light, QColor(80, 80, 80));
  dark.setColor(QPalette::Midlight, QColor(70, 70, 70));
  dark.setColor(QPalette::Mid, QColor(40, 40, 40));
  dark.setColor(QPalette::Dark, QColor(30, 30, 30));
  dark.setColor(QPalette::Shadow, QColor(20, 20, 20));
  for (auto role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) {
    dark.setColor(QPalette::Disabled, role, QColor(127, 127, 127));
  }
  return dark;
}

inline QByteArray FileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return QByteArray();
  return file.readAll();
}

// One record of a data file as stored on disk (zero-filled past the end).
inline QByteArray RecordBytes(const QString& path, int record_length, int record) {
  QByteArray bytes = FileBytes(path).mid(qsizetype(record - 1) * record_length, record_length);
  bytes.append(QByteArray(record_length - bytes.size(), '\0'));
  return bytes;
}

// Stores an address book entry holding only what the calendar reads: the
// key (field 1), the birthday text (field 11) and its flag (field 12).
inline void SeedBirthday(store::DataFiles& files, const QString& key, const QString& born,
                         const QString& flag) {
  using store::Channel;
  store::Operation op(files);
  const int c = op.ReadCount(Channel::kAddBook);
  op.WriteText(Channel::kAddBook, store::FieldRecord(Channel::kAddBook, c, kFieldKey), key);
  op.WriteText(Channel::kAddBook, store::FieldRecord(Channel::kAddBook, c, kFieldBirthdayDate),
               born);
  op.WriteText(Channel::kAddBook, store::FieldRecord(Channel::kAddBook, c, kFieldBirthdayFlag),
               flag);
  op.WriteCount(Channel::kAddBook, c + 1);
  ASSERT_TRUE(op.Commit().stored());
}

// An appointment with what the reminders read: its key (field 1), subject,
// start and end times, reminder flag and lead time (fields 2 to 6).
struct SeededAppointment {
  QString id, subject, start, end;
  bool reminder;
  QString lead;
};

// Appends `appointments` to Appoint.dat in one operation.
inline void SeedAppointments(store::DataFiles& files,
                             const std::vector<SeededAppointment>& appointments) {
  using store::Channel;
  store::Operation op(files);
  int count = op.ReadCount(Channel::kAppoint);
  for (const SeededAppointment& a : appointments) {
    const int base = 8 * count;
    op.WriteText(Channel::kAppoint, base + 1, a.id);
    op.WriteText(Channel::kAppoint, base + 2, a.subject);
    op.WriteText(Channel::kAppoint, base + 3, a.start);
    op.WriteText(Channel::kAppoint, base + 4, a.end);
    op.WriteInteger(Channel::kAppoint, base + 5, a.reminder ? -1 : 0);
    op.WriteText(Channel::kAppoint, base + 6, a.lead);
    op.WriteText(Channel::kAppoint, base + 7, QString());
    ++count;
  }
  op.WriteCount(Channel::kAppoint, count);
  ASSERT_TRUE(op.Commit().stored());
}

// The German texts and a German locale, installed for the life of the
// object.
class GermanTexts {
 public:
  GermanTexts() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    loaded_ = translator_.load(QStringLiteral(":/i18n/quorvel_de.qm"));
    if (loaded_) QCoreApplication::installTranslator(&translator_);
  }
  ~GermanTexts() {
    QCoreApplication::removeTranslator(&translator_);
    QLocale::setDefault(original_);
  }
  GermanTexts(const GermanTexts&) = delete;
  GermanTexts& operator=(const GermanTexts&) = delete;
  bool loaded() const { return loaded_; }

 private:
  const QLocale original_;
  QTranslator translator_;
  bool loaded_ = false;
};

// Messages go to `messages`, fatal errors throw, the clock reads `now`.
class SeamsFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    SetMessageSink([this](const QString& text) { messages_.append(text); });
    SetChoiceSink([this](const QString& text, const QStringList& choices) {
      questions_.append(text);
      offered_ = choices;
      return choice_;
    });
    SetClock([this] { return now_; });
    store::SetFatalHandler([this](const QString& message) { fatal_.append(message); });
  }
  void TearDown() override {
    SetMessageSink({});
    SetChoiceSink({});
    SetClock({});
    store::SetFatalHandler({});
  }
  QString Path(const QString& name) const { return dir_.filePath(name); }

  QTemporaryDir dir_;
  QStringList messages_;
  QStringList questions_;  // what AskChoice asked
  QStringList offered_;    // the choices it offered last
  int choice_ = -1;        // and the answer it gets
  QStringList fatal_;
  QDateTime now_{QDate(2026, 1, 7), QTime(8, 0)};
};

// Seams, plus the data files opened in an empty folder "data" of the test's
// own folder.
class DataFolderFixture : public SeamsFixture {
 protected:
  void SetUp() override {
    SeamsFixture::SetUp();
    ASSERT_TRUE(QDir(dir_.path()).mkpath(QStringLiteral("data")));
    data_ = Path(QStringLiteral("data"));
    files_.SetDataDir(data_);
    ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
  }
  void TearDown() override {
    files_.CloseDataFiles();
    SeamsFixture::TearDown();
  }

  QString data_;
  store::DataFiles files_;
};

// A running application on an empty data folder, without the splash wait.
class AppFixture : public SeamsFixture {
 protected:
  void SetUp() override {
    SeamsFixture::SetUp();
    app_ = std::make_unique<Application>();
    app_->SetProcessEnd([this] { ended_ = true; });
    app_->OpenDataIn(dir_.path());
  }
  void TearDown() override {
    app_.reset();
    SeamsFixture::TearDown();
  }
  store::DataFiles& files() { return app_->files(); }

  std::unique_ptr<Application> app_;
  bool ended_ = false;
};

}  // namespace quorvel::testing
