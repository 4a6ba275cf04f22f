#include "app/seams.h"

#include <cstdlib>
#include <utility>

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QMessageBox>

namespace quorvel {
namespace {

std::function<void(const QString&)>& Sink() {
  static std::function<void(const QString&)> sink;
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

QDateTime Now() { return Clock() ? Clock()() : QDateTime::currentDateTime(); }

void SetClock(std::function<QDateTime()> clock) { Clock() = std::move(clock); }

void ReportFatalAndExit(const QString& message) {
  ShowMessage(message);
  std::_Exit(EXIT_FAILURE);
}

}  // namespace quorvel
