// The Find window's results: their model, by kind, and the delegate that draws their marks.
#include <QApplication>
#include <QPainter>
#include <QPoint>
#include <QTextLayout>

#include "find/find_window.h"
#include "store/date_text.h"

namespace quorvel {
namespace {

// The sign of an occurrence of a series after its title, as the calendar
// shows it; a screen reader reads the word instead.
const QString kRepeatsSign = QStringLiteral(" \u21BB");

QVariantList MarksVariant(const QList<search::Mark>& marks) {
  QVariantList list;
  for (const search::Mark& m : marks) list.append(QPoint(m.start, m.length));
  return list;
}

}  // namespace

// ------------------------------------------------------------ the model

FindResultsModel::FindResultsModel(const store::DataFiles& files, QObject* parent)
    : QAbstractItemModel(parent), files_(files) {}

void FindResultsModel::SetResults(search::Results results, const search::Query& query) {
  beginResetModel();
  query_ = query;
  groups_.clear();
  const auto add = [this](search::Kind kind, search::MatchList& matches) {
    if (matches.empty()) return;
    groups_.push_back(Group{kind, std::move(matches), {}});
  };
  add(search::Kind::kAppointment, results.appointments);
  add(search::Kind::kNote, results.notes);
  add(search::Kind::kEntry, results.entries);
  endResetModel();
}

const search::Match* FindResultsModel::MatchAt(const QModelIndex& index) const {
  if (!index.isValid() || index.internalId() == 0) return nullptr;
  const Group& group = groups_[index.internalId() - 1];
  return &group.matches[std::size_t(index.row())];
}

QModelIndex FindResultsModel::FirstResult() const {
  return groups_.empty() ? QModelIndex() : index(0, 0, index(0, 0));
}

QModelIndex FindResultsModel::IndexOf(search::Kind kind, const QString& identity) const {
  for (std::size_t g = 0; g < groups_.size(); ++g) {
    if (groups_[g].kind != kind) continue;
    for (std::size_t r = 0; r < groups_[g].matches.size(); ++r) {
      if (groups_[g].matches[r].identity == identity) {
        return index(int(r), 0, index(int(g), 0));
      }
    }
  }
  return {};
}

QModelIndex FindResultsModel::index(int row, int column, const QModelIndex& parent) const {
  if (row < 0 || column < 0 || column >= kColumnCount) return {};
  if (!parent.isValid()) {
    return row < int(groups_.size()) ? createIndex(row, column, quintptr(0)) : QModelIndex();
  }
  if (parent.internalId() != 0 || parent.row() >= int(groups_.size())) return {};
  if (row >= int(groups_[std::size_t(parent.row())].matches.size())) return {};
  return createIndex(row, column, quintptr(parent.row() + 1));
}

QModelIndex FindResultsModel::parent(const QModelIndex& child) const {
  if (!child.isValid() || child.internalId() == 0) return {};
  return createIndex(int(child.internalId() - 1), 0, quintptr(0));
}

int FindResultsModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return int(groups_.size());
  if (parent.internalId() != 0 || parent.column() != 0) return 0;
  return int(groups_[std::size_t(parent.row())].matches.size());
}

int FindResultsModel::columnCount(const QModelIndex&) const { return kColumnCount; }

const search::Excerpt& FindResultsModel::ExcerptOf(const Group& group, int row) const {
  auto [at, added] = group.excerpts.try_emplace(row);
  if (added) at->second = search::Describe(files_, group.matches[std::size_t(row)], query_);
  return at->second;
}

QString FindResultsModel::KindCaption(const Group& group) const {
  const int n = int(group.matches.size());
  switch (group.kind) {
    case search::Kind::kAppointment:
      return tr("Appointments (%1)").arg(n);
    case search::Kind::kNote:
      return tr("Notes (%1)").arg(n);
    case search::Kind::kEntry:
      return tr("Address entries (%1)").arg(n);
  }
  return QString();
}

QString FindResultsModel::WhenText(const search::Match& match) const {
  switch (match.kind) {
    case search::Kind::kAppointment:
      if (!match.date.isValid()) return QString();
      if (match.all_day) return DateText(match.date) + QLatin1Char(' ') + tr("All day");
      return match.start.isEmpty() ? DateText(match.date)
                                   : DateText(match.date) + QLatin1Char(' ') + match.start;
    case search::Kind::kNote:
      return QString();
    case search::Kind::kEntry:
      return match.group.isEmpty() ? tr("No group") : tr("Group %1").arg(match.group);
  }
  return QString();
}

QVariant FindResultsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (index.internalId() == 0) {
    const Group& group = groups_[std::size_t(index.row())];
    if (index.column() != 0) return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) return KindCaption(group);
    if (role == Qt::FontRole) {
      QFont font = QApplication::font();
      font.setBold(true);
      return font;
    }
    return {};
  }
  const Group& group = groups_[index.internalId() - 1];
  const search::Match& match = group.matches[std::size_t(index.row())];
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
    switch (index.column()) {
      case kWhenColumn:
        return WhenText(match);
      case kTitleColumn:
        return ExcerptOf(group, index.row()).title + (match.repeats ? kRepeatsSign : QString());
      case kTextColumn:
        return ExcerptOf(group, index.row()).text;
    }
  }
  if (role == kMarksRole) {
    if (index.column() == kTitleColumn)
      return MarksVariant(ExcerptOf(group, index.row()).title_marks);
    if (index.column() == kTextColumn)
      return MarksVariant(ExcerptOf(group, index.row()).text_marks);
    return QVariantList();
  }
  if (role == Qt::AccessibleTextRole) {
    // What the row is, said in one go: kind, date or group, title, text.
    const search::Excerpt& excerpt = ExcerptOf(group, index.row());
    QString kind;
    switch (match.kind) {
      case search::Kind::kAppointment:
        kind = tr("Appointment");
        break;
      case search::Kind::kNote:
        kind = tr("Note");
        break;
      case search::Kind::kEntry:
        kind = tr("Address entry");
        break;
    }
    QStringList parts{kind};
    const QString title = excerpt.title + (match.repeats ? tr(", repeats") : QString());
    switch (index.column()) {
      case kWhenColumn:
        if (!WhenText(match).isEmpty()) parts.append(WhenText(match));
        parts.append(title);
        if (!excerpt.text.isEmpty()) parts.append(excerpt.text);
        return parts.join(QStringLiteral(", "));
      case kTitleColumn:
        return title;
      case kTextColumn:
        return excerpt.text;
    }
  }
  return {};
}

QVariant FindResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case kWhenColumn:
      return tr("Date or group");
    case kTitleColumn:
      return tr("Title");
    case kTextColumn:
      return tr("Matching text");
  }
  return {};
}

Qt::ItemFlags FindResultsModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  // A result has no rows under it: the view need not ask.
  if (index.internalId() != 0)
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

// ------------------------------------------------------------ the marks

void MarkedTextDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
  const QVariantList marks = index.data(FindResultsModel::kMarksRole).toList();
  if (marks.isEmpty()) {
    QStyledItemDelegate::paint(painter, option, index);
    return;
  }
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QString text = opt.text;
  opt.text.clear();
  QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

  const QRect area =
      style->subElementRect(QStyle::SE_ItemViewItemText, &opt, opt.widget).adjusted(3, 0, -3, 0);
  QList<QTextLayout::FormatRange> formats;
  for (const QVariant& v : marks) {
    const QPoint m = v.toPoint();
    QTextLayout::FormatRange range;
    range.start = m.x();
    range.length = m.y();
    range.format.setFontWeight(QFont::Bold);
    range.format.setFontUnderline(true);
    formats.append(range);
  }
  QTextLayout layout(text, opt.font, painter->device());
  layout.setFormats(formats);
  QTextOption text_option;
  text_option.setWrapMode(QTextOption::NoWrap);
  layout.setTextOption(text_option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e6);
  layout.endLayout();

  const bool selected = opt.state & QStyle::State_Selected;
  const QPalette::ColorGroup cg = !(opt.state & QStyle::State_Enabled) ? QPalette::Disabled
                                  : (opt.state & QStyle::State_Active) ? QPalette::Active
                                                                       : QPalette::Inactive;
  painter->save();
  painter->setClipRect(area);
  painter->setPen(opt.palette.color(cg, selected ? QPalette::HighlightedText : QPalette::Text));
  const qreal top = area.top() + (area.height() - (line.isValid() ? line.height() : 0)) / 2;
  layout.draw(painter, QPointF(area.left(), top));
  painter->restore();
}

}  // namespace quorvel
