// A date box showing dd/MM/yyyy with a drop-down calendar, made to take a
// date typed the way it is shown. Qt's own date box checks every digit
// against the date it holds: it moves to the next part after two digits and
// again on the "/" typed next, it changes 31 to 28 when February follows,
// and a click leaves the caret inside a full part where digits change
// nothing. Here a click selects the part it hits, and what the user types
// (digits and separators, from the part where typing began) is read as a
// whole when the box is left or Enter is pressed: it becomes exactly that
// date, or it is refused with a message and the box shows its earlier date.
// Tab leaves the box, like any other control (Qt's box steps through its
// parts instead); the arrow keys and "/" move between the parts.
#pragma once

#include <QDate>
#include <QDateEdit>
#include <QString>

namespace quorvel {

class DateBox : public QDateEdit {
  Q_OBJECT

 public:
  explicit DateBox(QWidget* parent = nullptr);

  // Takes what the user is typing, if anything. False when it was refused
  // (the message is shown now if it has not been yet); the box then shows
  // its earlier date.
  bool AcceptTyped();

  // The message for a typed `text` that names no date.
  static QString NotADateMessage(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool event(QEvent* event) override;

 private:
  struct Typing {
    QDate date;    // invalid when the typed text names no date the box takes
    QString text;  // the date as typed, dd/mm/yyyy with the untyped parts filled in
  };
  Typing Interpret() const;
  // Applies the typing, if any: true when it was taken.
  bool Commit(bool message_now);
  void StartTyping();
  void ShowPendingMessage();

  QDate before_;   // the date when typing began
  QString typed_;  // digits and separators typed since then
  Section typed_from_ = NoSection;
  bool just_moved_ = false;  // the last digit filled its part and moved on
  QString pending_message_;
};

}  // namespace quorvel
