#include "platform/ui/ListCtrlModel.h"

#include "platform/ui/WinCtrl.h"

#include <QPixmap>

#include <algorithm>
#include <numeric>

int QxListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows.size());
}

int QxListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(columns.size());
}

QVariant QxListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= static_cast<int>(rows.size()))
        return {};
    const ListRow& r = rows[static_cast<size_t>(index.row())];
    const size_t col = static_cast<size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return col < r.texts.size() ? r.texts[col] : QString();
    case Qt::TextAlignmentRole: {
        const int fmt = col < columns.size() ? columns[col].format & LVCFMT_JUSTIFYMASK : 0;
        const int h = fmt == LVCFMT_RIGHT ? Qt::AlignRight : fmt == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        return QVariant(h | Qt::AlignVCenter);
    }
    case Qt::UserRole:
        return QVariant(qulonglong(r.data));
    default:
        return {};
    }
}

QVariant QxListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= static_cast<int>(columns.size()))
        return {};
    const ListColumn& c = columns[static_cast<size_t>(section)];
    switch (role) {
    case Qt::DisplayRole:
        return c.text;
    case Qt::DecorationRole:
        return c.image.isNull() ? QVariant() : QVariant(QPixmap::fromImage(c.image));
    case Qt::TextAlignmentRole: {
        const int fmt = c.format & LVCFMT_JUSTIFYMASK;
        const int h = fmt == LVCFMT_RIGHT ? Qt::AlignRight : fmt == LVCFMT_CENTER ? Qt::AlignHCenter : Qt::AlignLeft;
        return QVariant(h | Qt::AlignVCenter);
    }
    default:
        return {};
    }
}

Qt::ItemFlags QxListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (editLabels && index.column() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

bool QxListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.column() != 0)
        return false;
    const QString text = value.toString();
    if (onEdit && !onEdit(index.row(), text))
        return false;
    // The edit handler may have removed the row.
    if (index.row() >= static_cast<int>(rows.size()))
        return false;
    SetText(index.row(), 0, text);
    return true;
}

int QxListModel::InsertRow(int at, ListRow row)
{
    const int n = static_cast<int>(rows.size());
    const int pos = at < 0 || at > n ? n : at;
    beginInsertRows(QModelIndex(), pos, pos);
    rows.insert(rows.begin() + pos, std::move(row));
    endInsertRows();
    return pos;
}

void QxListModel::RemoveRow(int at)
{
    if (at < 0 || at >= static_cast<int>(rows.size()))
        return;
    beginRemoveRows(QModelIndex(), at, at);
    rows.erase(rows.begin() + at);
    endRemoveRows();
}

void QxListModel::Clear()
{
    beginResetModel();
    rows.clear();
    endResetModel();
}

void QxListModel::SetText(int row, int column, const QString& text)
{
    if (row < 0 || row >= static_cast<int>(rows.size()) || column < 0)
        return;
    auto& texts = rows[static_cast<size_t>(row)].texts;
    if (static_cast<size_t>(column) >= texts.size())
        texts.resize(static_cast<size_t>(column) + 1);
    texts[static_cast<size_t>(column)] = text;
    const QModelIndex i = index(row, column);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void QxListModel::InsertColumn(int at, ListColumn column)
{
    const int n = static_cast<int>(columns.size());
    const int pos = at < 0 || at > n ? n : at;
    beginInsertColumns(QModelIndex(), pos, pos);
    columns.insert(columns.begin() + pos, std::move(column));
    for (ListRow& r : rows)
        if (static_cast<size_t>(pos) < r.texts.size())
            r.texts.insert(r.texts.begin() + pos, QString());
    endInsertColumns();
}

void QxListModel::RemoveColumn(int at)
{
    if (at < 0 || at >= static_cast<int>(columns.size()))
        return;
    beginRemoveColumns(QModelIndex(), at, at);
    columns.erase(columns.begin() + at);
    for (ListRow& r : rows)
        if (static_cast<size_t>(at) < r.texts.size())
            r.texts.erase(r.texts.begin() + at);
    endRemoveColumns();
}

void QxListModel::ColumnChanged(int column)
{
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void QxListModel::RowsChanged(int first, int last)
{
    if (rows.empty() || columns.empty())
        return;
    first = std::clamp(first, 0, static_cast<int>(rows.size()) - 1);
    last = std::clamp(last, first, static_cast<int>(rows.size()) - 1);
    emit dataChanged(index(first, 0), index(last, static_cast<int>(columns.size()) - 1));
}

void QxListModel::Sort(const std::function<bool(size_t, size_t)>& less)
{
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::stable_sort(order.begin(), order.end(), less);
    // Rows already in order: nothing moves and nothing needs repainting.
    if (std::is_sorted(order.begin(), order.end()))
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newPos(rows.size());
    std::vector<ListRow> sorted;
    sorted.reserve(rows.size());
    for (size_t i = 0; i < order.size(); ++i) {
        newPos[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(rows[order[i]]));
    }
    rows.swap(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after.append(i.isValid() && i.row() < static_cast<int>(newPos.size())
                         ? index(newPos[static_cast<size_t>(i.row())], i.column())
                         : QModelIndex());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
