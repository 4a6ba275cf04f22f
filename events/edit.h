// Changes to a kept event, made as a calendar client makes them: text in,
// text out, everything the event holds beyond what was changed kept as it
// came (its other properties and parameters, its attendees, its time
// zones), its SEQUENCE raised and DTSTAMP / LAST-MODIFIED set. The caller
// stages the result with PutEvent (or removes the event with RemoveEvent)
// in its own store::Operation.
#pragma once

#include <optional>

#include <QByteArray>
#include <QDateTime>
#include <QString>

namespace quorvel::events {

// What the user changed; what is not given stays as it is.
struct EventChange {
  std::optional<QString> summary = std::nullopt;
  std::optional<QString> description = std::nullopt;
  // Minutes before the start; -1 takes every reminder away.
  std::optional<int> alarm_minutes = std::nullopt;
  // The new start and end of the occurrence that was edited (all day:
  // midnight of the first day and midnight after the last). Both or none.
  std::optional<QDateTime> start = std::nullopt;
  std::optional<QDateTime> end = std::nullopt;
};

// The whole series (or a single event) changed. `edited_start` is where
// the occurrence the user edited started: a new start moves every
// occurrence by as much (their rule, the ones left out and the ones changed
// on their own move along), a new end sets every occurrence's length.
// Occurrences changed on their own keep a text of their own; one that
// still had the series' old text gets the new. Nothing when `text` holds
// no event.
std::optional<QByteArray> ChangeSeries(const QByteArray& text, const EventChange& change,
                                       const QDateTime& edited_start, const QDateTime& stamp);

// One occurrence of a series (`instance` as Occurrence::instance names it)
// changed on its own: its own VEVENT with RECURRENCE-ID, made from the
// series' or patched when there is one. Nothing when the text holds no
// series or the series no such occurrence.
std::optional<QByteArray> ChangeOccurrence(const QByteArray& text, const QString& instance,
                                           const EventChange& change, const QDateTime& stamp);

// One occurrence left out of its series (an EXDATE in the form of the
// series' start; its own VEVENT, if it was changed, removed). Nothing when
// the text holds no series.
std::optional<QByteArray> DeleteOccurrence(const QByteArray& text, const QString& instance,
                                           const QDateTime& stamp);

// The series' repeat rule replaced by `rule` (an RRULE value; empty: the
// event no longer repeats, its exceptions going with the rule). Nothing
// when `text` holds no event.
std::optional<QByteArray> SetRepeatRule(const QByteArray& text, const QByteArray& rule,
                                        const QDateTime& stamp);

// The RRULE value of the event's series, empty when it has none.
QByteArray RepeatRuleOf(const QByteArray& text);

}  // namespace quorvel::events
