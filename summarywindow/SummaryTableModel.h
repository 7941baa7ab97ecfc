#pragma once

#include "SummaryTable.h"

#include <QAbstractTableModel>

#include <array>
#include <vector>

namespace rovana {

// The summary's rows as a table model: the cells' texts for display, numbers (or texts)
// for sorting, and each row's full path.
class SummaryTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // Sorting key: the number of a number cell (empty cells sort first), else the text.
    static constexpr int kSortRole = Qt::UserRole;
    // The row's full path, on every cell.
    static constexpr int kPathRole = Qt::UserRole + 1;

    explicit SummaryTableModel(QObject* parent = nullptr);

    void SetRows(const std::vector<summary::SummaryRow>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<std::array<summary::SummaryCell, summary::kColumnCount>> m_Cells;
    QStringList m_Paths;
};

} // namespace rovana
