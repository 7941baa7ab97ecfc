#include "ReportGeneration.h"

#include "OutputFile.h"
#include "ReportContent.h"
#include "ReportFiles.h"
#include "SummaryTable.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProgressDialog>

#include <memory>

namespace rovana {

namespace {

const QString kCaption = QStringLiteral("生成检测报告");

bool IsOdt(const QString& path)
{
    return path.endsWith(QLatin1String(".odt"), Qt::CaseInsensitive);
}

} // namespace

ReportGeneration::ReportGeneration(QWidget* parent, Hooks hooks)
    : m_pParent(parent), m_Hooks(std::move(hooks))
{
    if (!m_Hooks.confirm)
        m_Hooks.confirm = [this](const QString& question) {
            return QMessageBox::question(m_pParent, kCaption, question,
                                         QMessageBox::Yes | QMessageBox::No,
                                         QMessageBox::No) == QMessageBox::Yes;
        };
    if (!m_Hooks.saveName)
        m_Hooks.saveName = [this](const QString& proposed) {
            return QFileDialog::getSaveFileName(
                m_pParent, kCaption, proposed,
                QStringLiteral("PDF 文件 (*.pdf);;OpenDocument 文本 (*.odt)"));
        };
    if (!m_Hooks.message)
        m_Hooks.message = [this](const QString& text) {
            QMessageBox box(m_strWritten.isEmpty() ? QMessageBox::Warning
                                                   : QMessageBox::Information,
                            kCaption, text, QMessageBox::Ok, m_pParent);
            box.exec();
        };
}

ReportGeneration::~ReportGeneration() = default;

ReportGeneration::Outcome ReportGeneration::Run(const QString& folder)
{
    m_strWritten.clear();
    int error = 0;
    const QStringList files = summary::FolderTestFiles(folder, &error);
    if (error != 0) {
        m_Hooks.message(QStringLiteral("%1: %2").arg(summary::FolderErrorText(error),
                                                     QDir::toNativeSeparators(folder)));
        return Outcome::Failed;
    }

    // One progress bar for the reading, another for the writing, unless a hook stands in.
    std::unique_ptr<QProgressDialog> dialog;
    const auto progress = [&](const QString& label, int done, int total) {
        if (m_Hooks.progress)
            return m_Hooks.progress(label, done, total);
        if (!dialog) {
            dialog = std::make_unique<QProgressDialog>(label, QStringLiteral("取消"), 0, total,
                                                       m_pParent);
            dialog->setWindowTitle(kCaption);
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
            dialog->setAutoReset(false); // a cancel at the last step still counts
            dialog->setAutoClose(false);
        }
        if (dialog->labelText() != label)
            dialog->setLabelText(label);
        dialog->setMaximum(std::max(total, 1));
        dialog->setValue(std::min(done, std::max(total, 1)));
        return !dialog->wasCanceled();
    };

    QString why;
    const std::unique_ptr<inspection::ReportContent> content = inspection::GatherReport(
        folder, files,
        [&](int done, int total) { return progress(QStringLiteral("正在读取文件…"), done, total); },
        &why);
    dialog.reset();
    if (!content) {
        if (why.isEmpty())
            return Outcome::Cancelled;
        m_Hooks.message(why);
        return Outcome::Failed;
    }
    // A site file that cannot be read leaves the report without the site's texts and
    // settings: said before anything is written, with what else would make it wrong.
    QString question = inspection::QuestionBeforeWriting(content->summary.statistics);
    if (!content->siteWarning.isEmpty())
        question = content->siteWarning + QLatin1Char('\n') +
                   (question.isEmpty() ? QStringLiteral("仍然生成？") : question);
    if (!question.isEmpty() && !m_Hooks.confirm(question))
        return Outcome::Cancelled;

    const QString proposed =
        QDir(folder).filePath(QFileInfo(folder).fileName() + QStringLiteral("检测报告.pdf"));
    QString path = m_Hooks.saveName(proposed);
    if (path.isEmpty())
        return Outcome::Cancelled;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    if (const summary::OutputResult checked = summary::CheckOutputPath(path, files); !checked) {
        m_Hooks.message(checked.detail);
        return Outcome::Failed;
    }
    inspection::ReportTargets targets;
    (IsOdt(path) ? targets.odt : targets.pdf) = path;
    const inspection::ReportFilesResult written =
        inspection::WriteReportFiles(*content, targets, [&](int done, int total) {
            return progress(QStringLiteral("正在生成检测报告…"), done, total);
        });
    dialog.reset();
    if (written.cancelled)
        return Outcome::Cancelled;
    if (!written.written) {
        m_Hooks.message(written.message);
        return Outcome::Failed;
    }
    m_strWritten = path;
    m_Hooks.message(QStringLiteral("已生成检测报告: %1").arg(QDir::toNativeSeparators(path)));
    return Outcome::Written;
}

} // namespace rovana
