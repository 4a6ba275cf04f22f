// The help topics tree and the page viewer.
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTreeWidget>

#include "help/help_page_window.h"
#include "help/help_topics_window.h"
#include "test_support.h"
#include "ui/ui.h"

// Readable failure messages for texts.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace quorvel::testing {
namespace {

const int kReadingOrder[] = {1, 11, 12, 13, 14, 15, 21, 22, 23, 24, 31, 32, 33, 34};

QString PageTitle(int n) {
  switch (n) {
    case 1:
      return QStringLiteral("Quorvel - Getting Started");
    case 11:
      return QStringLiteral("Calendar – How to Add an Appointment");
    case 12:
      return QStringLiteral("Calendar – How to View an Appointment");
    case 13:
      return QStringLiteral("Calendar – How to Edit an Appointment");
    case 14:
      return QStringLiteral("Calendar – How to Delete an Appointment");
    case 15:
      return QStringLiteral("Calendar – How to View the Schedule for a specific day");
    case 21:
      return QStringLiteral("Notes – How to Add a Note");
    case 22:
      return QStringLiteral("Notes – How to View a Note");
    case 23:
      return QStringLiteral("Notes – How to Edit a Note");
    case 24:
      return QStringLiteral("Notes – How to Delete a Note");
    case 31:
      return QStringLiteral("Address Book – How to Add an Entry");
    case 32:
      return QStringLiteral("Address Book – How to View an Entry");
    case 33:
      return QStringLiteral("Address Book – How to Edit an Entry");
    case 34:
      return QStringLiteral("Address Book – How to Delete an Entry");
    default:
      return QString();
  }
}

QWidget* TopLevel(const QString& name) {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (widget->objectName() == name) return widget;
  }
  return nullptr;
}

void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class HelpTest : public AppFixture {
 protected:
  void TearDown() override {
    FlushDeletes();
    AppFixture::TearDown();
  }

  HelpTopicsWindow& OpenTopics() {
    HelpTopicsWindow& topics = app_->HelpTopics();
    OpenToolWindow(topics);
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&topics));
    return topics;
  }
  QTreeWidget* Tree(HelpTopicsWindow& topics) {
    auto* tree = topics.findChild<QTreeWidget*>(QLatin1String(help_topics_names::kTree));
    EXPECT_NE(tree, nullptr);
    return tree;
  }
  // Clicks the node with `key`, or its expand button, as a user does.
  void ClickNode(HelpTopicsWindow& topics, const QString& key, bool on_button = false) {
    QTreeWidget* tree = Tree(topics);
    QTreeWidgetItem* node = topics.Node(key);
    ASSERT_NE(node, nullptr) << key.toStdString();
    const QRect row = tree->visualItemRect(node);
    ASSERT_FALSE(row.isEmpty()) << key.toStdString() << " is not showing";
    if (on_button) {
      // The expand button left of the node's picture.
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                        QPoint(row.left() - tree->indentation() / 2, row.center().y()));
    } else {
      QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, row.center());
    }
  }
  // Opens the viewer on page `n` through the tree.
  HelpPageWindow& OpenPage(const QString& chapter, const QString& key) {
    HelpTopicsWindow& topics = OpenTopics();
    topics.Node(QStringLiteral("Org"))->setExpanded(true);
    if (!chapter.isEmpty()) topics.Node(chapter)->setExpanded(true);
    ClickNode(topics, key);
    return app_->HelpPage();
  }
  QPushButton* Button(HelpPageWindow& viewer, const char* name) {
    return viewer.findChild<QPushButton*>(QString::fromLatin1(name));
  }
  // The one visible page, after checking that exactly one is visible, at
  // the standard place and size.
  QTextBrowser* VisiblePage(HelpPageWindow& viewer) {
    QTextBrowser* visible = nullptr;
    int count = 0;
    for (QTextBrowser* page : viewer.findChildren<QTextBrowser*>()) {
      if (page->isVisibleTo(&viewer)) {
        visible = page;
        ++count;
      }
    }
    EXPECT_EQ(count, 1);
    if (visible != nullptr) {
      EXPECT_EQ(visible->geometry(), TwipsRect(120, 600, 5775, 4335));
    }
    return visible;
  }
  QString Title(QTextBrowser* page) {
    return page == nullptr ? QString() : page->document()->firstBlock().text().trimmed();
  }
  QString PageNumber(HelpPageWindow& viewer) {
    return viewer.findChild<QLineEdit*>(QLatin1String(help_page_names::kPageNumber))->text();
  }
};

TEST_F(HelpTest, TreeHoldsTheEighteenTopicsAndStartsCollapsed) {
  HelpTopicsWindow& topics = OpenTopics();
  EXPECT_EQ(topics.windowTitle(), QStringLiteral("Help Topics"));
  QTreeWidget* tree = Tree(topics);

  struct Node {
    const char* key;
    const char* text;
    const char* parent;
    int picture;
  };
  const Node expected[] = {
      {"Org", "Quorvel", "", 1},
      {"0-1", "Getting Started", "Org", 3},
      {"C", "Calendar", "Org", 1},
      {"1-1", "How to add an appointment", "C", 3},
      {"1-2", "How to view an appointment", "C", 3},
      {"1-3", "How to edit an appointment", "C", 3},
      {"1-4", "How to delete an appointment", "C", 3},
      {"1-5", "How to view the schedule for a specific day", "C", 3},
      {"N", "Notes", "Org", 1},
      {"2-1", "How to add a note", "N", 3},
      {"2-2", "How to view a note", "N", 3},
      {"2-3", "How to edit a note", "N", 3},
      {"2-4", "How to delete a note", "N", 3},
      {"A", "Address Book", "Org", 1},
      {"3-1", "How to add an entry", "A", 3},
      {"3-2", "How to view an entry", "A", 3},
      {"3-3", "How to edit an entry", "A", 3},
      {"3-4", "How to delete an entry", "A", 3},
  };
  int count = 0;
  for (QTreeWidgetItemIterator it(tree); *it != nullptr; ++it) ++count;
  EXPECT_EQ(count, 18);
  // In the order added: each node is the last child of its parent so far.
  QTreeWidgetItemIterator it(tree);
  for (const Node& node : expected) {
    ASSERT_NE(*it, nullptr);
    QTreeWidgetItem* item = *it++;
    SCOPED_TRACE(node.key);
    EXPECT_EQ(item->data(0, HelpTopicsWindow::kKeyRole).toString(), QLatin1String(node.key));
    EXPECT_EQ(item->text(0), QLatin1String(node.text));
    const QString parent = item->parent() == nullptr
                               ? QString()
                               : item->parent()->data(0, HelpTopicsWindow::kKeyRole).toString();
    EXPECT_EQ(parent, QLatin1String(node.parent));
    EXPECT_EQ(item->data(0, HelpTopicsWindow::kPictureRole).toInt(), node.picture);
    EXPECT_EQ(item->icon(0).cacheKey(), topics.Picture(node.picture).cacheKey());
    EXPECT_FALSE(item->isExpanded());
  }
  EXPECT_FALSE(topics.Picture(1).isNull());
  EXPECT_FALSE(topics.Picture(2).isNull());
  EXPECT_FALSE(topics.Picture(3).isNull());

  // Only the root shows.
  ASSERT_EQ(tree->topLevelItemCount(), 1);
  EXPECT_FALSE(tree->visualItemRect(topics.Node(QStringLiteral("Org"))).isEmpty());
  EXPECT_TRUE(tree->visualItemRect(topics.Node(QStringLiteral("C"))).isEmpty());
  EXPECT_TRUE(tree->visualItemRect(topics.Node(QStringLiteral("0-1"))).isEmpty());
}

TEST_F(HelpTest, ExpandingAChapterSwitchesItsPictureAndShowsItsTopics) {
  HelpTopicsWindow& topics = OpenTopics();
  QTreeWidget* tree = Tree(topics);
  ClickNode(topics, QStringLiteral("Org"), /*on_button=*/true);
  QTreeWidgetItem* root = topics.Node(QStringLiteral("Org"));
  EXPECT_TRUE(root->isExpanded());
  EXPECT_EQ(root->data(0, HelpTopicsWindow::kPictureRole).toInt(), HelpTopicsWindow::kOpenChapter);

  QTreeWidgetItem* calendar = topics.Node(QStringLiteral("C"));
  EXPECT_EQ(calendar->data(0, HelpTopicsWindow::kPictureRole).toInt(),
            HelpTopicsWindow::kClosedChapter);
  ClickNode(topics, QStringLiteral("C"), /*on_button=*/true);
  EXPECT_TRUE(calendar->isExpanded());
  EXPECT_EQ(calendar->data(0, HelpTopicsWindow::kPictureRole).toInt(),
            HelpTopicsWindow::kOpenChapter);
  EXPECT_EQ(calendar->icon(0).cacheKey(),
            topics.Picture(HelpTopicsWindow::kOpenChapter).cacheKey());
  ASSERT_EQ(calendar->childCount(), 5);
  for (int i = 0; i < 5; ++i) {
    QTreeWidgetItem* topic = calendar->child(i);
    EXPECT_FALSE(tree->visualItemRect(topic).isEmpty()) << i;
    EXPECT_EQ(topic->data(0, HelpTopicsWindow::kPictureRole).toInt(), HelpTopicsWindow::kPage);
  }
  // The other chapters stay closed.
  EXPECT_TRUE(tree->visualItemRect(topics.Node(QStringLiteral("2-1"))).isEmpty());

  ClickNode(topics, QStringLiteral("C"), /*on_button=*/true);
  EXPECT_FALSE(calendar->isExpanded());
  EXPECT_EQ(calendar->data(0, HelpTopicsWindow::kPictureRole).toInt(),
            HelpTopicsWindow::kClosedChapter);
  EXPECT_EQ(calendar->icon(0).cacheKey(),
            topics.Picture(HelpTopicsWindow::kClosedChapter).cacheKey());
  EXPECT_TRUE(tree->visualItemRect(calendar->child(0)).isEmpty());

  // Clicking the root or a chapter opens nothing.
  ClickNode(topics, QStringLiteral("Org"));
  ClickNode(topics, QStringLiteral("C"));
  ClickNode(topics, QStringLiteral("N"));
  EXPECT_TRUE(topics.isVisible());
  EXPECT_EQ(TopLevel(QLatin1String(help_page_names::kWindow)), nullptr);
}

TEST_F(HelpTest, TopicKeysGiveTheirPageNumbers) {
  EXPECT_EQ(HelpTopicsWindow::TopicPage(QStringLiteral("0-1")), 1);
  EXPECT_EQ(HelpTopicsWindow::TopicPage(QStringLiteral("1-5")), 15);
  EXPECT_EQ(HelpTopicsWindow::TopicPage(QStringLiteral("3-4")), 34);
  EXPECT_EQ(HelpTopicsWindow::TopicPage(QStringLiteral("Org")), 0);
  EXPECT_EQ(HelpTopicsWindow::TopicPage(QStringLiteral("C")), 0);
}

TEST_F(HelpTest, ClickingATopicOpensItsPageAndHidesTheTree) {
  HelpPageWindow& viewer = OpenPage(QStringLiteral("C"), QStringLiteral("1-5"));
  EXPECT_FALSE(app_->HelpTopics().isVisible());
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_EQ(viewer.windowTitle(), QStringLiteral("Quorvel"));
  EXPECT_EQ(PageNumber(viewer), QStringLiteral("15"));
  EXPECT_EQ(VisiblePage(viewer), viewer.HelpFile(15));
  EXPECT_EQ(Title(VisiblePage(viewer)), PageTitle(15));

  // "Index" goes back to the tree as it was left; another topic reuses the
  // same viewer.
  QPointer<HelpPageWindow> first = &viewer;
  QTest::mouseClick(Button(viewer, help_page_names::kIndex), Qt::LeftButton);
  EXPECT_FALSE(viewer.isVisible());
  HelpTopicsWindow& topics = app_->HelpTopics();
  EXPECT_TRUE(topics.isVisible());
  EXPECT_TRUE(topics.Node(QStringLiteral("C"))->isExpanded());
  topics.Node(QStringLiteral("A"))->setExpanded(true);
  ClickNode(topics, QStringLiteral("3-2"));
  EXPECT_EQ(&app_->HelpPage(), first.data());
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(PageNumber(*first), QStringLiteral("32"));
  EXPECT_EQ(VisiblePage(*first), first->HelpFile(32));
}

TEST_F(HelpTest, TheKeyboardAloneOpensAChapterAndATopic) {
  HelpTopicsWindow& topics = app_->HelpTopics();
  topics.show();
  auto* tree = topics.findChild<QTreeWidget*>(QLatin1String(help_topics_names::kTree));
  ASSERT_NE(tree, nullptr);
  tree->setFocus();
  tree->setCurrentItem(topics.Node(QStringLiteral("Org")));
  QTest::keyClick(tree, Qt::Key_Right);  // opens "Quorvel"
  QTest::keyClick(tree, Qt::Key_Down);
  QTest::keyClick(tree, Qt::Key_Down);  // "Calendar"
  EXPECT_EQ(tree->currentItem(), topics.Node(QStringLiteral("C")));
  QTest::keyClick(tree, Qt::Key_Right);
  EXPECT_TRUE(topics.Node(QStringLiteral("C"))->isExpanded());
  QTest::keyClick(tree, Qt::Key_Down);
  QTest::keyClick(tree, Qt::Key_Down);  // "How to view an appointment"
  QTest::keyClick(tree, Qt::Key_Return);
  HelpPageWindow& viewer = app_->HelpPage();
  EXPECT_TRUE(viewer.isVisible());
  EXPECT_EQ(PageNumber(viewer), QStringLiteral("12"));
}

TEST_F(HelpTest, GettingStartedOpensOnPageOneWithOnlyForwardPaging) {
  HelpPageWindow& viewer = OpenPage(QString(), QStringLiteral("0-1"));
  EXPECT_EQ(PageNumber(viewer), QStringLiteral("1"));
  EXPECT_EQ(Title(VisiblePage(viewer)), PageTitle(1));
  EXPECT_FALSE(Button(viewer, help_page_names::kPrevious)->isEnabled());
  EXPECT_TRUE(Button(viewer, help_page_names::kNext)->isEnabled());
  // Each button is named by its caption, as a screen reader reads it.
  for (const char* name :
       {help_page_names::kIndex, help_page_names::kPrevious, help_page_names::kNext}) {
    EXPECT_EQ(Button(viewer, name)->accessibleName(), Button(viewer, name)->text()) << name;
  }
  const QString text = viewer.HelpFile(1)->toPlainText();
  EXPECT_TRUE(text.contains(QStringLiteral("support@quorvel.org")));
  EXPECT_TRUE(text.contains(QStringLiteral("https://www.quorvel.org")));
}

TEST_F(HelpTest, PagingVisitsTheFourteenPagesInReadingOrderBothWays) {
  HelpPageWindow& viewer = OpenPage(QString(), QStringLiteral("0-1"));
  QPushButton* previous = Button(viewer, help_page_names::kPrevious);
  QPushButton* next = Button(viewer, help_page_names::kNext);

  for (int i = 1; i < 14; ++i) {
    ASSERT_TRUE(next->isEnabled()) << kReadingOrder[i - 1];
    QTest::mouseClick(next, Qt::LeftButton);
    const int n = kReadingOrder[i];
    SCOPED_TRACE(n);
    EXPECT_EQ(PageNumber(viewer), QString::number(n));
    QTextBrowser* page = VisiblePage(viewer);
    EXPECT_EQ(page, viewer.HelpFile(n));
    EXPECT_EQ(Title(page), PageTitle(n));
    EXPECT_TRUE(previous->isEnabled());
  }
  EXPECT_FALSE(next->isEnabled());

  for (int i = 12; i >= 0; --i) {
    ASSERT_TRUE(previous->isEnabled()) << kReadingOrder[i + 1];
    QTest::mouseClick(previous, Qt::LeftButton);
    const int n = kReadingOrder[i];
    SCOPED_TRACE(n);
    EXPECT_EQ(PageNumber(viewer), QString::number(n));
    EXPECT_EQ(Title(VisiblePage(viewer)), PageTitle(n));
    EXPECT_TRUE(next->isEnabled());
  }
  EXPECT_FALSE(previous->isEnabled());
}

TEST_F(HelpTest, PagingRulesSkipTheEmptySlots) {
  EXPECT_EQ(HelpPageWindow::NextPage(1), 11);
  EXPECT_EQ(HelpPageWindow::NextPage(15), 21);
  EXPECT_EQ(HelpPageWindow::NextPage(24), 31);
  EXPECT_EQ(HelpPageWindow::NextPage(34), 1);
  EXPECT_EQ(HelpPageWindow::PreviousPage(1), 34);
  EXPECT_EQ(HelpPageWindow::PreviousPage(11), 1);
  EXPECT_EQ(HelpPageWindow::PreviousPage(21), 15);
  EXPECT_EQ(HelpPageWindow::PreviousPage(31), 24);
  EXPECT_EQ(HelpPageWindow::PreviousPage(34), 33);
}

TEST_F(HelpTest, PagesHaveTheirTitleStyleAPictureAndPlaceholdersOnlyTheirKey) {
  HelpPageWindow& viewer = app_->HelpPage();
  int slot_count = 0;
  for (int chapter = 0; chapter <= 3; ++chapter) {
    for (int topic = 1; topic <= 6; ++topic) {
      const int n = 10 * chapter + topic;
      QTextBrowser* page = viewer.HelpFile(n);
      ASSERT_NE(page, nullptr) << n;
      EXPECT_EQ(viewer.findChild<QTextBrowser*>(help_page_names::PageBox(n)), page);
      EXPECT_TRUE(page->isReadOnly());
      ++slot_count;
      SCOPED_TRACE(n);
      if (!HelpPageWindow::IsRealPage(n)) {
        EXPECT_EQ(page->toPlainText(), QStringLiteral("%1-%2").arg(chapter).arg(topic));
        continue;
      }
      QTextDocument* document = page->document();
      const QTextBlock title = document->firstBlock();
      EXPECT_EQ(title.text().trimmed(), PageTitle(n));
      const QTextCharFormat format = title.begin().fragment().charFormat();
      EXPECT_TRUE(format.font().bold());
      EXPECT_EQ(format.font().pointSizeF(), 14.0);
      EXPECT_EQ(format.foreground().color(), QColor(0, 0, 255));
      EXPECT_TRUE(format.fontFamilies().toStringList().contains(QStringLiteral("Arial")));

      // Every picture on the page is there and draws.
      int pictures = 0;
      for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
          const QTextCharFormat fragment = it.fragment().charFormat();
          if (!fragment.isImageFormat()) continue;
          ++pictures;
          const QString name = fragment.toImageFormat().name();
          const QVariant image = document->resource(QTextDocument::ImageResource, QUrl(name));
          EXPECT_FALSE(image.value<QImage>().isNull()) << name.toStdString();
        }
      }
      EXPECT_GE(pictures, 1);
    }
  }
  EXPECT_EQ(slot_count, 24);
  EXPECT_EQ(viewer.findChildren<QTextBrowser*>().size(), 24);
}

TEST_F(HelpTest, ShowHelpPageIgnoresNumbersWithoutAPageAndFitsTheWindow) {
  HelpPageWindow& viewer = app_->HelpPage();
  viewer.ShowHelpPage(12);
  viewer.ShowHelpPage(16);
  viewer.ShowHelpPage(0);
  viewer.ShowHelpPage(99);
  EXPECT_EQ(PageNumber(viewer), QStringLiteral("12"));
  EXPECT_EQ(VisiblePage(viewer), viewer.HelpFile(12));

  // A larger window gives the page the extra room; paging keeps it.
  viewer.resize(viewer.width() + 200, viewer.height() + 100);
  QTest::mouseClick(Button(viewer, help_page_names::kNext), Qt::LeftButton);
  const QRect standard = TwipsRect(120, 600, 5775, 4335);
  EXPECT_EQ(viewer.HelpFile(13)->geometry(), standard.adjusted(0, 0, 200, 100));
}

TEST_F(HelpTest, ClosingTheWindowsDestroysThem) {
  HelpTopicsWindow& topics = OpenTopics();
  topics.Node(QStringLiteral("Org"))->setExpanded(true);
  topics.close();
  FlushDeletes();
  EXPECT_FALSE(app_->HasHelpTopics());
  // The next opening starts collapsed again.
  HelpTopicsWindow& again = OpenTopics();
  EXPECT_FALSE(again.Node(QStringLiteral("Org"))->isExpanded());
  EXPECT_EQ(again.Node(QStringLiteral("Org"))->data(0, HelpTopicsWindow::kPictureRole).toInt(),
            HelpTopicsWindow::kClosedChapter);

  again.Node(QStringLiteral("Org"))->setExpanded(true);
  QPointer<HelpPageWindow> viewer = &app_->HelpPage();
  ClickNode(again, QStringLiteral("0-1"));
  ASSERT_TRUE(viewer);
  viewer->close();
  FlushDeletes();
  EXPECT_TRUE(viewer.isNull());
  // A later topic click builds the viewer again.
  OpenToolWindow(app_->HelpTopics());
  ClickNode(app_->HelpTopics(), QStringLiteral("0-1"));
  EXPECT_TRUE(app_->HelpPage().isVisible());
  EXPECT_EQ(PageNumber(app_->HelpPage()), QStringLiteral("1"));
}

}  // namespace
}  // namespace quorvel::testing
