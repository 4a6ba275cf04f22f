#include "help/help_page_window.h"

#include "ui/contrast.h"

#include <cmath>

#include <QEvent>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextBrowser>
#include <QUrl>

#include "help/help_topics_window.h"
#include "ui/organiser.h"
#include "ui/ui.h"

namespace quorvel {
namespace {

namespace names = help_page_names;

// Client area and page place of the window as designed, in twips.
constexpr int kClientWidth = 7065;
constexpr int kClientHeight = 5070;
constexpr int kPageLeft = 120;
constexpr int kPageTop = 600;
constexpr int kPageWidth = 5775;
constexpr int kPageHeight = 4335;

constexpr int kRealPages[] = {1, 11, 12, 13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34};

// A read-only rich-text page whose pictures are drawn from the program's
// SVG resources at the screen's pixel density.
class PageBox : public QTextBrowser {
 public:
  explicit PageBox(QWidget* parent) : QTextBrowser(parent) {}

 protected:
  QVariant loadResource(int type, const QUrl& name) override {
    if (type == QTextDocument::ImageResource && name.path().endsWith(QLatin1String(".svg"))) {
      const QString path =
          name.scheme() == QLatin1String("qrc") ? QLatin1Char(':') + name.path() : name.toString();
      QSvgRenderer renderer(path);
      if (renderer.isValid()) {
        const qreal ratio = devicePixelRatioF();
        const QSize size = renderer.defaultSize();
        QImage image(
            QSize(int(std::ceil(size.width() * ratio)), int(std::ceil(size.height() * ratio))),
            QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        // Pictures of windows are scaled down to fit the page: smoothly.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        renderer.render(&painter);
        painter.end();
        image.setDevicePixelRatio(ratio);
        return image;
      }
    }
    return QTextBrowser::loadResource(type, name);
  }
};

// Page `n` in the language of the program's texts when it has been
// translated (help/pages/<language>/), else the English page.
QString PageResource(int n) {
  const QString name = QStringLiteral("page%1.html").arg(n, 2, 10, QLatin1Char('0'));
  const QString language =
      HelpPageWindow::tr("en", "Language code of the folder of the translated help pages");
  const QString translated = QStringLiteral(":/help/pages/%1/%2").arg(language, name);
  if (language != QLatin1String("en") && QFile::exists(translated)) return translated;
  return QStringLiteral(":/help/pages/") + name;
}

}  // namespace

HelpPageWindow::HelpPageWindow(Organiser& app)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(QStringLiteral("Quorvel"));
  // Closing with the close box ends the viewer; the next topic click builds
  // it again.
  setAttribute(Qt::WA_DeleteOnClose);
  resize(Px(kClientWidth), Px(kClientHeight));
  setMinimumSize(Px(kClientWidth), Px(kClientHeight));

  auto make_button = [this](const char* name, const QString& caption, int left) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(QString::fromLatin1(name));
    button->setAccessibleName(caption);
    button->setGeometry(TwipsRect(left, 120, 1095, 375));
    return button;
  };
  index_ = make_button(names::kIndex, tr("Index"), 120);
  previous_ = make_button(names::kPrevious, QStringLiteral("<<"), 1200);
  next_ = make_button(names::kNext, QStringLiteral(">>"), 2280);
  // The arrows keep their captions as names; the tool tips and the
  // descriptions say where they lead.
  previous_->setToolTip(tr("Previous page"));
  previous_->setAccessibleDescription(tr("Previous page"));
  next_->setToolTip(tr("Next page"));
  next_->setAccessibleDescription(tr("Next page"));

  page_number_ = new QLineEdit(QStringLiteral("11"), this);
  page_number_->setObjectName(QLatin1String(names::kPageNumber));
  page_number_->setGeometry(TwipsRect(120, 4440, 735, 375));
  page_number_->setVisible(false);

  for (int chapter = 0; chapter <= 3; ++chapter) {
    for (int topic = 1; topic <= 6; ++topic) {
      const int n = 10 * chapter + topic;
      auto* page = new PageBox(this);
      page->setObjectName(names::PageBox(n));
      page->setOpenLinks(false);
      page->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      page->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
      page->document()->setDefaultFont(ArialFont(10));
      page->document()->setIndentWidth(20);
      page->setGeometry(TwipsRect(kPageLeft, kPageTop, kPageWidth, kPageHeight));
      if (IsRealPage(n)) {
        QFile file(PageResource(n));
        // The page's coloured text (titles, the foot) stays readable on
        // the palette's page colour, light or dark.
        if (file.open(QIODevice::ReadOnly)) {
          page->setHtml(WithReadableColours(QString::fromUtf8(file.readAll()),
                                            page->palette().color(QPalette::Base)));
        }
        page->setAccessibleName(page->document()->firstBlock().text().trimmed());
      } else {
        // An empty slot holds only its own key in small type.
        page->setHtml(
            QStringLiteral("<p style=\"font-size:7pt\">%1-%2</p>").arg(chapter).arg(topic));
        page->setAccessibleName(QStringLiteral("%1-%2").arg(chapter).arg(topic));
      }
      page->setVisible(false);
      pages_[n] = page;
    }
  }

  connect(next_, &QPushButton::clicked, this, [this] {
    ShowHelpPage(NextPage(CurrentPage()));
    UpdateButtonState();
  });
  connect(previous_, &QPushButton::clicked, this, [this] {
    ShowHelpPage(PreviousPage(CurrentPage()));
    UpdateButtonState();
  });
  connect(index_, &QPushButton::clicked, this, [this] {
    hide();
    OpenToolWindow(app_.HelpTopics());
  });
}

bool HelpPageWindow::IsRealPage(int n) {
  for (int page : kRealPages) {
    if (page == n) return true;
  }
  return false;
}

int HelpPageWindow::NextPage(int n) {
  n += 1;
  if (n == 2) n = 11;
  if (n == 16) n = 21;
  if (n == 25) n = 31;
  if (n == 35) n = 1;
  return n;
}

int HelpPageWindow::PreviousPage(int n) {
  n -= 1;
  if (n == 0) n = 34;
  if (n == 10) n = 1;
  if (n == 20) n = 15;
  if (n == 30) n = 24;
  return n;
}

int HelpPageWindow::CurrentPage() const { return page_number_->text().toInt(); }

QTextBrowser* HelpPageWindow::HelpFile(int n) const {
  const auto it = pages_.find(n);
  return it == pages_.end() ? nullptr : it->second;
}

void HelpPageWindow::PlacePage(QTextBrowser* page) const {
  // At the designed size the page sits at its standard place; a larger
  // window gives the page the extra room.
  QRect place = TwipsRect(kPageLeft, kPageTop, kPageWidth, kPageHeight);
  place.setWidth(place.width() + std::max(0, width() - Px(kClientWidth)));
  place.setHeight(place.height() + std::max(0, height() - Px(kClientHeight)));
  page->setGeometry(place);
}

void HelpPageWindow::ShowHelpPage(int n) {
  QTextBrowser* shown = HelpFile(n);
  if (shown == nullptr || !IsRealPage(n)) return;
  PlacePage(shown);
  for (const auto& [number, page] : pages_) page->setVisible(false);
  page_number_->setText(QString::number(n));
  shown->verticalScrollBar()->setValue(0);
  shown->setVisible(true);
  // Keeps the buttons right also when the window is already active.
  UpdateButtonState();
}

void HelpPageWindow::UpdateButtonState() {
  previous_->setEnabled(page_number_->text() != QLatin1String("1"));
  next_->setEnabled(page_number_->text() != QLatin1String("34"));
}

void HelpPageWindow::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) UpdateButtonState();
  QWidget::changeEvent(event);
}

void HelpPageWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QTextBrowser* shown = HelpFile(CurrentPage());
  if (shown != nullptr && shown->isVisibleTo(this)) PlacePage(HelpFile(CurrentPage()));
}

}  // namespace quorvel
