// The site's settings in the report view: the processing chain and the reference bolt,
// read and kept through the folder's site store; the store's warning when its file cannot
// be read, and the fresh start it offers then.
#include "ReportView.h"

#include "ChannelView.h"
#include "FileListDialog.h"
#include "ReportViewHost.h"
#include "SiteStore.h"

#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace rovana {

namespace {

constexpr int kMessagePane = 0; // the status bar's message pane

} // namespace

void ReportView::InstallSite()
{
    m_pSite = new SiteStore(this);
    connect(m_pSite, &SiteStore::Changed, this, [this] { TakeSite(true); });
    m_fnConfirm = [this](const QString& question) {
        QMessageBox box(QMessageBox::Question, QStringLiteral("Rovana"), question,
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
        box.button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
        return box.exec() == QMessageBox::Ok;
    };
    m_fnShowReport = [this](const FileListReport& report) {
        FileListDialog dialog(report, this);
        dialog.exec();
    };
}

void ReportView::ReadSite(const QString& folder)
{
    // The views are filled by the load that follows.
    const QSignalBlocker quiet(m_pSite);
    m_pSite->Open(folder);
    TakeSite(false);
}

void ReportView::TakeSite(bool show)
{
    const SiteFile& site = m_pSite->Site();
    const bool changed = !(site.chain == m_Chain) || site.referenceFile != m_strReferenceFile;
    m_Chain = site.chain;
    if (site.referenceFile != m_strReferenceFile ||
        (!m_pReference && !site.referenceFile.isEmpty())) {
        m_strReferenceFile = site.referenceFile;
        m_pReference.reset();
        auto reference = std::make_unique<TestRecord>();
        if (!m_strReferenceFile.isEmpty() &&
            reference->Load(m_pSite->Folder() + QLatin1Char('/') + m_strReferenceFile))
            m_pReference = std::move(reference);
    }
    // The warning stays in the status bar while the file cannot be read.
    const QString warning = m_pSite->Warning();
    if (m_pHost && warning != m_strSiteWarning)
        m_pHost->SetStatusPane(kMessagePane, warning);
    m_strSiteWarning = warning;
    if (show && changed && !m_strCurPath.isEmpty()) {
        for (int c = 0; c < kChannelCount; ++c)
            DistributeChannel(c);
        RepaintAll();
    }
}

bool ReportView::SiteWritable(bool ask)
{
    if (m_pSite->Folder() != m_strFolder)
        m_pSite->Open(m_strFolder);
    else
        m_pSite->Refresh(); // what another window or program wrote since
    if (m_pSite->Writable())
        return true;
    TakeSite(false); // the warning into the status bar
    const QString warning = m_pSite->Warning();
    if (!ask)
        return false;
    if (!m_pSite->CanStartAfresh()) {
        m_fnMessage(warning);
        return false;
    }
    if (!m_fnConfirm(warning +
                     QStringLiteral("。\n是否先将其备份为 %1.bak-<日期时间>，再重新建立？")
                         .arg(kSiteFileName)))
        return false;
    QString backup;
    if (const WriteResult w = m_pSite->StartAfresh(&backup); !w) {
        m_fnMessage(QStringLiteral("站点设置文件未能重新建立：%1").arg(m_pSite->MessageFor(w)));
        return false;
    }
    if (m_pHost)
        m_pHost->SetStatusPane(kMessagePane,
                               QStringLiteral("原站点设置文件已备份为 %1，已重新建立").arg(backup));
    return true;
}

bool ReportView::SetReference(bool on)
{
    if (on && m_strCurPath.isEmpty())
        return true;
    m_pReference = on ? std::make_unique<TestRecord>(m_Edit.Edited()) : nullptr;
    m_strReferenceFile = on ? QFileInfo(m_strCurPath).fileName() : QString();
    // By value: a fresh start on the way tells the views the settings it wrote.
    return ShowAndKeep([name = m_strReferenceFile](SiteFile& site) { site.referenceFile = name; });
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
    if (kept || !m_pHost)
        return;
    m_pHost->SetStatusPane(kMessagePane,
                           m_pSite->Writable()
                               ? QStringLiteral("文件夹无法写入，参考波形仅在本次运行中有效")
                               : m_pSite->Warning());
}

bool ReportView::SetProcessing(const processing::ChainSettings& chain, bool ask)
{
    m_Chain = chain;
    return ShowAndKeep([&chain](SiteFile& site) { site.chain = chain; }, ask);
}

bool ReportView::ShowAndKeep(const std::function<void(SiteFile&)>& change, bool ask)
{
    for (int c = 0; c < kChannelCount; ++c)
        DistributeChannel(c);
    RepaintAll();
    if (!SiteWritable(ask))
        return false;
    const WriteResult written = m_pSite->Change(change);
    if (!written && !m_pSite->Writable())
        TakeSite(false); // found broken when read again: the warning
    return static_cast<bool>(written);
}

} // namespace rovana
