#include "calendar/reminder_window.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "app/application.h"
#include "app/ui.h"
#include "calendar/reminders.h"

namespace quorvel {

namespace {

constexpr int kLabelHeight = 255;  // twips
const QColor kValueColour(0, 0, 192);

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top,
                  int width) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(TwipsRect(left, top, width, kLabelHeight));
  label->setFont(ArialFont(8, true));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  return label;
}

// A value label: dark blue text, on white when `boxed`.
void MakeValue(QLabel* label, bool boxed) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kValueColour);
  if (boxed) {
    palette.setColor(QPalette::Window, Qt::white);
    label->setAutoFillBackground(true);
  }
  label->setPalette(palette);
}

}  // namespace

ReminderWindow::ReminderWindow(Application& app) : app_(app) {
  setObjectName(QStringLiteral("Form8"));
  setWindowTitle(QStringLiteral("Reminder"));
  setFont(ArialFont(8));
  setFixedSize(Px(4665), Px(1890));

  MakeLabel(this, QStringLiteral("Label1"), QStringLiteral("You have a meeting in"), 0, 120,
            3015);
  lead_ = MakeLabel(this, QStringLiteral("Label2"), QString(), 2040, 120, 735);
  MakeValue(lead_, false);
  MakeLabel(this, QStringLiteral("Label3"), QStringLiteral("minutes."), 2520, 120, 1095);
  MakeLabel(this, QStringLiteral("Label4"), QStringLiteral("Subject:"), 0, 720, 1215);
  subject_ = MakeLabel(this, QStringLiteral("Label7(0)"), QString(), 1320, 720, 3255);
  MakeValue(subject_, true);
  MakeLabel(this, QStringLiteral("Label5"), QStringLiteral("Start Time"), 0, 1200, 1215);
  start_ = MakeLabel(this, QStringLiteral("Label7(1)"), QString(), 1320, 1200, 615);
  MakeValue(start_, true);
  MakeLabel(this, QStringLiteral("Label6"), QStringLiteral("End Time"), 0, 1560, 1215);
  end_ = MakeLabel(this, QStringLiteral("Label7(2)"), QString(), 1320, 1560, 615);
  MakeValue(end_, true);

  lead_->setAccessibleName(QStringLiteral("Minutes before the meeting"));
  subject_->setAccessibleName(QStringLiteral("Subject:"));
  start_->setAccessibleName(QStringLiteral("Start Time"));
  end_->setAccessibleName(QStringLiteral("End Time"));

  ok_ = new QPushButton(QStringLiteral("OK"), this);
  ok_->setObjectName(QStringLiteral("Command1"));
  ok_->setGeometry(TwipsRect(3360, 1440, 1215, 375));
  ok_->setAccessibleName(QStringLiteral("OK"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QWidget::hide);
}

void ReminderWindow::ShowReminder(const ReminderRow& row) {
  subject_->setText(row.subject);
  start_->setText(row.start);
  end_->setText(row.end);
  lead_->setText(row.lead);
  OpenToolWindow(*this);
  ok_->setFocus();
}

}  // namespace quorvel
