// The reader of one parsed calendar's events: appointments, birthdays, events kept whole.
#pragma once

#include <libical/ical.h>

#include <map>
#include <optional>
#include <set>
#include <vector>

#include <QDate>
#include <QString>

#include "interchange/event_zones.h"
#include "interchange/mapping.h"

namespace quorvel::interchange::ical {

class EventReader {
 public:
  EventReader(icalcomponent* calendar, const EventOptions& options, Zones::Report& zones,
              EventReading& out)
      : calendar_(calendar), options_(options), out_(out), zones_(calendar, zones) {}

  void ReadAll();

 private:
  struct Kept {
    QString uid;
    icalcomponent* without_uid = nullptr;
    QString name;
    QString plain_key;
  };

  // A timed event as the stretch of one day it takes: nothing when it
  // reaches into the next day (an end at midnight is that day's 24:00).
  // One without length gets half an hour, within its day.
  struct Piece {
    QDate day;
    int begin = 0;
    int end = 0;
    bool no_length = false;
  };

  void Skip(const QString& item, const QString& reason) { out_.skipped.push_back({item, reason}); }

  QString Name(const QString& subject, const QDate& date) const;

  // The steps of reading one event (event_reader.cpp).
  void ReadEvent(icalcomponent* event);
  // libical drops a repeat rule it cannot parse and leaves a note in its
  // place: the event would come in once, on the series' first date. Why
  // the event is no appointment then; a null string when its rules read.
  static QString RepeatRuleProblem(icalcomponent* event);
  // The length: DTEND, else DURATION, else a day for a date and nothing
  // for a time.
  qint64 Length(icalcomponent* event, icaltimetype start);
  // Whether an all-day event carries this program's own times, those that
  // are no clock times.
  bool OwnTimes(icalcomponent* event, icaltimetype start);
  // The event as one appointment (`piece` the stretch of its day, for a
  // timed event), kept beside it on an import.
  void AddAppointment(icalcomponent* event, const QString& uid, icaltimetype start,
                      const std::optional<Piece>& piece, const QString& subject,
                      const QString& name);
  std::optional<Piece> OnePiece(icaltimetype start, qint64 length) const;
  void Add(const QString& uid, const QDate& date, const QString& start, const QString& end,
           const Appointment& base);

  // Events kept whole (event_reader_kept.cpp).
  // Whether the event repeats or has occurrences changed on their own.
  bool Repeats(icalcomponent* event, const QString& uid) const;
  // The event kept whole, under a UID made from what it holds when it came
  // without one.
  void KeepWhole(icalcomponent* event, const QString& uid, icaltimetype start, const Wall& first,
                 const QString& name, const QString& subject);
  // The event one appointment was made of, to be kept beside it: not when
  // another event of the file has its UID (which of them would it be?).
  void KeepBeside(icalcomponent* event, EventAppointment& e);
  void Keep(const QString& uid, icalcomponent* without_uid, const QString& name,
            const QString& plain_key = QString());
  // How an appointment of the same day, start and subject is known (see
  // KeptEvent::plain_key); empty for a series or an all-day event.
  QString PlainKey(icalcomponent* event, icaltimetype start, const Wall& first,
                   const QString& subject) const;
  // A timed event is named with its start, as an appointment is.
  static QString TimedName(const QString& name, icaltimetype start, const Wall& first);
  // Whether the event must be kept whole: Appoint.dat cannot hold it as it
  // is (a series or a changed occurrence, all day or over midnight, no
  // length, a text that does not fit or holds a character the file cannot
  // store, a reminder it cannot say, a location, which it has no field for).
  bool NeedsKeeping(icalcomponent* event, const QString& uid, icaltimetype start, qint64 length,
                    const QString& subject, const QString& name);

  // The texts of an event (event_reader_texts.cpp).
  static QString XValue(icalproperty* p);
  QString XText(icalcomponent* event, const char* x_name);
  // DESCRIPTION with line breaks as stored (CR LF), LOCATION added as a last
  // line; what does not fit is left out and reported.
  QString Description(icalcomponent* event, const QString& name);
  void ReadReminder(icalcomponent* event, const QString& name, Appointment* a);

  icalcomponent* calendar_;
  const EventOptions& options_;
  EventReading& out_;
  Zones zones_;
  std::map<QString, std::set<QString>> overridden_;
  std::set<QString> kept_;
  std::vector<Kept> kept_order_;
};

}  // namespace quorvel::interchange::ical
