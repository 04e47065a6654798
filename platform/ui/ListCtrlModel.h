// Row storage of a report list, seen by Qt as a table model.
#pragma once

#include "platform/core/WinTypes.h"

#include <QAbstractTableModel>
#include <QImage>
#include <QRegion>
#include <QString>

#include <functional>
#include <string>
#include <vector>

struct ListColumn {
    QString text;
    int format = 0;
    QImage image;
    int subItem = 0;  // the column's parameter word, kept for its owner
};

struct ListRow {
    std::vector<QString> texts;
    DWORD_PTR data = 0;
    UINT state = 0;  // state bits other than selection and focus
    int image = -1;
    // An owner-drawn row: the look its owner last drew it with, and the part of the row
    // (relative to its rectangle) painted with that look since.
    std::string look;
    QRegion shown;
};

class QxListModel : public QAbstractTableModel {
public:
    using EditFn = std::function<bool(int row, const QString& text)>;

    explicit QxListModel(QObject* parent) : QAbstractTableModel(parent) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    int InsertRow(int at, ListRow row);
    void RemoveRow(int at);
    void Clear();
    void SetText(int row, int column, const QString& text);
    void InsertColumn(int at, ListColumn column);
    void RemoveColumn(int at);
    void ColumnChanged(int column);
    void RowsChanged(int first, int last);
    // Reorders rows by a strict-weak "less" over row indexes; selection follows the rows.
    void Sort(const std::function<bool(size_t, size_t)>& less);

    std::vector<ListColumn> columns;
    std::vector<ListRow> rows;
    bool editLabels = false;
    EditFn onEdit;
};
