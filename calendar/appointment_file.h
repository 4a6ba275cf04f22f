// Appoint.dat: one appointment per group of eight records, count in record 8.
#pragma once

#include <QDate>
#include <QString>

#include "store/data_files.h"

namespace quorvel {

// The eight-digit day key of `date`: year, month and day run together.
QString DayKey(const QDate& date);

// Whether a stored appointment's ID starts with the day key of `date`.
bool HasAppointmentOn(const store::DataFiles& files, const QDate& date);

}  // namespace quorvel
