// The Activities window's part that lists the kept events' occurrences
// among the day's appointments.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "calendar/activities_window.h"
#include "calendar/day_occurrences.h"

namespace quorvel {

namespace {

// The sign of an occurrence of a series, after its subject; a screen reader
// reads the word instead.
const QString kRepeatsSign = QStringLiteral(" \u21BB");

}  // namespace

void ActivitiesWindow::ListDay(const DayAppointments& day) {
  const QSignalBlocker block(subjects_);
  subjects_listed_ = day.subjects;
  QStringList texts;
  QStringList heard;  // what a screen reader says instead, where it differs
  auto list_occurrence = [&](std::size_t k) {
    const events::Occurrence& o = occurrences_[k];
    const QString summary = o.summary.trimmed();
    const QString start = StartOnDay(o, Date());
    const QString end = EndOnDay(o, Date());
    const QString when = o.all_day ? tr("All day") : tr("%1\u2013%2").arg(start, end);
    const QString said = o.all_day ? when : tr("%1 to %2").arg(start, end);
    texts.append(when + QLatin1Char(' ') + summary + (o.repeats ? kRepeatsSign : QString()));
    heard.append(said + QLatin1Char(' ') + summary + (o.repeats ? tr(", repeats") : QString()));
    items_.push_back(-1 - int(k));
    rows_.push_back(ListedRow{summary + (o.repeats ? kRepeatsSign : QString()),
                              summary + (o.repeats ? tr(", repeats") : QString()), start, end,
                              o.all_day});
  };
  // All-day ones first, then each timed one before the first appointment
  // that starts later; the appointments keep their order.
  std::vector<std::size_t> timed;
  for (std::size_t k = 0; k < occurrences_.size(); ++k) {
    if (occurrences_[k].all_day) {
      list_occurrence(k);
    } else {
      timed.push_back(k);
    }
  }
  std::size_t next = 0;
  for (int i = 0; i < day.subjects.size(); ++i) {
    const QString start = day.starts.value(i);
    while (next < timed.size() && StartOnDay(occurrences_[timed[next]], Date()) < start) {
      list_occurrence(timed[next++]);
    }
    texts.append(day.subjects[i]);
    heard.append(QString());
    items_.push_back(i + 1);
    rows_.push_back(ListedRow{day.subjects[i], day.subjects[i], start, day.ends.value(i), false});
  }
  while (next < timed.size()) list_occurrence(timed[next++]);
  // In one go: the list is filled once.
  subjects_->addItems(texts);
  for (int i = 0; i < heard.size(); ++i) {
    if (!heard[i].isEmpty()) subjects_->setItemData(i, heard[i], Qt::AccessibleTextRole);
  }
  if (subjects_->count() > 0) subjects_->setCurrentIndex(0);
}

void ActivitiesWindow::ShowOccurrence(const events::Occurrence& o) {
  // Edit and Delete ask whether the occurrence or its whole series is meant.
  shown_.reset();
  id_->setText(QStringLiteral("ID"));
  start_->setText(o.all_day ? tr("All day") : StartOnDay(o, Date()));
  end_->setText(o.all_day ? QString() : EndOnDay(o, Date()));
  minutes_->setText(o.alarm_minutes >= 0 ? QString::number(o.alarm_minutes) : QString());
  QString text = o.description;
  if (!o.location.trimmed().isEmpty()) {
    text += (text.isEmpty() ? QString() : QStringLiteral("\n\n")) +
            tr("Location: %1").arg(o.location.trimmed());
  }
  description_->setPlainText(text);
  reminder_->setChecked(o.alarm_minutes >= 0);
  ShowReminderMinutes(o.alarm_minutes >= 0);
  delete_->setEnabled(true);
  edit_->setEnabled(true);
}

bool ActivitiesWindow::ChooseOccurrence(const QString& uid, const QString& instance) {
  if (!SelectOccurrence(uid, instance)) return false;
  subjects_->setFocus(Qt::OtherFocusReason);
  return true;
}

bool ActivitiesWindow::SelectOccurrence(const QString& uid, const QString& instance) {
  for (int i = 0; i < int(items_.size()); ++i) {
    const events::Occurrence* o = OccurrenceAt(i);
    if (!o || o->uid != uid || o->instance != instance) continue;
    if (i != subjects_->currentIndex()) subjects_->setCurrentIndex(i);
    ShowSelectedAppointment();
    return true;
  }
  return false;
}

std::optional<events::Occurrence> ActivitiesWindow::ChosenOccurrence() const {
  const events::Occurrence* o = OccurrenceAt(subjects_->currentIndex());
  if (!o) return std::nullopt;
  return *o;
}

const events::Occurrence* ActivitiesWindow::OccurrenceAt(int index) const {
  if (index < 0 || index >= int(items_.size()) || items_[std::size_t(index)] >= 0) return nullptr;
  return &occurrences_[std::size_t(-1 - items_[std::size_t(index)])];
}

}  // namespace quorvel
