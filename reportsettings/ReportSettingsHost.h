#pragma once

#include <QString>
#include <QStringList>

class QTreeWidgetItem;

namespace rovana {

class ReportView;
class EvaluationPanel;

// The values the report settings dialog carries over to the files edited after a save
// with "应用到后续文件" checked. All empty at start-up; kept in memory only.
struct CarryOverValues
{
    QString itemName;    // m_strLastItemName
    QString testDate;    // m_strLastTestDate
    QString installDate; // m_strLastInstallDate
    QString testUnit;    // m_strLastTestUnit
    QString tester;      // m_strLastTester

    friend bool operator==(const CarryOverValues&, const CarryOverValues&) = default;
};

// What the report settings dialog needs from the main window: the report view, the
// evaluation panel, the file tree, the print list and the carry-over values.
class ReportSettingsHost
{
public:
    virtual ~ReportSettingsHost() = default;

    // The report view (never null while the dialog runs).
    virtual ReportView* ReportPane() = 0;
    // The evaluation panel, or null while it does not exist.
    virtual EvaluationPanel* EvaluationPane() = 0;
    // The file tree's first root item, or null while the tree is empty.
    virtual const QTreeWidgetItem* FileTreeRoot() const = 0;

    // Empties the print list and leaves its flag (m_bPrintList) as it is.
    virtual void EmptyPrintList() = 0;
    // Takes the names to print: the flag becomes 1 for a non-empty list, else 0, and the
    // print commands follow it.
    virtual void TakePrintList(const QStringList& names) = 0;

    virtual CarryOverValues LastValues() const = 0;
    virtual void SetLastValues(const CarryOverValues& values) = 0;
};

} // namespace rovana
