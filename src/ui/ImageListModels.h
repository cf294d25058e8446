#pragma once

#include "imagelists/ImageListStore.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace ondrix {

// The rows of the lists view: one ImageList each, columns Name (editable), Count, Path.
class ListsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ListsModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    void SetTitles(const QStringList& titles);
    void SetRows(std::vector<ImageList> rows);
    const std::vector<ImageList>& Rows() const { return m_rows; }
    const ImageList& Row(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    void UpdateRow(int row, const ImageList& list);
    void AppendRow(const ImageList& list);
    void RemoveRow(int row);
    // Moves the rows into the order of the sort rule; selection and current row follow them.
    void Sort(std::int32_t sortType);

    // Runs when an in-place edit of a name is confirmed; the row is renamed by the caller.
    std::function<void(int row, const std::string& text)> renameRequested;

private:
    std::vector<ImageList> m_rows;
    QStringList m_titles;
    QIcon m_listIcon;
};

// The rows of the entries view: the lines of one list file, path and size text split at the
// first "?". Filled in one go, so a list of a hundred thousand entries shows at once.
class EntriesModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr const char* kRowMime = "application/x-ondrix-entry-row";

    explicit EntriesModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;

    void SetTitles(const QStringList& titles);
    void SetLines(std::vector<std::string> lines);
    void Clear() { SetLines({}); }
    std::string PathOf(int row) const;
    std::string SizeOf(int row) const;
    // Moves row from to stand before row before (rowCount() appends it); returns its new row.
    int MoveRow(int from, int before);
    // Identifies the view a dragged row came from, so that only drags from it are taken.
    void SetDragOwner(const QObject* owner) { m_dragOwner = owner; }
    // The dragged row when the data came from the owner view, else -1.
    int DraggedRow(const QMimeData* mime) const;

private:
    std::vector<std::string> m_lines;
    QStringList m_titles;
    QIcon m_jpegIcon;
    QIcon m_bmpIcon;
    QIcon m_pictureIcon; // the kinds without an icon of their own
    const QObject* m_dragOwner = nullptr;
};

} // namespace ondrix
