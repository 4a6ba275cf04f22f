#include "app/seams.h"

#include <cstdlib>
#include <utility>
#include <vector>

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

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
