#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;

namespace rovana {

// What a change to many files did, for the engineer: a line that sums it up and one line
// per file, those that failed first.
struct FileListReport
{
    QString summary;    // "波速 4127 m/s 已写入 38 个测试文件。"
    QStringList failed; // "MG0004.mg：无法读取文件（…）"
    QStringList done;   // file names
    QStringList notes;  // files that needed nothing, with why
    bool AllWell() const { return failed.isEmpty(); }
    // Every line in the order shown.
    QStringList Lines() const;
};

// The report in a dialog of bounded size: the summary beside the information icon when
// every file went well (the warning icon otherwise), then a scrollable list, failures
// first, and 确定 always in view.
class FileListDialog : public QDialog
{
    Q_OBJECT

public:
    FileListDialog(const FileListReport& report, QWidget* parent = nullptr);

    QListWidget* List() const { return m_pList; }

private:
    QListWidget* m_pList = nullptr;
};

} // namespace rovana
