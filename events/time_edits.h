// Moving an event's times, for the edits of this folder: a property's time
// value read and set in the form it has, and times and repeat rules
// shifted with their start.
#pragma once

#include <libical/ical.h>

#include <optional>

#include <QDate>
#include <QDateTime>
#include <QString>

namespace quorvel::events {

// A date or date-time property's value, and the same set (UTC kept as UTC).
icaltimetype ValueOf(icalproperty* p);
void SetValue(icalproperty* p, icaltimetype t);

// `when` in the form `model` has: a date, UTC, its zone's wall time, or
// floating wall time.
icaltimetype InFormOf(icalproperty* model, icalcomponent* calendar, const QDateTime& when);

// The occurrence `instance` names, in the form `model` (the series' start)
// has.
std::optional<icaltimetype> InstanceTime(const QString& instance, icalproperty* model,
                                         icalcomponent* calendar);

// A time property in the zone of `model` (its TZID copied, or none).
icalproperty* TimeLike(icalproperty_kind kind, icalproperty* model, icaltimetype t);

// `t` moved by `days` (a date) or `seconds` (a date-time).
icaltimetype Shifted(icaltimetype t, int days, qint64 seconds);
// Every time of property `kind` of `e` so moved.
void ShiftAll(icalcomponent* e, icalproperty_kind kind, int days, qint64 seconds);

// The rule moved along with its start from `from` to `to`: its end, and
// the weekday, day of month or month it names for the old start.
void ShiftRule(icalproperty* p, int days, qint64 seconds, QDate from, QDate to);

QDate DayOf(const icaltimetype& t);

}  // namespace quorvel::events
