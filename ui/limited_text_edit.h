// A multi-line text box holding at most a set number of characters, where
// each line break counts as the two characters (carriage return and line
// feed) it is stored as. Whatever the user adds past the limit, by typing,
// pasting, dropping or through assistive technology, is cut to what fits;
// text the program sets is taken whole. Tab moves the focus on.
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
  // The text shown, line breaks as '\n' (non-breaking spaces kept).
  QString ShownText() const;

  // The stored length of the text shown.
  static int StoredLength(const QString& shown);
  static QString ToStored(const QString& shown);
  static QString FromStored(const QString& stored);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  void inputMethodEvent(QInputMethodEvent* event) override;

 private:
  // Drops the end of what was just added until the text fits.
  void KeepWithinLimit();
  // How many more stored characters fit once the selection is replaced.
  int Room() const;
  // The longest start of `text` that fits in `room` stored characters.
  static QString Fit(const QString& text, int room);

  int limit_;
  int pending_position_ = 0;
  int pending_added_ = 0;
  bool taking_whole_ = false;
  bool trimming_ = false;
};

}  // namespace quorvel
