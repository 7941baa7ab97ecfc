#include "SummaryTableModel.h"

#include <limits>

namespace rovana {

SummaryTableModel::SummaryTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void SummaryTableModel::SetRows(const std::vector<summary::SummaryRow>& rows)
{
    beginResetModel();
    m_Cells.assign(rows.size(), {});
    m_Paths.clear();
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (int k = 0; k < summary::kColumnCount; ++k)
            m_Cells[r][static_cast<std::size_t>(k)] =
                summary::CellOf(rows[r], static_cast<summary::Column>(k));
        m_Paths.append(rows[r].path);
    }
    endResetModel();
}

int SummaryTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_Cells.size());
}

int SummaryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : summary::kColumnCount;
}

QVariant SummaryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const auto column = static_cast<summary::Column>(index.column());
    const summary::SummaryCell& cell =
        m_Cells[static_cast<std::size_t>(index.row())][static_cast<std::size_t>(index.column())];
    switch (role) {
    case Qt::DisplayRole:
        return cell.text;
    case Qt::TextAlignmentRole:
        return summary::IsNumberColumn(column) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                               : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    case kSortRole:
        if (summary::IsNumberColumn(column))
            return cell.number.value_or(-std::numeric_limits<double>::infinity());
        return cell.text;
    case kPathRole:
        return m_Paths[index.row()];
    default:
        return {};
    }
}

QVariant SummaryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= summary::kColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return summary::ColumnHeaders()[static_cast<std::size_t>(section)];
}

} // namespace rovana
