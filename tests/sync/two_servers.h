// The fixture of the tests that run against both real servers, Radicale
// and Xandikos, each started on a free port: a folder set up to sync with
// the server's calendar and address book, and a raw client ("a phone").
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include <QTemporaryDir>

#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/background_sync.h"
#include "sync/dav_client.h"
#include "sync/engine.h"
#include "tests/sync/radicale.h"
#include "tests/sync/xandikos.h"

namespace quorvel::sync {

// A server of either kind, behind one face.
struct Server {
  virtual ~Server() = default;
  virtual QString failure() const = 0;
  virtual QUrl url() const = 0;
  virtual QString user() const = 0;
  virtual QString password() const = 0;
  virtual QUrl calendar() const = 0;
  virtual QUrl book() const = 0;
  virtual bool make_collections() const = 0;
};
struct RadicaleServer : Server {
  testing::Radicale r;
  QString failure() const override { return r.failure(); }
  QUrl url() const override { return r.url(); }
  QString user() const override { return r.user(); }
  QString password() const override { return r.password(); }
  QUrl calendar() const override {
    return r.url().resolved(QUrl(QStringLiteral("/alice/calendar/")));
  }
  QUrl book() const override { return r.url().resolved(QUrl(QStringLiteral("/alice/contacts/"))); }
  bool make_collections() const override { return true; }
};
struct XandikosServer : Server {
  testing::Xandikos x;
  QString failure() const override { return x.failure(); }
  QUrl url() const override { return x.url(); }
  QString user() const override { return x.user(); }
  QString password() const override { return x.password(); }
  QUrl calendar() const override { return x.calendar(); }
  QUrl book() const override { return x.address_book(); }
  bool make_collections() const override { return false; }
};

class TwoServersTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    if (GetParam()) {
      server_ = std::make_unique<XandikosServer>();
    } else {
      server_ = std::make_unique<RadicaleServer>();
    }
    ASSERT_TRUE(server_->failure().isEmpty()) << server_->failure().toStdString();
    phone_ = std::make_unique<DavClient>(server_->url(), server_->user(), server_->password());
    DavError error;
    ASSERT_TRUE(phone_->Discover(&error)) << error.Message().toStdString();
    if (server_->make_collections()) {
      ASSERT_TRUE(phone_->MakeCollection(server_->calendar(), CollectionKind::kCalendar, "Calendar",
                                         &error));
      ASSERT_TRUE(phone_->MakeCollection(server_->book(), CollectionKind::kAddressBook, "Contacts",
                                         &error));
    }
    ASSERT_TRUE(dir_.isValid());
    files_.SetDataDir(dir_.path());
    ASSERT_EQ(files_.OpenDataFiles(), store::OpenResult::kOpened);
    SyncState state;
    state.settings.server = server_->url();
    state.settings.user = server_->user();
    state.settings.calendar = server_->calendar();
    state.settings.address_book = server_->book();
    store::Operation op(files_);
    SaveState(files_, op, state);
    ASSERT_TRUE(op.Commit().stored());
  }

  QString Path(const QUrl& collection, const QString& name) { return collection.path() + name; }

  void PhonePut(const QUrl& collection, const QString& name, const QByteArray& bytes,
                bool calendar) {
    DavError error;
    ASSERT_TRUE(phone_->Put(Path(collection, name),
                            calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook,
                            bytes, QString(), &error))
        << error.Message().toStdString();
  }

  QByteArray ServerCopy(const QUrl& collection, const QString& name, bool calendar) {
    DavError error;
    auto got = phone_->Multiget(collection,
                                calendar ? CollectionKind::kCalendar : CollectionKind::kAddressBook,
                                {Path(collection, name)}, &error);
    EXPECT_TRUE(got && got->size() == 1) << error.Message().toStdString();
    return got && !got->empty() ? got->front().data : QByteArray();
  }

  SyncReport Sync(bool allow_deletions = false) {
    SyncReport report =
        SyncNow(files_, server_->password(), {}, TransportLimits{}, allow_deletions);
    return report;
  }

  std::unique_ptr<Server> server_;
  std::unique_ptr<DavClient> phone_;
  QTemporaryDir dir_;
  store::DataFiles files_;
};

inline std::string ServerName(const ::testing::TestParamInfo<bool>& info) {
  return info.param ? "Xandikos" : "Radicale";
}

}  // namespace quorvel::sync
