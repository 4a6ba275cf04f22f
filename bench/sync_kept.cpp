#include "bench/sync_kept.h"

#include <map>

#include <QDir>

#include "items/sync_state.h"
#include "store/data_files.h"
#include "sync/kept_store.h"

namespace quorvel::bench {
namespace {

// An event as a phone writes it (about 1.5 KB, one record of SyncKept.dat).
QByteArray PhoneEvent(int k, int version) {
  return QStringLiteral(
             "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Phone Maker//Calendar 7.1//EN\r\n"
             "BEGIN:VTIMEZONE\r\nTZID:Europe/Berlin\r\nBEGIN:DAYLIGHT\r\nTZOFFSETFROM:+0100\r\n"
             "TZOFFSETTO:+0200\r\nTZNAME:CEST\r\nDTSTART:19700329T020000\r\n"
             "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\nEND:DAYLIGHT\r\nBEGIN:STANDARD\r\n"
             "TZOFFSETFROM:+0200\r\nTZOFFSETTO:+0100\r\nTZNAME:CET\r\nDTSTART:19701025T030000\r\n"
             "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nEND:VTIMEZONE\r\n"
             "BEGIN:VEVENT\r\nUID:phone-%1\r\nDTSTAMP:20260101T080000Z\r\nSEQUENCE:%2\r\n"
             "DTSTART;TZID=Europe/Berlin:20260310T100000\r\nDTEND;TZID=Europe/"
             "Berlin:20260310T110000\r\n"
             "SUMMARY:Meeting %1\r\nDESCRIPTION:Bring the figures for item %1.\r\n"
             "LOCATION:Room 4.12\\, Main Building\r\nORGANIZER;CN=Jane "
             "Roe:mailto:jane@example.org\r\n"
             "ATTENDEE;CN=Bob;PARTSTAT=ACCEPTED;ROLE=REQ-PARTICIPANT:mailto:bob@example.org\r\n"
             "ATTENDEE;CN=Eve;PARTSTAT=NEEDS-ACTION;RSVP=TRUE:mailto:eve@example.org\r\n"
             "CATEGORIES:Work,Project X\r\nURL:https://example.org/meeting/%1\r\nCLASS:PRIVATE\r\n"
             "PRIORITY:1\r\nSTATUS:CONFIRMED\r\nTRANSP:OPAQUE\r\nX-PHONE-COLOR:#ff8800\r\n"
             "BEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\nTRIGGER:-PT15M\r\nEND:"
             "VALARM\r\n"
             "END:VEVENT\r\nEND:VCALENDAR\r\n")
      .arg(k)
      .arg(version)
      .toUtf8();
}

}  // namespace

void SyncKeptFigures(Table& table, int runs, double fraction, const QString& dir) {
  const QString folder = dir + QStringLiteral("/sync-kept");
  QDir().mkpath(folder);
  store::DataFiles files;
  files.SetDataDir(folder);
  Row size{QStringLiteral("SyncKept.dat with every appointment and entry synced (disk)"),
           QStringLiteral("Appoint.dat and AddBook.dat as full"),
           Unit::kMiB,
           Goal{Goal::kAtMost, 128},
           {},
           {},
           {}};
  Row step{QStringLiteral("Sync's storing step renewing one kept copy (disk)"),
           QStringLiteral("the same step without kept copies"),
           Unit::kMs,
           Goal{Goal::kRatioAtMost, 1.5},
           {},
           {},
           {}};
  if (files.OpenDataFiles() != store::OpenResult::kOpened) {
    size.Wrong(QStringLiteral("cannot open the files"));
    table.Add(std::move(size));
    return;
  }
  // One link with a kept copy for each item the full files hold.
  const int appointments = int(store::Info(store::Channel::kAppoint).max_items * fraction);
  const int entries = int(store::Info(store::Channel::kAddBook).max_items * fraction);
  sync::SyncState state;
  std::map<QString, QByteArray> copies;
  for (int k = 0; k < appointments + entries; ++k) {
    sync::Link link;
    link.href = QStringLiteral("/alice/calendar/phone-%1.ics").arg(k);
    link.etag = QStringLiteral("\"%1\"").arg(k);
    link.uid = QStringLiteral("phone-%1").arg(k);
    link.digest = QByteArray(16, char(k));
    if (k < appointments) {
      link.index = k;
      state.appointments.push_back(link);
    } else {
      link.key = QStringLiteral("Surname %1, Name").arg(k);
      state.entries.push_back(link);
    }
    copies[link.href] = PhoneEvent(k, 1);
  }
  {
    store::Operation op(files);
    const sync::SyncState before;
    if (!sync::StageKept(op, before, state, copies).isEmpty())
      size.Wrong(QStringLiteral("no room"));
    sync::SaveState(files, op, state);
    if (!op.Commit().stored()) size.Wrong(QStringLiteral("not stored"));
  }
  const double mib = 1024.0 * 1024.0;
  size.figure.Add(double(files.FileSize(store::Channel::kKept)) / mib);
  // An appointment takes 8 records of Appoint.dat, an entry 16 of AddBook.dat.
  size.floor.Add((double(store::Info(store::Channel::kAppoint).record_length) * appointments * 8 +
                  double(store::Info(store::Channel::kAddBook).record_length) * entries * 16) /
                 mib);
  table.Add(std::move(size));

  // A run that received one changed event: its link and its kept copy
  // change in one operation with Sync.dat; the floor stores the link only.
  const QString href = state.appointments.front().href;
  int version = 1;
  sync::SyncState now = state;
  step.figure = Measure(
      runs, [&] { ++version; },
      [&] {
        sync::SyncState after = now;
        after.appointments.front().etag = QStringLiteral("\"v%1\"").arg(version);
        store::Operation op(files);
        sync::StageKept(op, now, after, {{href, PhoneEvent(0, version)}});
        sync::SaveState(files, op, after);
        op.Commit();
        now = after;
      },
      [&](Row& r) {
        const std::optional<sync::SyncState> loaded = sync::LoadState(files);
        if (!loaded || *loaded != now) r.Wrong(QStringLiteral("Sync.dat"));
        const std::optional<QByteArray> kept = sync::ReadKept(files, now.appointments.front());
        if (!kept || *kept != PhoneEvent(0, version)) r.Wrong(QStringLiteral("kept copy"));
      },
      step);
  step.floor = Measure(
      runs, [&] { ++version; },
      [&] {
        sync::SyncState after = now;
        after.appointments.front().etag = QStringLiteral("\"v%1\"").arg(version);
        store::Operation op(files);
        sync::SaveState(files, op, after);
        op.Commit();
        now = after;
      },
      [&](Row& r) {
        const std::optional<sync::SyncState> loaded = sync::LoadState(files);
        if (!loaded || *loaded != now) r.Wrong(QStringLiteral("floor's Sync.dat"));
      },
      step);
  table.Add(std::move(step));
  files.CloseDataFiles();
}

}  // namespace quorvel::bench
