#include "ui/limited_text_edit.h"

#include <algorithm>

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

namespace quorvel {

LimitedTextEdit::LimitedTextEdit(int limit, QWidget* parent)
    : QPlainTextEdit(parent), limit_(limit) {
  setTabChangesFocus(true);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  connect(document(), &QTextDocument::contentsChange, this, [this](int position, int, int added) {
    pending_position_ = position;
    pending_added_ = added;
  });
  connect(this, &QPlainTextEdit::textChanged, this, [this] { KeepWithinLimit(); });
}

QString LimitedTextEdit::ShownText() const {
  QString text = document()->toRawText();
  text.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
  text.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
  return text;
}

void LimitedTextEdit::KeepWithinLimit() {
  const int position = pending_position_;
  const int added = pending_added_;
  pending_added_ = 0;
  if (taking_whole_ || trimming_ || added <= 0) return;
  const QString text = ShownText();
  int over = StoredLength(text) - limit_;
  if (over <= 0) return;
  const int end = std::min<int>(position + added, int(text.size()));
  int cut = end;
  while (cut > position && over > 0) {
    over -= text.at(cut - 1) == QLatin1Char('\n') ? 2 : 1;
    --cut;
  }
  if (cut == end) return;
  trimming_ = true;
  QTextCursor cursor(document());
  cursor.setPosition(cut);
  cursor.setPosition(end, QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  trimming_ = false;
  QTextCursor caret = textCursor();
  caret.setPosition(cut);
  setTextCursor(caret);
}

int LimitedTextEdit::StoredLength(const QString& shown) {
  return int(shown.size() + shown.count(QLatin1Char('\n')));
}

QString LimitedTextEdit::ToStored(const QString& shown) {
  QString stored = shown;
  stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  return stored;
}

QString LimitedTextEdit::FromStored(const QString& stored) {
  QString shown = stored;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return shown;
}

QString LimitedTextEdit::StoredText() const { return ToStored(ShownText()); }

void LimitedTextEdit::SetStoredText(const QString& text) {
  taking_whole_ = true;
  setPlainText(FromStored(text));
  taking_whole_ = false;
}

int LimitedTextEdit::Room() const {
  // The selection reports its line breaks as paragraph separators.
  QString selected = textCursor().selectedText();
  selected.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
  return limit_ - (StoredLength(toPlainText()) - StoredLength(selected));
}

QString LimitedTextEdit::Fit(const QString& text, int room) {
  int used = 0;
  qsizetype n = 0;
  for (; n < text.size(); ++n) {
    const int cost = text.at(n) == QLatin1Char('\n') ? 2 : 1;
    if (used + cost > room) break;
    used += cost;
  }
  return text.left(n);
}

void LimitedTextEdit::keyPressEvent(QKeyEvent* event) {
  if (!isReadOnly()) {
    QString typed;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
      typed = QStringLiteral("\n");
    } else if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
      typed = event->text();
    }
    if (!typed.isEmpty() && StoredLength(typed) > Room()) {
      event->accept();
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void LimitedTextEdit::insertFromMimeData(const QMimeData* source) {
  if (source == nullptr || !source->hasText()) return;
  QString text = source->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  insertPlainText(Fit(text, Room()));
}

void LimitedTextEdit::inputMethodEvent(QInputMethodEvent* event) {
  const QString commit = event->commitString();
  if (!commit.isEmpty() && StoredLength(commit) > Room()) {
    QInputMethodEvent fitted(event->preeditString(), event->attributes());
    fitted.setCommitString(Fit(commit, Room()), event->replacementStart(),
                           event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&fitted);
    return;
  }
  QPlainTextEdit::inputMethodEvent(event);
}

}  // namespace quorvel
