// The appointment editor's choices of how a repeating appointment repeats:
// every how many weeks and on which weekdays, monthly by date or weekday,
// and when the repeating ends. Shown below the "Repeats" box while it says
// anything but "Never".
#pragma once

#include <QDate>
#include <QWidget>

#include "events/repeat.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QSpinBox;

namespace quorvel {

class NamedComboBox;

// Object names of the repeat panel and its controls.
namespace repeat_panel_names {
inline constexpr char kPanel[] = "RepeatBox";
inline constexpr char kEveryCaption[] = "Label6";
inline constexpr char kEvery[] = "Spin1";  // every how many weeks
inline constexpr char kWeeksCaption[] = "Label7";
// The weekday boxes of a weekly series, Monday first.
inline constexpr const char* kWeekdays[7] = {"Check11", "Check12", "Check13", "Check14",
                                             "Check15", "Check16", "Check17"};
inline constexpr char kMonthly[] = "Combo4";  // a monthly series: by day or by weekday
inline constexpr char kEndsCaption[] = "Label8";
inline constexpr char kEnds[] = "Combo5";      // never, on a date, after a count
inline constexpr char kUntil[] = "DTPicker2";  // the last day
inline constexpr char kCount[] = "Spin2";      // the number of times
inline constexpr char kTimesCaption[] = "Label9";
}  // namespace repeat_panel_names

class RepeatPanel : public QWidget {
  Q_OBJECT

 public:
  explicit RepeatPanel(QWidget* parent);

  // The rows `kind` needs, for an event starting on `day`; the panel's
  // height follows.
  void ShowFor(events::Repeat::Kind kind, QDate day);
  // The controls set as `repeat` says (its kind as well).
  void Set(const events::Repeat& repeat, QDate day);
  // What the controls say for `kind`.
  events::Repeat Value(events::Repeat::Kind kind) const;

  // The controls in their keyboard order, for the editor's tab chain.
  QList<QWidget*> Controls() const;

 signals:
  void Resized();

 private:
  void ShowEnd();

  QLabel* every_label_;
  QSpinBox* every_;
  QLabel* weeks_label_;
  QCheckBox* weekdays_[7];
  NamedComboBox* monthly_;
  QLabel* ends_label_;
  NamedComboBox* ends_;
  QDateEdit* until_;
  QSpinBox* count_;
  QLabel* times_label_;
  events::Repeat::Kind kind_ = events::Repeat::Kind::kNever;
  QDate day_;
};

}  // namespace quorvel
