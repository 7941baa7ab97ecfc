// The site's settings in the report view: the wave speed from a bolt of known length (this
// test, the whole folder, or the folder's previous speed back), the processing chain and the
// reference bolt.
#include "ReportView.h"

#include "CalibrationDialog.h"
#include "ChannelView.h"
#include "NativePath.h"
#include "ReportViewHost.h"
#include "SiteFile.h"
#include "SiteWaveSpeed.h"

#include <QDate>
#include <QFileInfo>
#include <QProgressDialog>
#include <QUndoStack>

namespace rovana {

void ReportView::CalibrateWaveSpeed(int channel)
{
    if (channel < 0 || channel >= kChannelCount || m_strCurPath.isEmpty())
        return;
    // The markers as the test stands, saved or not; a bottom the design-length rule placed
    // is no measurement to calibrate on.
    const TestRecord& probe = m_Edit.Edited();
    QString siteWhy;
    SiteFile site = ReadSiteFile(m_strFolder, &siteWhy);
    CalibrationDialog dialog(
        m_Edit.Inputs().waveSpeed,
        [&probe, channel](double length, QString* why) {
            return CalibratedWaveSpeed(probe, channel, length, why);
        },
        site.calibration, this);
    if (m_fnRunCalibration)
        m_fnRunCalibration(dialog);
    else
        dialog.exec();

    const int previous = m_Edit.Inputs().waveSpeed;
    switch (dialog.Chosen()) {
    case CalibrationDialog::Choice::Cancel:
        return;
    case CalibrationDialog::Choice::ThisTest:
        EditStep(QStringLiteral("由已知长度标定波速"), [&] {
            m_Edit.SetWaveSpeed(*dialog.Speed());
        });
        return;
    case CalibrationDialog::Choice::Folder:
        site.calibration =
            SiteCalibration{QFileInfo(m_strCurPath).fileName(), dialog.KnownLength(),
                            *dialog.Speed(), previous, QDate::currentDate().toString(Qt::ISODate)};
        ApplySpeedToFolder(*dialog.Speed());
        break;
    case CalibrationDialog::Choice::Restore:
        ApplySpeedToFolder(site.calibration->previousWaveSpeed);
        site.calibration.reset();
        break;
    }
    if (const WriteResult written = WriteSiteFile(m_strFolder, site); !written)
        m_fnMessage(QStringLiteral("标定记录未能保存：%1").arg(written.message()));
}

void ReportView::ApplySpeedToFolder(int speed)
{
    // The folder's files change under the history: its steps would put the old speed back
    // on screen while the file holds the new one.
    m_pUndo->clear();
    QStringList files;
    for (const FolderEntry& entry : ListTestFiles(m_strFolder))
        files.append(entry.path);
    QProgressDialog progress(QStringLiteral("正在写入波速…"), QStringLiteral("取消"), 0,
                             static_cast<int>(files.size()), this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    const SiteSpeedResult result = ApplyWaveSpeed(files, speed, [&progress](int done, int) {
        progress.setValue(done);
        return !progress.wasCanceled();
    });
    progress.reset();
    // The file on screen changed under the test: the screen takes the file's new speed and
    // lengths, and what the engineer had not saved stays on top of them.
    TestRecord disk;
    if (result.changed.contains(m_strCurPath) && disk.Load(m_strCurPath))
        m_Edit.TakeFileChange(disk);

    QStringList lines{
        QStringLiteral("波速 %1 m/s 已写入 %2 个文件：").arg(speed).arg(result.changed.size())};
    for (const QString& path : result.changed)
        lines << QFileInfo(path).fileName();
    if (!result.failed.isEmpty()) {
        lines << QStringLiteral("以下 %1 个文件未能写入，保持不变：").arg(result.failed.size());
        for (int i = 0; i < result.failed.size(); ++i)
            lines << QStringLiteral("%1（%2）")
                         .arg(QFileInfo(result.failed[i]).fileName(), result.messages[i]);
    }
    if (result.cancelled)
        lines << QStringLiteral("已取消，其余文件未写入。");
    m_fnMessage(lines.join(QLatin1Char('\n')));
}

} // namespace rovana

namespace rovana {

void ReportView::ReadSite(const QString& folder)
{
    const SiteFile site = ReadSiteFile(folder);
    m_Chain = site.chain;
    m_strReferenceFile = site.referenceFile;
    m_pReference.reset();
    if (m_strReferenceFile.isEmpty())
        return;
    auto reference = std::make_unique<TestRecord>();
    if (reference->Load(folder + QLatin1Char('/') + m_strReferenceFile))
        m_pReference = std::move(reference);
}

bool ReportView::SetReference(bool on)
{
    if (on && m_strCurPath.isEmpty())
        return true;
    m_pReference = on ? std::make_unique<TestRecord>(m_Edit.Edited()) : nullptr;
    m_strReferenceFile = on ? QFileInfo(m_strCurPath).fileName() : QString();
    return ShowAndKeep([this](SiteFile& site) { site.referenceFile = m_strReferenceFile; });
}

void ReportView::SetReferenceToCurrent(int /*channel*/)
{
    TellReferenceKept(SetReference(true));
}

void ReportView::ClearReference(int /*channel*/)
{
    TellReferenceKept(SetReference(false));
}

void ReportView::TellReferenceKept(bool kept)
{
    if (!kept && m_pHost)
        m_pHost->SetStatusPane(0 /* the message pane */,
                               QStringLiteral("文件夹无法写入，参考波形仅在本次运行中有效"));
}

bool ReportView::SetProcessing(const processing::ChainSettings& chain)
{
    m_Chain = chain;
    return ShowAndKeep([&chain](SiteFile& site) { site.chain = chain; });
}

bool ReportView::ShowAndKeep(const std::function<void(SiteFile&)>& change)
{
    for (int c = 0; c < kChannelCount; ++c)
        DistributeChannel(c);
    RepaintAll();
    SiteFile site = ReadSiteFile(m_strFolder);
    change(site);
    return static_cast<bool>(WriteSiteFile(m_strFolder, site));
}

} // namespace rovana
