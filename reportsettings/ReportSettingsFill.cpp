#include "ReportSettingsFill.h"

#include "BoltResult.h"
#include "NameTables.h"
#include "ReportSettingsIds.h"
#include "TestDate.h"
#include "TestRecord.h"

namespace rovana {

using namespace reportsettings;

namespace {

bool IsChannel(int ch)
{
    return ch >= 0 && ch < kChannelCount;
}

QString WaveSpeedText(int metresPerSecond)
{
    return QString::asprintf("%d", metresPerSecond);
}

} // namespace

QString LengthText(float metres)
{
    return QString::asprintf("%0.2f", static_cast<double>(metres));
}

int ChannelAtOpening(int reportChannel)
{
    return reportChannel == 0 || reportChannel == 1 ? reportChannel : 2;
}

std::optional<int> ChannelOnSelection(int reportChannel)
{
    if (IsChannel(reportChannel))
        return reportChannel;
    return std::nullopt;
}

namespace {

// The report information's copies of channel r's analysis: read-only in the dialog.
void FillAnalysisCopies(std::map<int, QString>& t, const ChannelResult& r)
{
    t[IDC_EDIT_GRADE] = NameAt(kGradeNames, r.grade);
    t[IDC_EDIT_QUALITY] = NameAt(kQualityClassNames, r.qualityClass);
    t[IDC_EDIT_EXPOSED] = LengthText(r.freeLength);
    t[IDC_EDIT_ANCHORAGE] = LengthText(r.anchorLength);
    t[IDC_EDIT_TESTLENGTH] = LengthText(r.length);
}

} // namespace

FieldFill FillSavedInfo(const TestRecord& d, int ch)
{
    FieldFill f;
    auto& t = f.texts;
    t[IDC_EDIT_TITLE] = kReportTitle;
    t[IDC_EDIT_PROJECT] = d.m_strProjectName;
    t[IDC_EDIT_ITEM] = d.m_strItemName;
    t[IDC_EDIT_BOLTNO] = d.m_strBoltNo;
    t[IDC_EDIT_WAVESPEED] = WaveSpeedText(d.m_nWaveSpeed);
    t[IDC_EDIT_TESTDATE] = d.m_strTestDate;
    t[IDC_EDIT_TESTUNIT] = d.m_strTestUnit;
    t[IDC_EDIT_TESTER] = d.m_strTester;
    FillAnalysisCopies(t, ChannelResultOf(d, ch));
    t[IDC_EDIT_BASIS] = d.m_strTestBasis;
    t[IDC_EDIT_INSTRUMENT] = d.m_strInstrument;
    t[IDC_EDIT_INSTALLDATE] = d.m_strInstallDate;
    t[IDC_EDIT_DESIGNLENGTH] = LengthText(d.m_fDesignLength);
    t[IDC_EDIT_DESIGNDIAMETER] = LengthText(d.m_fDesignDiameter);
    t[IDC_EDIT_TESTDIAMETER] = LengthText(d.m_fTestDiameter);
    f.designGrade = d.m_nDesignGrade;
    return f;
}

FieldFill FillInstrumentInfo(const TestRecord& d, int ch, const CarryOverValues& last)
{
    FieldFill f;
    auto& t = f.texts;
    t[IDC_EDIT_ITEM] = d.m_strProject.isEmpty() ? last.itemName : d.m_strProject;
    t[IDC_EDIT_BOLTNO] = d.m_strFile;

    const ChannelResult r = ChannelResultOf(d, ch);
    FillAnalysisCopies(t, r);
    t[IDC_EDIT_TOTAL] = LengthText(r.channel < 0 ? 0.0f : d.m_fDesignL0 + r.anchorLength);
    t[IDC_EDIT_DESIGNLENGTH] = LengthText(d.m_fDesignLength);
    t[IDC_EDIT_DESIGNDIAMETER] = LengthText(d.m_fDesignDiameter);
    t[IDC_EDIT_TESTDIAMETER] = LengthText(d.m_fTestDiameter);
    f.designGrade = d.m_nDesignGrade;
    t[IDC_EDIT_WAVESPEED] = WaveSpeedText(d.m_nWaveSpeed);

    QString date = FormatDate(d.m_tTestDate);
    if (date.isEmpty())
        date = last.testDate;
    t[IDC_EDIT_TESTDATE] = date;
    f.testDate = date;
    t[IDC_EDIT_TITLE] = kReportTitle;

    t[IDC_EDIT_INSTALLDATE] = last.installDate;
    t[IDC_EDIT_TESTUNIT] = last.testUnit;
    t[IDC_EDIT_TESTER] = last.tester;
    return f;
}

std::map<int, QString> ChannelClickTexts(const TestRecord& d, int ch)
{
    std::map<int, QString> t;
    const ChannelResult r = ChannelResultOf(d, ch);
    FillAnalysisCopies(t, r);
    t[IDC_EDIT_TOTAL] = LengthText(d.m_fDesignL0 + r.anchorLength);
    return t;
}

} // namespace rovana
