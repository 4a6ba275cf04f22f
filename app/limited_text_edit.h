// A multi-line text box holding at most a set number of characters, where
// each line break counts as the two characters (carriage return and line
// feed) it is stored as. Typing or pasting past the limit keeps only what
// fits; Tab moves the focus on.
#pragma once

#include <QPlainTextEdit>
#include <QString>

namespace quorvel {

class LimitedTextEdit : public QPlainTextEdit {
  Q_OBJECT

 public:
  explicit LimitedTextEdit(int limit, QWidget* parent = nullptr);

  int limit() const { return limit_; }
  // The text with carriage return + line feed between lines.
  QString StoredText() const;
  // Shows a text whose lines are separated by carriage return + line feed
  // (a lone line feed or carriage return also breaks the line).
  void SetStoredText(const QString& text);

  // The stored length of the text shown.
  static int StoredLength(const QString& shown);
  static QString ToStored(const QString& shown);
  static QString FromStored(const QString& stored);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  // How many more stored characters fit once the selection is replaced.
  int Room() const;
  // The longest start of `text` that fits in `room` stored characters.
  static QString Fit(const QString& text, int room);

  int limit_;
};

}  // namespace quorvel
