#include "calendar/appointment_repeat_panel.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QLabel>
#include <QSpinBox>

#include "ui/accessibility.h"
#include "ui/ui.h"

namespace quorvel {
namespace {

namespace names = repeat_panel_names;

using Kind = events::Repeat::Kind;
using End = events::Repeat::End;

constexpr int kRow = 28;

QString WeekdayName(int day) {
  static const char* const kNames[] = {QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Monday"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Tuesday"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Wednesday"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Thursday"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Friday"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Saturday"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Sunday")};
  return RepeatPanel::tr(kNames[day - 1]);
}

QString WeekdayShort(int day) {
  static const char* const kNames[] = {QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Mo"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Tu"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "We"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Th"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Fr"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Sa"),
                                       QT_TRANSLATE_NOOP("quorvel::RepeatPanel", "Su")};
  return RepeatPanel::tr(kNames[day - 1]);
}

QString Ordinal(QDate day) {
  switch ((day.day() - 1) / 7) {
    case 0:
      return RepeatPanel::tr("first");
    case 1:
      return RepeatPanel::tr("second");
    case 2:
      return RepeatPanel::tr("third");
    case 3:
      return RepeatPanel::tr("fourth");
    default:
      return RepeatPanel::tr("last");
  }
}

}  // namespace

RepeatPanel::RepeatPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QLatin1String(names::kPanel));
  every_label_ = Place(new QLabel(tr("Ever&y"), this), names::kEveryCaption, QRect(0, 2, 44, 20));
  every_ = Place(new QSpinBox(this), names::kEvery, QRect(48, 0, 56, 24));
  every_->setRange(1, 52);
  every_->setAccessibleName(tr("Every how many weeks"));
  every_label_->setBuddy(every_);
  weeks_label_ =
      Place(new QLabel(tr("week(s), on"), this), names::kWeeksCaption, QRect(110, 2, 200, 20));
  for (int d = 1; d <= 7; ++d) {
    weekdays_[d - 1] = Place(new QCheckBox(WeekdayShort(d), this), names::kWeekdays[d - 1],
                             QRect((d - 1) * 46, kRow, 44, 22));
    weekdays_[d - 1]->setAccessibleName(WeekdayName(d));
  }
  monthly_ = Place(new NamedComboBox(this), names::kMonthly, QRect(0, 0, 320, 24));
  monthly_->addItems({QString(), QString()});
  monthly_->setAccessibleName(tr("Repeats monthly on"));
  ends_label_ = Place(new QLabel(tr("&Ends"), this), names::kEndsCaption, QRect(0, 2, 44, 20));
  ends_ = Place(new NamedComboBox(this), names::kEnds, QRect(48, 0, 110, 24));
  ends_->addItems({tr("Never"), tr("On date"), tr("After")});
  ends_->setAccessibleName(tr("Ends"));
  ends_label_->setBuddy(ends_);
  until_ = Place(new QDateEdit(this), names::kUntil, QRect(164, 0, 110, 24));
  until_->setCalendarPopup(true);
  until_->setAccessibleName(tr("Last day"));
  count_ = Place(new QSpinBox(this), names::kCount, QRect(164, 0, 60, 24));
  count_->setRange(1, 999);
  count_->setAccessibleName(tr("Number of times"));
  times_label_ = Place(new QLabel(tr("times"), this), names::kTimesCaption, QRect(230, 2, 80, 20));
  times_label_->setBuddy(count_);
  connect(ends_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { ShowEnd(); });
  ShowFor(Kind::kNever, QDate::currentDate());
}

void RepeatPanel::ShowFor(Kind kind, QDate day) {
  kind_ = kind;
  day_ = day;
  const bool weekly = kind == Kind::kWeekly;
  const bool monthly = kind == Kind::kMonthlyByDate || kind == Kind::kMonthlyByWeekday;
  int y = 0;
  for (QWidget* w : {static_cast<QWidget*>(every_label_), static_cast<QWidget*>(every_),
                     static_cast<QWidget*>(weeks_label_)}) {
    w->setVisible(weekly);
  }
  for (QCheckBox* box : weekdays_) {
    box->setVisible(weekly);
    box->move(box->x(), kRow);
  }
  if (weekly) y = 2 * kRow;
  monthly_->setItemText(0, tr("On day %1").arg(day.day()));
  monthly_->setItemText(1, tr("On the %1 %2").arg(Ordinal(day), WeekdayName(day.dayOfWeek())));
  monthly_->setVisible(monthly);
  if (monthly) y = kRow;
  const bool repeats = kind != Kind::kNever && kind != Kind::kOther;
  for (QWidget* w : {static_cast<QWidget*>(ends_label_), static_cast<QWidget*>(ends_),
                     static_cast<QWidget*>(until_), static_cast<QWidget*>(count_),
                     static_cast<QWidget*>(times_label_)}) {
    w->move(w->x(), y + (qobject_cast<QLabel*>(w) ? 2 : 0));
    w->setVisible(repeats);
  }
  if (repeats) {
    ShowEnd();
    y += kRow;
  }
  setFixedSize(320, std::max(y, 1));
  setVisible(y > 0);
  emit Resized();
}

void RepeatPanel::ShowEnd() {
  const bool shown = kind_ != Kind::kNever && kind_ != Kind::kOther;
  until_->setVisible(shown && ends_->currentIndex() == 1);
  count_->setVisible(shown && ends_->currentIndex() == 2);
  times_label_->setVisible(shown && ends_->currentIndex() == 2);
}

void RepeatPanel::Set(const events::Repeat& repeat, QDate day) {
  every_->setValue(repeat.interval);
  for (int d = 1; d <= 7; ++d) {
    weekdays_[d - 1]->setChecked(repeat.kind == Kind::kWeekly
                                     ? (repeat.weekdays & (1u << (d - 1))) != 0
                                     : d == day.dayOfWeek());
  }
  monthly_->setCurrentIndex(repeat.kind == Kind::kMonthlyByWeekday ? 1 : 0);
  ends_->setCurrentIndex(repeat.end == End::kUntil ? 1 : repeat.end == End::kCount ? 2 : 0);
  until_->setDate(repeat.until.isValid() ? repeat.until : day.addMonths(1));
  count_->setValue(repeat.count > 0 ? repeat.count : 10);
  ShowFor(repeat.kind, day);
}

events::Repeat RepeatPanel::Value(Kind kind) const {
  events::Repeat r;
  r.kind = kind;
  if (kind == Kind::kMonthlyByDate || kind == Kind::kMonthlyByWeekday) {
    r.kind = monthly_->currentIndex() == 1 ? Kind::kMonthlyByWeekday : Kind::kMonthlyByDate;
  }
  if (kind == Kind::kWeekly) {
    r.interval = every_->value();
    for (int d = 1; d <= 7; ++d) {
      if (weekdays_[d - 1]->isChecked()) r.weekdays |= 1u << (d - 1);
    }
    if (!r.weekdays) r.weekdays = 1u << (day_.dayOfWeek() - 1);
  }
  if (ends_->currentIndex() == 1) {
    r.end = End::kUntil;
    r.until = until_->date();
  } else if (ends_->currentIndex() == 2) {
    r.end = End::kCount;
    r.count = count_->value();
  }
  return r;
}

QList<QWidget*> RepeatPanel::Controls() const {
  QList<QWidget*> controls{every_};
  for (QCheckBox* box : weekdays_) controls << box;
  controls << monthly_ << ends_ << until_ << count_;
  return controls;
}

}  // namespace quorvel
