#include "ui/date_box.h"

#include <QCalendarWidget>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QTimer>

#include "store/date_text.h"
#include "ui/seams.h"

namespace quorvel {

namespace {

bool IsSeparator(const QString& text) {
  return text == QLatin1String("/") || text == QLatin1String(".") || text == QLatin1String("-");
}

}  // namespace

DateBox::DateBox(QWidget* parent) : QDateEdit(parent) {
  setDisplayFormat(QLatin1String(kDateFormat));
  setCalendarPopup(true);
  before_ = date();
  lineEdit()->installEventFilter(this);
  // A day picked in the drop-down replaces whatever was being typed.
  connect(calendarWidget(), &QCalendarWidget::clicked, this, [this] { StartTyping(); });
  connect(calendarWidget(), &QCalendarWidget::activated, this, [this] { StartTyping(); });
}

QString DateBox::NotADateMessage(const QString& text) {
  return tr("\"%1\" is not a date. Please type the date as day/month/year, for "
            "example 07/08/1990.")
      .arg(text);
}

void DateBox::StartTyping() {
  before_ = date();
  typed_.clear();
  typed_from_ = NoSection;
  just_moved_ = false;
}

DateBox::Typing DateBox::Interpret() const {
  // The parts typed, from the part where typing began: split at the
  // separators, or, for digits alone, two for the day, two for the month
  // and the rest for the year.
  const Section order[] = {DaySection, MonthSection, YearSection};
  int first = 0;
  for (int i = 0; i < 3; ++i) {
    if (order[i] == typed_from_) first = i;
  }
  QStringList parts;
  if (typed_.contains(QRegularExpression(QStringLiteral("[/.-]")))) {
    parts = typed_.split(QRegularExpression(QStringLiteral("[/.-]")));
  } else {
    QString rest = typed_;
    for (int i = first; i < 3 && !rest.isEmpty(); ++i) {
      const int width = i == 2 ? int(rest.size()) : 2;
      parts.append(rest.left(width));
      rest = rest.mid(width);
    }
  }
  int values[3] = {before_.day(), before_.month(), before_.year()};
  QString shown[3] = {QStringLiteral("%1").arg(values[0], 2, 10, QLatin1Char('0')),
                      QStringLiteral("%1").arg(values[1], 2, 10, QLatin1Char('0')),
                      QStringLiteral("%1").arg(values[2], 4, 10, QLatin1Char('0'))};
  bool sound = first + parts.size() <= 3;
  for (int i = 0; i < parts.size() && first + i < 3; ++i) {
    const QString& part = parts.at(i);
    if (part.isEmpty()) continue;
    shown[first + i] = part;
    bool number = false;
    values[first + i] = part.toInt(&number);
    sound = sound && number;
  }
  Typing typing;
  typing.text = QStringLiteral("%1/%2/%3").arg(shown[0], shown[1], shown[2]);
  const QDate date(values[2], values[1], values[0]);
  if (sound && date.isValid() && date >= minimumDate() && date <= maximumDate()) {
    typing.date = date;
  }
  return typing;
}

bool DateBox::Commit(bool message_now) {
  if (typed_.isEmpty()) return true;
  const Typing typing = Interpret();
  const QDate earlier = before_;
  StartTyping();
  if (typing.date.isValid()) {
    setDate(typing.date);
    StartTyping();
    return true;
  }
  setDate(earlier);
  lineEdit()->setText(textFromDateTime(QDateTime(earlier, QTime(0, 0))));
  StartTyping();
  pending_message_ = NotADateMessage(typing.text);
  if (message_now) {
    ShowPendingMessage();
  } else {
    // Not inside the change of focus: the message box would take it.
    QTimer::singleShot(0, this, [this] { ShowPendingMessage(); });
  }
  return false;
}

void DateBox::ShowPendingMessage() {
  if (pending_message_.isEmpty()) return;
  const QString message = pending_message_;
  pending_message_.clear();
  ShowMessage(message);
}

bool DateBox::AcceptTyped() {
  if (!pending_message_.isEmpty()) {
    ShowPendingMessage();
    return false;
  }
  return Commit(true);
}

void DateBox::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (!Commit(true)) {
      event->accept();
      return;
    }
    QDateEdit::keyPressEvent(event);
    return;
  }
  if (IsSeparator(text)) {
    if (!typed_.isEmpty()) typed_ += text;
    const bool moved = just_moved_;
    just_moved_ = false;
    // The part was already left when its last digit was typed.
    if (moved) {
      event->accept();
      return;
    }
    QDateEdit::keyPressEvent(event);
    return;
  }
  if (text.size() == 1 && text.at(0).isDigit()) {
    if (typed_.isEmpty()) typed_from_ = currentSection();
    typed_ += text;
    const Section section = currentSection();
    QDateEdit::keyPressEvent(event);
    just_moved_ = currentSection() != section;
    return;
  }
  just_moved_ = false;
  if (event->key() == Qt::Key_Backspace && !typed_.isEmpty()) {
    typed_.chop(1);
  } else if (event->key() != Qt::Key_Shift && event->key() != Qt::Key_Control &&
             event->key() != Qt::Key_Alt) {
    // Any other key (arrows, Home, a drop-down) leaves the date as shown.
    typed_.clear();
    typed_from_ = NoSection;
  }
  QDateEdit::keyPressEvent(event);
}

bool DateBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lineEdit() && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    // A click takes what was typed and then picks the part under it, so
    // that digits typed next replace that part.
    Commit(true);
    static_cast<QObject*>(lineEdit())->event(event);
    setSelectedSection(currentSection());
    return true;
  }
  return QDateEdit::eventFilter(watched, event);
}

void DateBox::focusInEvent(QFocusEvent* event) {
  QDateEdit::focusInEvent(event);
  if (event->reason() != Qt::PopupFocusReason) StartTyping();
}

bool DateBox::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      const bool forward = key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier);
      // Past the whole box, not to its next part.
      QWidget::focusNextPrevChild(forward);
      return true;
    }
  }
  return QDateEdit::event(event);
}

void DateBox::focusOutEvent(QFocusEvent* event) {
  // The drop-down calendar takes the focus for a moment; that is no leaving.
  if (event->reason() != Qt::PopupFocusReason) Commit(false);
  QDateEdit::focusOutEvent(event);
}

}  // namespace quorvel
