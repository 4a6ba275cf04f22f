// The program in another language: the German texts load for a German
// locale, every caption of every window is German, and none is cut off by
// the control that shows it. The same fit check runs in English, so that a
// check too strict for the designed captions shows up there first.
#include <functional>
#include <map>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTranslator>

#include "app/splash_window.h"
#include "every_window.h"
#include "test_support.h"
#include "ui/translation.h"

namespace quorvel::testing {
namespace {

// A caption as drawn: a single '&' marks the shortcut letter and takes no room.
QString Drawn(QString text) {
  text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
  text.remove(QLatin1Char('&'));
  text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return text;
}

QString Describe(const QWidget& widget, const QString& text, int need, int have) {
  return QStringLiteral("%1 %2 \"%3\": needs %4 px, has %5")
      .arg(QString::fromLatin1(widget.metaObject()->className()), widget.objectName(), text)
      .arg(need)
      .arg(have);
}

// Every caption of `window` (labels, buttons, check boxes, frames, column
// headers) that its control cuts off, described for the failure message.
QStringList Clipped(QWidget& window) {
  QStringList clipped;
  const QList<QWidget*> widgets = window.findChildren<QWidget*>();
  for (QWidget* widget : widgets) {
    if (!widget->isVisibleTo(&window) || widget->width() <= 0) continue;
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (label->wordWrap() || label->text().isEmpty() || label->textFormat() == Qt::RichText ||
          Qt::mightBeRichText(label->text())) {
        continue;
      }
      const QString text = label->buddy() != nullptr ? Drawn(label->text()) : label->text();
      const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                        -label->margin(), -label->margin());
      const QRect need =
          metrics.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft | Qt::AlignTop, text);
      if (need.width() > room.width())
        clipped << Describe(*label, text, need.width(), room.width());
      // Lines below the box are lost; a line a pixel or two taller than the
      // box only loses the space under the letters.
      const int lines = int(text.count(QLatin1Char('\n'))) + 1;
      const int lines_need =
          (lines - 1) * metrics.lineSpacing() + metrics.ascent() + metrics.descent() / 2;
      if (lines_need > room.height()) clipped << Describe(*label, text, lines_need, room.height());
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
      if (box->text().isEmpty()) continue;
      const QString text = Drawn(box->text());
      QStyleOptionButton option;
      option.initFrom(box);
      const int indicator =
          box->style()->pixelMetric(QStyle::PM_IndicatorWidth, &option, box) +
          box->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, box);
      const int need = indicator + metrics.horizontalAdvance(text);
      if (need > box->width()) clipped << Describe(*box, text, need, box->width());
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
      if (button->text().isEmpty()) continue;
      const QString text = Drawn(button->text());
      // The frame of a push button takes two pixels on each side.
      const int need = metrics.horizontalAdvance(text) + 4;
      if (need > button->width()) clipped << Describe(*button, text, need, button->width());
    } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
      if (frame->title().isEmpty()) continue;
      const QString text = Drawn(frame->title());
      const int need = QFontMetrics(frame->font()).horizontalAdvance(text) + 8;
      if (need > frame->width()) clipped << Describe(*frame, text, need, frame->width());
    } else if (auto* header = qobject_cast<QHeaderView*>(widget)) {
      if (header->orientation() != Qt::Horizontal || header->model() == nullptr) continue;
      for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section) || header->sectionSize(section) <= 0) continue;
        const QString text = header->model()->headerData(section, Qt::Horizontal).toString();
        if (text.isEmpty()) continue;
        const int need = QFontMetrics(header->font()).horizontalAdvance(text) + 4;
        if (need > header->sectionSize(section)) {
          clipped << Describe(*header, text, need, header->sectionSize(section));
        }
      }
    }
  }
  return clipped;
}

// Every window of the program, opened with some content, in the language
// installed at the time: `check` sees each one as it is shown.
class Windows : public SeamsFixture {
 protected:
  void Visit(const std::function<void(QWidget&, const char*)>& check) {
    now_ = QDateTime(QDate(2026, 1, 7), QTime(9, 45));
    auto app = std::make_unique<Application>();
    app->SetProcessEnd([] {});
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    app->OpenDataIn(folder.path());
    StoreSampleData(app->files());
    VisitEveryWindow(*app, check);
  }
};

TEST_F(Windows, EveryEnglishCaptionFitsItsControl) {
  Visit([](QWidget& window, const char* name) {
    EXPECT_EQ(Clipped(window).join(QLatin1Char('\n')).toStdString(), "") << name;
  });
}

TEST_F(Windows, EveryGermanCaptionFitsItsControl) {
  GermanTexts german;
  ASSERT_TRUE(german.loaded());
  Visit([](QWidget& window, const char* name) {
    EXPECT_EQ(Clipped(window).join(QLatin1Char('\n')).toStdString(), "") << name;
  });
}

// Captions left in English in the German program: each window's visible
// texts compared with the same window in English.
TEST_F(Windows, GermanWindowsShowNoEnglishCaption) {
  // Texts that are the same in both languages.
  const QStringList same = {QStringLiteral("OK"),
                            QStringLiteral("Quorvel"),
                            QStringLiteral("Fax"),
                            QStringLiteral("Name"),
                            QStringLiteral("Details"),
                            QStringLiteral("Nr."),
                            QStringLiteral("Version 1.0"),
                            QStringLiteral("Server"),
                            QLatin1String(SplashWindow::kSupportEmail),
                            QLatin1String(SplashWindow::kWebAddress)};
  auto captions = [](QWidget& window) {
    QStringList texts{window.windowTitle()};
    for (QWidget* widget : window.findChildren<QWidget*>()) {
      if (!widget->isVisibleTo(&window)) continue;
      if (widget->objectName().startsWith(QLatin1String(help_page_names::kPageBoxPrefix))) continue;
      // The help pages' own text (rich text) is English in every language.
      if (auto* label = qobject_cast<QLabel*>(widget);
          label && !Qt::mightBeRichText(label->text())) {
        texts << label->text();
      }
      if (auto* button = qobject_cast<QAbstractButton*>(widget)) texts << button->text();
      if (auto* frame = qobject_cast<QGroupBox*>(widget)) texts << frame->title();
      texts << widget->accessibleName() << widget->toolTip();
    }
    texts.removeAll(QString());
    return texts;
  };
  std::map<std::string, QStringList> english;
  Visit([&](QWidget& window, const char* name) { english[name] = captions(window); });
  GermanTexts german;
  ASSERT_TRUE(german.loaded());
  Visit([&](QWidget& window, const char* name) {
    QStringList left;
    for (const QString& text : captions(window)) {
      if (english[name].contains(text) && !same.contains(Drawn(text)) &&
          text.contains(QRegularExpression(QStringLiteral("[a-z]{3}")))) {
        left << text;
      }
    }
    // Data typed by the user stays as typed.
    for (const char* data :
         {"Dentist", "Team lunch", "Adams, Ann", "Ann", "Adams", "Bring the card"}) {
      left.removeAll(QLatin1String(data));
    }
    EXPECT_EQ(left.join(QLatin1Char('\n')).toStdString(), "") << name;
  });
}

TEST(Translation, LoadsTheTranslationOfTheUsersLocale) {
  const QLocale original;
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  LoadTranslation();
  EXPECT_EQ(QCoreApplication::translate("quorvel::MainWindow", "Address Book"),
            QStringLiteral("Adressbuch"));
  EXPECT_EQ(QCoreApplication::translate("Messages", "Entry Already Exists!"),
            QStringLiteral("Der Eintrag ist schon vorhanden!"));
  // Removing what was installed leaves English as before.
  for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
    delete translator;
  }
  QLocale::setDefault(original);
  EXPECT_EQ(QCoreApplication::translate("quorvel::MainWindow", "Address Book"),
            QStringLiteral("Address Book"));
}

TEST(Translation, AnUnknownLanguageKeepsTheEnglishTexts) {
  const QLocale original;
  QLocale::setDefault(QLocale(QLocale::Finnish, QLocale::Finland));
  LoadTranslation();
  QLocale::setDefault(original);
  EXPECT_TRUE(QCoreApplication::instance()->findChildren<QTranslator*>().isEmpty());
  EXPECT_EQ(QCoreApplication::translate("quorvel::MainWindow", "Address Book"),
            QStringLiteral("Address Book"));
}

}  // namespace
}  // namespace quorvel::testing
