#include "help/help_topics_window.h"

#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "help/help_page_window.h"
#include "ui/organiser.h"
#include "ui/ui.h"

namespace quorvel {

namespace names = help_topics_names;

HelpTopicsWindow::HelpTopicsWindow(Organiser& app)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Help Topics"));
  // Closing with the close box ends this window; the next opening builds the
  // tree afresh, all collapsed.
  setAttribute(Qt::WA_DeleteOnClose);
  setFixedSize(Px(7395), Px(6195));

  image_list_ = {QIcon(QStringLiteral(":/help/pictures/chapter_closed.svg")),
                 QIcon(QStringLiteral(":/help/pictures/chapter_open.svg")),
                 QIcon(QStringLiteral(":/help/pictures/topic_page.svg"))};

  tree_ = new QTreeWidget(this);
  tree_->setObjectName(QLatin1String(names::kTree));
  tree_->setAccessibleName(tr("Help Topics"));
  tree_->setGeometry(TwipsRect(120, 240, 7092, 5568));
  tree_->setHeaderHidden(true);
  tree_->setColumnCount(1);
  tree_->setRootIsDecorated(true);
  tree_->setIndentation(20);
  // Small enough pictures that the whole tree, all 18 rows, fits the box.
  tree_->setIconSize(QSize(16, 16));
  tree_->setUniformRowHeights(true);
  tree_->setFont(ArialFont(10));

  connect(tree_, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* node) {
    SetPicture(node, kOpenChapter);
    // Whatever the box's height, the opened chapter's topics come into view.
    if (node->childCount() > 0) tree_->scrollToItem(node->child(node->childCount() - 1));
    tree_->scrollToItem(node);
  });
  connect(tree_, &QTreeWidget::itemCollapsed, this,
          [this](QTreeWidgetItem* node) { SetPicture(node, kClosedChapter); });
  connect(tree_, &QTreeWidget::itemClicked, this,
          [this](QTreeWidgetItem* node) { NodeClick(node); });
  // Enter on a topic opens it as a click does, for those using the keyboard.
  connect(tree_, &QTreeWidget::itemActivated, this,
          [this](QTreeWidgetItem* node) { NodeClick(node); });

  FillHelpTopics();
}

QTreeWidgetItem* HelpTopicsWindow::Node(const QString& key) const {
  for (QTreeWidgetItemIterator it(tree_); *it != nullptr; ++it) {
    if ((*it)->data(0, kKeyRole).toString() == key) return *it;
  }
  return nullptr;
}

QTreeWidgetItem* HelpTopicsWindow::AddNode(const QString& parent_key, const QString& key,
                                           const QString& text, int picture) {
  auto* node =
      parent_key.isEmpty() ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(Node(parent_key));
  node->setText(0, text);
  node->setData(0, kKeyRole, key);
  SetPicture(node, picture);
  return node;
}

void HelpTopicsWindow::FillHelpTopics() {
  struct Entry {
    const char* key;
    const char* text;
    const char* parent;
    int picture;
  };
  static constexpr Entry kNodes[] = {
      {"Org", "Quorvel", "", kClosedChapter},
      {"0-1", QT_TR_NOOP("Getting Started"), "Org", kPage},
      {"C", QT_TR_NOOP("Calendar"), "Org", kClosedChapter},
      {"1-1", QT_TR_NOOP("How to add an appointment"), "C", kPage},
      {"1-2", QT_TR_NOOP("How to view an appointment"), "C", kPage},
      {"1-3", QT_TR_NOOP("How to edit an appointment"), "C", kPage},
      {"1-4", QT_TR_NOOP("How to delete an appointment"), "C", kPage},
      {"1-5", QT_TR_NOOP("How to view the schedule for a specific day"), "C", kPage},
      {"N", QT_TR_NOOP("Notes"), "Org", kClosedChapter},
      {"2-1", QT_TR_NOOP("How to add a note"), "N", kPage},
      {"2-2", QT_TR_NOOP("How to view a note"), "N", kPage},
      {"2-3", QT_TR_NOOP("How to edit a note"), "N", kPage},
      {"2-4", QT_TR_NOOP("How to delete a note"), "N", kPage},
      {"A", QT_TR_NOOP("Address Book"), "Org", kClosedChapter},
      {"3-1", QT_TR_NOOP("How to add an entry"), "A", kPage},
      {"3-2", QT_TR_NOOP("How to view an entry"), "A", kPage},
      {"3-3", QT_TR_NOOP("How to edit an entry"), "A", kPage},
      {"3-4", QT_TR_NOOP("How to delete an entry"), "A", kPage},
  };
  for (const Entry& entry : kNodes) {
    AddNode(QString::fromLatin1(entry.parent), QString::fromLatin1(entry.key), tr(entry.text),
            entry.picture);
  }
}

void HelpTopicsWindow::SetPicture(QTreeWidgetItem* node, int picture) {
  // Topics have no children and keep the page picture.
  if (node->data(0, kPictureRole).toInt() == kPage) return;
  node->setData(0, kPictureRole, picture);
  node->setIcon(0, Picture(picture));
}

int HelpTopicsWindow::TopicPage(const QString& key) {
  if (key.size() != 3 || key[1] != QLatin1Char('-')) return 0;
  if (!key[0].isDigit() || !key[2].isDigit()) return 0;
  return 10 * key[0].digitValue() + key[2].digitValue();
}

void HelpTopicsWindow::NodeClick(QTreeWidgetItem* node) {
  if (node == nullptr) return;
  const int page = TopicPage(node->data(0, kKeyRole).toString());
  if (page == 0) return;  // the root and the chapters open nothing
  HelpPageWindow& viewer = app_.HelpPage();
  viewer.ShowHelpPage(page);
  hide();
  OpenToolWindow(viewer);
}

}  // namespace quorvel
