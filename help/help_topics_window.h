// "Help Topics": the chapters and topics of the help pages as a tree.
#pragma once

#include <array>

#include <QIcon>
#include <QString>
#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;

namespace quorvel {

class Organiser;

// Object names of the Help Topics window and its controls.
namespace help_topics_names {
inline constexpr char kWindow[] = "Form12";
inline constexpr char kTree[] = "TreeView1";  // the chapters and their topics
}  // namespace help_topics_names

class HelpTopicsWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpTopicsWindow(Organiser& app);

  // Item data roles: the node's key, and the index of its picture in
  // ImageList1.
  static constexpr int kKeyRole = Qt::UserRole;
  static constexpr int kPictureRole = Qt::UserRole + 1;
  // Pictures of ImageList1, by index.
  static constexpr int kClosedChapter = 1;
  static constexpr int kOpenChapter = 2;
  static constexpr int kPage = 3;

  // Adds the eighteen nodes to TreeView1, all collapsed.
  void FillHelpTopics();

  // The help page of a topic key ("c-t" gives 10 * c + t), or 0 for the root
  // and the chapters, which have no page.
  static int TopicPage(const QString& key);

  // The node with `key`, or nullptr.
  QTreeWidgetItem* Node(const QString& key) const;
  // Picture `index` (1 to 3) of ImageList1.
  const QIcon& Picture(int index) const { return image_list_.at(std::size_t(index - 1)); }

 private:
  QTreeWidgetItem* AddNode(const QString& parent_key, const QString& key, const QString& text,
                           int picture);
  void SetPicture(QTreeWidgetItem* node, int picture);
  void NodeClick(QTreeWidgetItem* node);

  Organiser& app_;
  std::array<QIcon, 3> image_list_;  // ImageList1
  QTreeWidget* tree_ = nullptr;      // TreeView1
};

}  // namespace quorvel
