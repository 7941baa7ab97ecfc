#include "ReportView.h"

#include "BitmapFile.h"
#include "ChannelView.h"
#include "DiskChangeBar.h"
#include "EvaluationPanel.h"
#include "LowPass.h"
#include "MgLayout.h"
#include "ProgramMessage.h"
#include "ReferenceTrace.h"
#include "ReportViewHost.h"
#include "ResultSave.h"
#include "SiteStore.h"
#include "Spectrum.h"
#include "TestDate.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QUndoStack>

#include <algorithm>

namespace rovana {

ReportView::ReportView(ReportViewHost* host, QWidget* parent) : QWidget(parent), m_pHost(host)
{
    InstallDefaultDialogs();
    InstallPrintDialogs();
    InstallSite();
    m_pUndo = new QUndoStack(this);
    connect(&m_Edit, &TestEdit::changed, this, &ReportView::OnEditChanged);
    for (int i = 0; i < 3; ++i) {
        auto* view = new ChannelView(i, this, this);
        view->setObjectName(QString::number(59648 + i));
        view->setWindowTitle(QStringLiteral("MyView"));
        m_pChannelView[i] = view;
        view->show();
    }
    InstallDiskWatch();
}

ReportView::~ReportView()
{
    // The history goes with the widget, after this object's own members: its last signals
    // must not reach a view half taken apart.
    QObject::disconnect(m_pUndo, nullptr, this, nullptr);
}

namespace {

const QString kMgFilter = QStringLiteral(" Files (*.mg);;All Files (*.*)");

// The part of a path after its last separator; empty when there is none or it is the
// first character.
QString NameAfterLastSeparator(const QString& path)
{
    const int sep = path.lastIndexOf(QLatin1Char('/'));
    return sep > 0 ? path.mid(sep + 1) : QString();
}

} // namespace

void ReportView::InstallDefaultDialogs()
{
    m_fnAskSavePath = [this](const QString& proposedPath) {
        QString path = QFileDialog::getSaveFileName(this, QString(), proposedPath, kMgFilter);
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".mg");
        return path;
    };
    m_fnMessage = [this](const QString& text) { ShowProgramMessage(this, text); };
}

const DisplaySettings& ReportView::Display() const
{
    return m_pHost ? m_pHost->Display() : m_OwnDisplay;
}

void ReportView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayOutViews();
}

void ReportView::LayOutViews()
{
    // Three views stacked with 10 px gaps and 10 px margins left and right: each view lies
    // inside the pane, its scroll bar and the end of its trace in sight. The bar that says
    // the file changed on disk takes the top while it is shown.
    const int w = std::max(0, width() - 20);
    int top = 0;
    if (m_pDiskChangeBar && !m_pDiskChangeBar->isHidden()) {
        const int h = m_pDiskChangeBar->heightForWidth(w) > 0
                          ? m_pDiskChangeBar->heightForWidth(w)
                          : m_pDiskChangeBar->sizeHint().height();
        m_pDiskChangeBar->setGeometry(10, 10, w, h);
        m_pDiskChangeBar->raise();
        top = h + 10;
    }
    const int b = std::max(0, (height() - top - 100) / 3);
    for (int i = 0; i < 3; ++i)
        m_pChannelView[i]->setGeometry(10, top + 10 + i * (b + 10), w, b);
}

void ReportView::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    UpdateStatusPanes();
}

void ReportView::DistributeChannel(int c)
{
    ChannelView& v = *m_pChannelView[c];
    const TestRecord& d = CurrentRecord();
    v.m_nWave.fill(0);
    v.m_nSpectrum.fill(0);
    v.m_nRaw.fill(0);
    v.m_nPhase.fill(0);
    std::copy_n(d.m_nSamples[c].begin(), v.m_nRaw.size(), v.m_nRaw.begin());

    DisplaySettings& display = m_pHost ? m_pHost->Display() : m_OwnDisplay;
    v.m_bClipped = DisplayedSamples(d, c, m_Chain, display.m_bFilter == 1, v.m_nWave) > 0;
    v.m_nReference = m_pReference
                         ? ReferenceTrace(*m_pReference, d, c, m_Chain, display.m_bFilter == 1)
                         : std::vector<std::int16_t>();

    v.m_nSpectrum = v.m_nRaw;
    const SpectrumResult spectrum = ComputeSpectrum(
        v.m_nSpectrum, v.m_nPhase, static_cast<float>(d.m_nSampleInterval), d.m_nSampleCount);
    display.m_fPeakFrequency = spectrum.peakFrequency;
    display.m_fBinWidth = spectrum.binWidth;
    v.SetScrollWidth(UsableSampleCount(d));
    ApplySiteAmplitude(c);
}

void ReportView::TakeLoadedRecord(const TestRecord& record)
{
    m_Edit.Load(record);
    if (m_Edit.ClassRederived() && m_pHost)
        m_pHost->SetStatusPane(0 /* the message pane */, QStringLiteral("等级已按规则重算"));
}

void ReportView::RefreshInfoPanel(int /*c*/)
{
    // The panel follows the selected channel, which the caller has set.
    if (EvaluationPanel* panel = m_pHost ? m_pHost->EvaluationPane() : nullptr)
        panel->Refresh();
}

void ReportView::OnEditChanged()
{
    RefreshInfoPanel(m_nActiveChannel);
    RepaintAll();
}

void ReportView::UpdateStatusPanes()
{
    if (!m_pHost || m_pHost->FileLoaded() != 1)
        return;
    const TestRecord& d = CurrentRecord();
    m_pHost->SetStatusPane(ID_INDICATOR_PROJECT, QStringLiteral("项目;%1").arg(d.m_strProject));
    m_pHost->SetStatusPane(ID_INDICATOR_FILE, QStringLiteral("文件;%1").arg(d.m_strFile));
    m_pHost->SetStatusPane(ID_INDICATOR_SAMPLES,
                           QStringLiteral("采样点数;%1").arg(d.m_nSampleCount));
    m_pHost->SetStatusPane(ID_INDICATOR_INTERVAL,
                           QStringLiteral("采样间隔;%1 us").arg(d.m_nSampleInterval));
    m_pHost->SetStatusPane(ID_INDICATOR_HIGHPASS, QStringLiteral("高通;%1 Hz").arg(d.m_nHighPass));
    m_pHost->SetStatusPane(ID_INDICATOR_LOWPASS, QStringLiteral("低通;%1 Hz").arg(d.m_nLowPass));
    m_pHost->SetStatusPane(ID_INDICATOR_DATE,
                           QStringLiteral("时间;%1").arg(FormatDate(d.m_tTestDate)));
    // Every test of a folder whose traces are processed says so.
    m_pHost->SetStatusPane(ID_INDICATOR_SPARE,
                           processing::IsChainOff(m_Chain)
                               ? QStringLiteral(" ")
                               : QString::fromStdString(processing::DescribeChain(m_Chain)));
}

void ReportView::ApplySiteAmplitude(int c)
{
    ChannelView& v = *m_pChannelView[static_cast<std::size_t>(c)];
    const TraceAmplitude& a = m_pSite->Site().amplitude[static_cast<std::size_t>(c)];
    if (a.mode == TraceAmplitude::Mode::Fixed)
        v.m_nMaxAmplitude = a.value;
    else if (a.mode == TraceAmplitude::Mode::Fit)
        v.FitAmplitude();
}

void ReportView::AmplitudeChosen(int channel, bool fit)
{
    if (channel < 0 || channel >= kChannelCount || !m_pSite->Writable())
        return; // the amplitude then holds for this run
    const int value = m_pChannelView[static_cast<std::size_t>(channel)]->m_nMaxAmplitude;
    m_pSite->Change([channel, fit, value](SiteFile& site) {
        site.amplitude[static_cast<std::size_t>(channel)] =
            fit ? TraceAmplitude{TraceAmplitude::Mode::Fit, 0}
                : TraceAmplitude{TraceAmplitude::Mode::Fixed, value};
    });
}

void ReportView::ApplySiteGain(int c)
{
    const int gain = m_pSite->Site().growingGain[static_cast<std::size_t>(c)];
    m_pChannelView[static_cast<std::size_t>(c)]->m_nMagnify = gain > 0 ? gain : 1;
}

void ReportView::GainChosen(int channel)
{
    if (channel < 0 || channel >= kChannelCount || !m_pSite->Writable())
        return; // the gain then holds for this run
    const int gain = std::max(0, m_pChannelView[static_cast<std::size_t>(channel)]->m_nMagnify);
    m_pSite->Change([channel, gain](SiteFile& site) {
        site.growingGain[static_cast<std::size_t>(channel)] = std::min(gain, kLargestGrowingGain);
    });
}

void ReportView::FitActiveAmplitude()
{
    const int c = m_nActiveChannel;
    if (c < 0 || c >= kChannelCount || m_strCurPath.isEmpty())
        return;
    EditStep(QStringLiteral("适合幅值"), [this, c] {
        m_pChannelView[static_cast<std::size_t>(c)]->FitAmplitude();
        AmplitudeChosen(c, true);
    });
}

void ReportView::RepaintChannel(int channel)
{
    if (channel >= 0 && channel <= 2)
        m_pChannelView[channel]->viewport()->update();
}

void ReportView::ResetActiveMagnification()
{
    if (m_nActiveChannel < 0 || m_nActiveChannel > 2)
        return;
    EditStep(QStringLiteral("恢复原始放大"), [this] {
        m_pChannelView[m_nActiveChannel]->m_nMagnify = 0;
        GainChosen(m_nActiveChannel);
        m_pChannelView[m_nActiveChannel]->viewport()->update();
    });
}

void ReportView::RepaintAll()
{
    update();
    for (ChannelView* v : m_pChannelView)
        v->viewport()->update();
}

void ReportView::SetReportOptions(ReportOptions options)
{
    m_ReportOptions.bShowTitle = options.bShowTitle;
    m_ReportOptions.bChannel1 = options.bChannel1;
    m_ReportOptions.bChannel2 = options.bChannel2;
    m_ReportOptions.bChannel3 = options.bChannel3;
    m_ReportOptions.strTitle = kReportTitle;
    m_ReportOptions.strFileNumber = options.strFileNumber;
    m_ReportOptions.strExposedLength = options.strExposedLength;
    m_ReportOptions.strAnchorLength = options.strAnchorLength;
    m_ReportOptions.strWaveSpeed = options.strWaveSpeed;
    m_ReportOptions.strTestDate = options.strTestDate;
}

EditInputs ReportView::InputsToSave() const
{
    EditInputs inputs = m_Edit.Inputs();
    if (m_nActiveChannel >= 0 && m_nActiveChannel < kChannelCount)
        inputs.reportChannel = m_nActiveChannel;
    return inputs;
}

AnalysisValues ReportView::CollectAnalysis() const
{
    return AnalysisOf(m_Edit.Loaded(), InputsToSave());
}

bool ReportView::SaveCopyWithResults()
{
    const QString name = NameAfterLastSeparator(m_strCurPath);
    // The dialog opens in the test's folder with its name, so that Enter saves it in place.
    const QString proposed = m_strFolder.isEmpty() ? name : m_strFolder + QLatin1Char('/') + name;
    const QString target = m_fnAskSavePath(proposed);
    if (target.isEmpty())
        return false;
    return SaveTo(target);
}

bool ReportView::SaveInPlace()
{
    return SaveTo(m_strFolder + QLatin1Char('/') + NameAfterLastSeparator(m_strCurPath));
}

void ReportView::MarkSaved()
{
    m_pUndo->setClean();
}

bool ReportView::IsCurrentFile(const QString& path) const
{
    const QString current = m_strFolder + QLatin1Char('/') + NameAfterLastSeparator(m_strCurPath);
    if (path == current)
        return true;
    const QString a = QFileInfo(path).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(current).canonicalFilePath();
}

bool ReportView::SaveViewPicture()
{
    if (m_strCurPath.isEmpty()) {
        // No test on screen: there is no file to put the picture beside.
        m_fnMessage(QStringLiteral("未有选择文件，请重试！"));
        return false;
    }
    const QImage picture = grab().toImage();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int depth = screen ? screen->depth() : 32;
    const QString path = PicturePathFor(m_strCurPath);
    WriteResult result;
    const bool written = WriteBitmapFile(picture, depth, path, &result);
    update();
    // The picture is said to be saved only when it is; otherwise the user learns why not.
    m_fnMessage(written ? QStringLiteral("图片已保存至%1").arg(path) : result.message());
    return written;
}

} // namespace rovana
