#include "calendar/reminder_window.h"

#include <QLabel>
#include <QPalette>
#include <QPushButton>

#include "calendar/reminders.h"
#include "ui/accessibility.h"
#include "ui/contrast.h"
#include "ui/organiser.h"
#include "ui/ui.h"

namespace quorvel {

namespace {

namespace names = reminder_names;

constexpr int kLabelHeight = 255;  // twips
const QColor kValueColour(0, 0, 192);

QLabel* Arrange(QLabel* label, const QString& name, int left, int top, int width) {
  label->setObjectName(name);
  label->setGeometry(TwipsRect(left, top, width, kLabelHeight));
  label->setFont(ArialFont(8, true));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setTextFormat(Qt::PlainText);
  return label;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top,
                  int width) {
  return Arrange(new QLabel(text, parent), name, left, top, width);
}

// A value label named by its caption: dark blue text, on white when
// `boxed`; unboxed, the blue is lightened where the window is dark.
QLabel* MakeValue(QWidget* parent, const QString& name, const QString& caption, int left, int top,
                  int width, bool boxed) {
  QLabel* label = Arrange(new ValueLabel(caption, parent), name, left, top, width);
  QPalette palette = label->palette();
  if (boxed) {
    palette.setColor(QPalette::Window, Qt::white);
    label->setAutoFillBackground(true);
  }
  palette.setColor(QPalette::WindowText, ReadableOn(kValueColour, palette.color(QPalette::Window)));
  label->setPalette(palette);
  return label;
}

}  // namespace

ReminderWindow::ReminderWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Reminder"));
  setFont(ArialFont(8));
  setFixedSize(Px(4665), Px(1890));

  MakeLabel(this, QLatin1String(names::kIntro), tr("You have a meeting in"), 0, 120, 3015);
  lead_ = MakeValue(this, QLatin1String(names::kLead), tr("Minutes before the meeting"), 2040, 120,
                    735, false);
  MakeLabel(this, QLatin1String(names::kMinutesWord), tr("minutes."), 2520, 120, 1095);
  MakeLabel(this, QLatin1String(names::kSubjectCaption), tr("Subject:"), 0, 720, 1215);
  subject_ = MakeValue(this, QLatin1String(names::kSubject), tr("Subject"), 1320, 720, 3255, true);
  MakeLabel(this, QLatin1String(names::kStartCaption), tr("Start Time"), 0, 1200, 1215);
  start_ = MakeValue(this, QLatin1String(names::kStart), tr("Start Time"), 1320, 1200, 615, true);
  MakeLabel(this, QLatin1String(names::kEndCaption), tr("End Time"), 0, 1560, 1215);
  end_ = MakeValue(this, QLatin1String(names::kEnd), tr("End Time"), 1320, 1560, 615, true);

  ok_ = new QPushButton(tr("OK"), this);
  ok_->setObjectName(QLatin1String(names::kOk));
  ok_->setGeometry(TwipsRect(3360, 1440, 1215, 375));
  ok_->setAccessibleName(tr("OK"));
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QWidget::hide);
}

void ReminderWindow::ShowReminder(const ReminderRow& row) {
  subject_->setText(row.subject);
  start_->setText(row.start);
  end_->setText(row.end);
  lead_->setText(row.lead);
  setWindowTitle(row.missed ? tr("Missed Reminder") : tr("Reminder"));
  OpenToolWindow(*this);
  ok_->setFocus();
}

}  // namespace quorvel
