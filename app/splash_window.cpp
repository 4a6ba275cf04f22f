#include "app/splash_window.h"

#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

#include "app/application.h"
#include "ui/artwork.h"
#include "ui/picture.h"
#include "ui/ui.h"

namespace quorvel {
namespace {

namespace names = splash_names;

QLabel* AddLabel(QWidget* parent, const char* name, const QString& text, QRect twips,
                 const QFont& font) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QLatin1String(name));
  label->setGeometry(twips);
  label->setFont(font);
  return label;
}

}  // namespace

SplashWindow::SplashWindow(Application& app)
    : QWidget(nullptr, Qt::Dialog | Qt::FramelessWindowHint), app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  // No title bar is drawn; the title only names the window to the desktop.
  setWindowTitle(QStringLiteral("Quorvel"));
  setAccessibleName(tr("About Quorvel"));
  setWindowIcon(ProgramIcon());
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(Px(5805), Px(3240));
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, QColor(192, 255, 255));
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);

  auto* frame = new QFrame(this);
  frame->setObjectName(QLatin1String(names::kFrame));
  frame->setFrameShape(QFrame::Box);
  frame->setFrameShadow(QFrame::Sunken);
  frame->setGeometry(TwipsRect(120, 60, 5565, 3060));

  auto* logo = new Picture(QStringLiteral(":/resources/logo.svg"), frame);
  logo->setObjectName(QLatin1String(names::kLogo));
  logo->setAccessibleName(tr("Quorvel logo"));
  logo->setGeometry(TwipsRect(240, 420, 1440, 1440));

  // Positions below are relative to the frame.
  AddLabel(frame, names::kProductName, QStringLiteral("Quorvel"), TwipsRect(1980, 360, 3360, 600),
           ArialFont(20.25, true));
  AddLabel(frame, names::kVersion, tr("Version 1.0"), TwipsRect(1980, 960, 3360, 300),
           ArialFont(10, true));
  AddLabel(frame, names::kContact, tr("Contact us:"), TwipsRect(1980, 1500, 3360, 255),
           ArialFont(8.25, true));
  QLabel* email = AddLabel(frame, names::kEmail, QLatin1String(kSupportEmail),
                           TwipsRect(1980, 1755, 3360, 255), ArialFont(8.25));
  QLabel* web = AddLabel(frame, names::kWebsite, QLatin1String(kWebAddress),
                         TwipsRect(1980, 2010, 3360, 255), ArialFont(8.25));
  for (QLabel* contact : {email, web}) {
    contact->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }

  // Where the data files are, so a user can find them and back them up.
  folder_caption_ = AddLabel(frame, names::kDataFolderCaption, tr("Data folder:"),
                             TwipsRect(240, 2280, 3840, 255), ArialFont(8.25, true));
  folder_ = AddLabel(frame, names::kDataFolder, QString(), TwipsRect(240, 2535, 3840, 255),
                     ArialFont(8.25));
  folder_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  folder_caption_->setBuddy(folder_);
  folder_caption_->hide();
  folder_->hide();

  close_ = new QPushButton(tr("Close"), frame);
  close_->setObjectName(QLatin1String(names::kClose));
  close_->setAccessibleName(tr("Close"));
  close_->setGeometry(TwipsRect(4200, 2520, 1215, 375));
  connect(close_, &QPushButton::clicked, this, [this] {
    // Unloads the window; the next About makes a new one.
    close();
  });
}

void SplashWindow::SetCloseVisible(bool visible) {
  close_->setVisible(visible);
  const QString folder = QDir::toNativeSeparators(app_.files().DataDir());
  folder_->setText(folder_->fontMetrics().elidedText(folder, Qt::ElideMiddle, folder_->width()));
  folder_->setToolTip(folder);
  folder_->setAccessibleName(tr("Data folder"));
  folder_->setAccessibleDescription(folder);
  folder_caption_->setVisible(visible && !folder.isEmpty());
  folder_->setVisible(visible && !folder.isEmpty());
  if (visible) close_->setFocus();
}

void SplashWindow::paintEvent(QPaintEvent* /*event*/) {
  // The window has no title bar; a raised edge keeps it apart from what lies
  // behind it.
  // Filled one-pixel strips stay on the outermost pixels at any screen scale.
  QPainter painter(this);
  const int w = width();
  const int h = height();
  const QColor light(255, 255, 255);
  const QColor dark(64, 64, 64);
  painter.fillRect(0, 0, w, 1, light);
  painter.fillRect(0, 0, 1, h, light);
  painter.fillRect(0, h - 1, w, 1, dark);
  painter.fillRect(w - 1, 0, 1, h, dark);
}

void SplashWindow::closeEvent(QCloseEvent* event) {
  if (close_->isHidden()) {
    event->ignore();
    return;
  }
  event->accept();
}

void SplashWindow::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && !close_->isHidden()) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

}  // namespace quorvel
