#include "ReportSettingsFill.h"

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

FieldFill FillSavedInfo(const TestRecord& d, int ch, bool lengthsKnown, ChannelEvaluation e)
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

    float exposed = 0.0f;
    float anchorage = 0.0f;
    if (IsChannel(ch)) {
        if (lengthsKnown) {
            exposed = d.m_fMeasured[ch][0];
            anchorage = d.m_fMeasured[ch][1];
        }
        t[IDC_EDIT_GRADE] = NameAt(kGradeNames, e.grade);
        t[IDC_EDIT_QUALITY] = NameAt(kQualityClassNames, e.qualityClass);
    }
    t[IDC_EDIT_ANCHORAGE] = LengthText(anchorage);
    t[IDC_EDIT_EXPOSED] = LengthText(exposed);
    t[IDC_EDIT_BASIS] = d.m_strTestBasis;
    t[IDC_EDIT_INSTRUMENT] = d.m_strInstrument;
    t[IDC_EDIT_INSTALLDATE] = d.m_strInstallDate;
    t[IDC_EDIT_DESIGNLENGTH] = LengthText(d.m_fDesignLength);
    t[IDC_EDIT_TESTLENGTH] = LengthText(exposed + anchorage);
    t[IDC_EDIT_DESIGNDIAMETER] = LengthText(d.m_fDesignDiameter);
    t[IDC_EDIT_TESTDIAMETER] = LengthText(d.m_fTestDiameter);
    f.designGrade = d.m_nDesignGrade;
    return f;
}

FieldFill FillInstrumentInfo(const TestRecord& d, int ch, ChannelEvaluation e,
                             const CarryOverValues& last)
{
    FieldFill f;
    auto& t = f.texts;
    t[IDC_EDIT_ITEM] = d.m_strProject.isEmpty() ? last.itemName : d.m_strProject;
    t[IDC_EDIT_BOLTNO] = d.m_strFile;

    float exposed = 0.0f;
    float anchorage = 0.0f;
    float total = 0.0f;
    if (IsChannel(ch)) {
        exposed = d.m_fDesignL0;
        anchorage = d.m_fMeasured[ch][1];
        total = exposed + anchorage;
        t[IDC_EDIT_GRADE] = NameAt(kGradeNames, e.grade);
        t[IDC_EDIT_QUALITY] = NameAt(kQualityClassNames, e.qualityClass);
    }
    t[IDC_EDIT_ANCHORAGE] = LengthText(anchorage);
    t[IDC_EDIT_EXPOSED] = LengthText(exposed);
    t[IDC_EDIT_TOTAL] = LengthText(total);
    t[IDC_EDIT_DESIGNLENGTH] = LengthText(d.m_fDesignLength);
    t[IDC_EDIT_TESTLENGTH] = LengthText(exposed + anchorage);
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
    const float l0 = d.m_fMeasured[ch][0];
    const float lr = d.m_fMeasured[ch][1];
    return {
        {IDC_EDIT_TOTAL, LengthText(d.m_fDesignL0 + lr)},
        {IDC_EDIT_EXPOSED, LengthText(l0)},
        {IDC_EDIT_ANCHORAGE, LengthText(lr)},
        {IDC_EDIT_TESTLENGTH, LengthText(l0 + lr)},
        {IDC_EDIT_GRADE, NameAt(kGradeNames, d.m_nGrade[ch])},
        {IDC_EDIT_QUALITY, NameAt(kQualityClassNames, d.m_nQualityClass[ch])},
    };
}

} // namespace rovana
