#include "ImageListModels.h"

#include "Glyphs.h"
#include "imagelists/ListFile.h"
#include "imagelists/ListSort.h"

#include <QMimeData>

#include <algorithm>

namespace ondrix {

namespace {

QString PointerText(const QObject* object)
{
    return QString::number(reinterpret_cast<quintptr>(object));
}

} // namespace

ListsModel::ListsModel(QObject* parent) : QAbstractTableModel(parent), m_listIcon(Glyph("list")) {}

int ListsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ListsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 3;
}

QVariant ListsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ImageList& row = Row(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return ToQ(index.column() == 0 ? row.Name : index.column() == 1 ? row.Count : row.Path);
    case Qt::DecorationRole:
        return index.column() == 0 ? QVariant(m_listIcon) : QVariant();
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? QVariant(Qt::AlignCenter) : QVariant();
    default:
        return {};
    }
}

QVariant ListsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_titles.size())
        return m_titles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ListsModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        result |= Qt::ItemIsEditable;
    return result;
}

bool ListsModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0 || !renameRequested)
        return false;
    // The caller renames the file and puts the row's new values back through UpdateRow.
    renameRequested(index.row(), value.toString().toStdString());
    return true;
}

void ListsModel::SetTitles(const QStringList& titles)
{
    m_titles = titles;
    emit headerDataChanged(Qt::Horizontal, 0, 2);
}

void ListsModel::SetRows(std::vector<ImageList> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ListsModel::UpdateRow(int row, const ImageList& list)
{
    m_rows[static_cast<std::size_t>(row)] = list;
    emit dataChanged(index(row, 0), index(row, 2));
}

void ListsModel::AppendRow(const ImageList& list)
{
    const int row = rowCount();
    beginInsertRows({}, row, row);
    m_rows.push_back(list);
    endInsertRows();
}

void ListsModel::RemoveRow(int row)
{
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void ListsModel::Sort(std::int32_t sortType)
{
    const std::vector<std::size_t> order = SortedListOrder(m_rows, sortType);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<int> newRowOf(order.size());
    std::vector<ImageList> sorted;
    sorted.reserve(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newRowOf[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(m_rows[order[i]]));
    }
    m_rows = std::move(sorted);
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before)
        after.append(index(newRowOf[static_cast<std::size_t>(old.row())], old.column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

EntriesModel::EntriesModel(QObject* parent)
    : QAbstractTableModel(parent), m_jpegIcon(Glyph("jpeg")), m_bmpIcon(Glyph("bmp")),
      m_pictureIcon(Glyph("picture"))
{
}

int EntriesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lines.size());
}

int EntriesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant EntriesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return ToQ(index.column() == 0 ? PathOf(index.row()) : SizeOf(index.row()));
    if (role == Qt::DecorationRole && index.column() == 0) {
        switch (ListPictureKindOf(PathOf(index.row()))) {
        case PictureKind::Jpeg:
            return m_jpegIcon;
        case PictureKind::Bmp:
            return m_bmpIcon;
        case PictureKind::Png:
        case PictureKind::Webp:
            return m_pictureIcon;
        case PictureKind::Other:
            break;
        }
    }
    return {};
}

QVariant EntriesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_titles.size())
        return m_titles[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags EntriesModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid())
        result |= Qt::ItemIsDragEnabled;
    return result | Qt::ItemIsDropEnabled;
}

Qt::DropActions EntriesModel::supportedDropActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

QStringList EntriesModel::mimeTypes() const
{
    return {QString::fromLatin1(kRowMime), QStringLiteral("text/uri-list")};
}

QMimeData* EntriesModel::mimeData(const QModelIndexList& indexes) const
{
    if (indexes.isEmpty())
        return nullptr;
    auto* mime = new QMimeData;
    const QString text = PointerText(m_dragOwner) + QLatin1Char(' ') + QString::number(indexes.first().row());
    mime->setData(QString::fromLatin1(kRowMime), text.toLatin1());
    return mime;
}

void EntriesModel::SetTitles(const QStringList& titles)
{
    m_titles = titles;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}

void EntriesModel::SetLines(std::vector<std::string> lines)
{
    beginResetModel();
    m_lines = std::move(lines);
    endResetModel();
}

std::string EntriesModel::PathOf(int row) const
{
    return EntryPathOf(m_lines[static_cast<std::size_t>(row)]);
}

std::string EntriesModel::SizeOf(int row) const
{
    return EntrySizeOf(m_lines[static_cast<std::size_t>(row)]);
}

int EntriesModel::MoveRow(int from, int before)
{
    const int count = rowCount();
    if (from < 0 || from >= count)
        return -1;
    before = std::clamp(before, 0, count);
    if (before == from || before == from + 1)
        return from;
    beginMoveRows({}, from, from, {}, before);
    std::string line = std::move(m_lines[static_cast<std::size_t>(from)]);
    m_lines.erase(m_lines.begin() + from);
    const int target = before > from ? before - 1 : before;
    m_lines.insert(m_lines.begin() + target, std::move(line));
    endMoveRows();
    return target;
}

int EntriesModel::DraggedRow(const QMimeData* mime) const
{
    if (!mime || !mime->hasFormat(QString::fromLatin1(kRowMime)))
        return -1;
    const QStringList parts =
        QString::fromLatin1(mime->data(QString::fromLatin1(kRowMime))).split(QLatin1Char(' '));
    if (parts.size() != 2 || parts[0] != PointerText(m_dragOwner))
        return -1;
    bool ok = false;
    const int row = parts[1].toInt(&ok);
    return ok && row >= 0 && row < rowCount() ? row : -1;
}

} // namespace ondrix
