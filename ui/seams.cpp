#include "ui/seams.h"
#include "store/messages.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvel {
namespace {

std::function<void(const QString&)>& Sink() {
  static std::function<void(const QString&)> sink;
  return sink;
}

std::function<int(const QString&, const QStringList&)>& ChoiceSink() {
  static std::function<int(const QString&, const QStringList&)> sink;
  return sink;
}

std::function<QDateTime()>& Clock() {
  static std::function<QDateTime()> clock;
  return clock;
}

}  // namespace

void ShowMessage(const QString& text) {
  if (Sink()) {
    Sink()(text);
    return;
  }
  // Over the window it belongs to, with a plain OK like every other button.
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quorvel"), text, QMessageBox::Ok,
                  QApplication::activeWindow());
  if (QAbstractButton* ok = box.button(QMessageBox::Ok)) ok->setIcon(QIcon());
  box.exec();
}

void ShowMessageWithDetails(const QString& text, const QString& details) {
  if (details.isEmpty()) {
    ShowMessage(text);
    return;
  }
  if (Sink()) {
    Sink()(text + QLatin1Char('\n') + details);
    return;
  }
  QDialog box(QApplication::activeWindow());
  box.setWindowTitle(QStringLiteral("Quorvel"));
  box.setObjectName(QStringLiteral("MessageWithDetails"));
  auto* layout = new QVBoxLayout(&box);
  auto* label = new QLabel(text, &box);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  layout->addWidget(label);
  auto* list = new QPlainTextEdit(details, &box);
  list->setObjectName(QStringLiteral("Details"));
  list->setReadOnly(true);
  list->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
  list->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  list->setAccessibleName(MessageTexts::tr("Details"));
  list->setMinimumSize(520, 220);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &box);
  if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok)) {
    ok->setIcon(QIcon());
    ok->setDefault(true);
    ok->setFocus();
  }
  QObject::connect(buttons, &QDialogButtonBox::accepted, &box, &QDialog::accept);
  layout->addWidget(buttons);
  box.exec();
}

void SetMessageSink(std::function<void(const QString&)> sink) { Sink() = std::move(sink); }

int AskChoice(const QString& text, const QStringList& choices) {
  if (ChoiceSink()) return ChoiceSink()(text, choices);
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quorvel"), text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  std::vector<QAbstractButton*> buttons;
  for (const QString& choice : choices) {
    QPushButton* button = box.addButton(choice, QMessageBox::AcceptRole);
    if (buttons.empty()) box.setDefaultButton(button);
    buttons.push_back(button);
  }
  // Esc closes the box without a choice.
  QPushButton* none = box.addButton(QMessageBox::Cancel);
  none->hide();
  box.setEscapeButton(none);
  box.exec();
  for (size_t i = 0; i < buttons.size(); ++i) {
    if (box.clickedButton() == buttons[i]) return int(i);
  }
  return -1;
}

void SetChoiceSink(std::function<int(const QString&, const QStringList&)> sink) {
  ChoiceSink() = std::move(sink);
}

QDateTime Now() { return Clock() ? Clock()() : QDateTime::currentDateTime(); }

void SetClock(std::function<QDateTime()> clock) { Clock() = std::move(clock); }

void ReportFatalAndExit(const QString& message) {
  ShowMessage(message);
  std::_Exit(EXIT_FAILURE);
}

}  // namespace quorvel
