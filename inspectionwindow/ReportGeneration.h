#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace rovana {

// 文件 → "生成检测报告...": reads the folder (a progress bar that can be cancelled), asks
// first when the report would name bolts that are not evaluated, marked 请复核 or files
// that cannot be read ("3 根未评定，2 根请复核，仍然生成？"), or when the site file cannot
// be read (its warning first), asks where to save (a PDF, or
// an OpenDocument text by its suffix) and writes it through the safe writer with a
// progress bar; a cancel at any point writes nothing and leaves an earlier report as it
// was. The dialogs are hooks, so that tests answer them.
class ReportGeneration
{
public:
    struct Hooks
    {
        // The question; true goes on. Default: a question box, 否 chosen.
        std::function<bool(const QString& question)> confirm;
        // The output's path, proposed `<folder>/<folder name>检测报告.pdf`; empty cancels.
        std::function<QString(const QString& proposed)> saveName;
        // A failure or the confirmation ("已生成检测报告: …").
        std::function<void(const QString& text)> message;
        // Progress of reading and writing (steps done, of all); false cancels. Default: a
        // window-modal progress dialog with 取消.
        std::function<bool(const QString& label, int done, int total)> progress;
    };

    enum class Outcome
    {
        Written,
        Cancelled, // by the question, the file dialog or the progress bar
        Failed,    // the folder or the output could not be read or written; said in message
    };

    explicit ReportGeneration(QWidget* parent, Hooks hooks = {});
    ~ReportGeneration();

    Outcome Run(const QString& folder);
    // The path the last Run wrote, empty unless it did.
    const QString& Written() const { return m_strWritten; }

private:
    QWidget* m_pParent;
    Hooks m_Hooks;
    QString m_strWritten;
};

} // namespace rovana
