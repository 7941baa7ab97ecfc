#include "TestEdit.h"

#include "QualityClass.h"
#include "ResultSave.h"

namespace rovana {

namespace {

ChannelMarks MarksOf(const TestRecord& record, std::size_t c)
{
    ChannelMarks marks;
    for (std::size_t m = 0; m < kMarkerCount; ++m) {
        const int p = StoredMarker(record, static_cast<int>(c), static_cast<int>(m));
        marks.set[m] = p > 0;
        marks.pos[m] = p;
    }
    marks.grade = record.m_nGrade[c];
    return marks;
}

// The markers a save stores: a bottom placed by the design-length rule is no measurement.
ChannelMarks StoredMarks(const ChannelMarks& marks)
{
    ChannelMarks stored = marks;
    if (marks.ByRule(kMarkerBottom)) {
        stored.set[kMarkerBottom] = false;
        stored.pos[kMarkerBottom] = 0;
    }
    return stored;
}

bool IsIndex(int value)
{
    return value >= 0 && value <= 3;
}

} // namespace

EditInputs InputsOf(const TestRecord& record)
{
    EditInputs inputs;
    for (std::size_t c = 0; c < kChannelCount; ++c)
        inputs.channels[c] = MarksOf(record, c);
    inputs.waveSpeed = record.m_nWaveSpeed;
    inputs.reportChannel = record.m_nReportChannel;
    return inputs;
}

AnalysisValues AnalysisOf(const TestRecord& record, const EditInputs& inputs)
{
    AnalysisValues values;
    for (std::size_t c = 0; c < kChannelCount; ++c) {
        const ChannelMarks marks = StoredMarks(inputs.channels[c]);
        ChannelAnalysis& ch = values.channels[c];
        ch.markerSet = marks.set;
        ch.markerPos = marks.pos;
        ch.grade = marks.grade;
        const std::optional<ChannelLengths> lengths =
            LengthsOf(marks.At(kMarkerEnd), marks.At(kMarkerFreeEnd), marks.At(kMarkerBottom),
                      record.m_nSampleInterval, inputs.waveSpeed);
        if (lengths) {
            ch.measuredL0 = lengths->free.value_or(0.0f);
            ch.measuredLr = lengths->anchored;
            ch.anchor = lengths->anchored;
            ch.qualityClass = DeriveQualityClass(marks.grade, record.m_fDesignLength, lengths->total);
            continue;
        }
        // Not measured: nothing reads class or anchorage length. A channel as the file holds
        // it keeps them byte for byte; one the engineer changed has none.
        const bool unchanged = MarksOf(record, c) == marks;
        ch.qualityClass = unchanged ? record.m_nQualityClass[c] : -1;
        ch.anchor = unchanged ? record.m_fPanelAnchor[c] : 0.0f;
    }
    values.activeChannel = inputs.reportChannel;
    values.waveSpeed = inputs.waveSpeed;
    return values;
}

TestRecord RecordWith(const TestRecord& record, const EditInputs& inputs)
{
    TestRecord edited = record;
    ApplyAnalysis(edited, AnalysisOf(record, inputs));
    if (edited.m_bInfoSaved == 1) {
        // The report information's copies, as a save refreshes them.
        const BoltResult result = ResultOf(edited);
        edited.m_strGradeText = result.GradeText();
        edited.m_strQualityClass = result.ClassText();
        edited.m_fExposedLength = result.report.freeLength;
        edited.m_fAnchorLength = result.report.anchorLength;
    }
    return edited;
}

MarkedLengths MarkedLengthsOf(const ChannelMarks& marks, int sampleIntervalUs, int waveSpeed)
{
    MarkedLengths m;
    m.bottomByRule = marks.ByRule(kMarkerBottom);
    m.freeEndByRule = marks.ByRule(kMarkerFreeEnd);
    m.lengths = LengthsOf(marks.At(kMarkerEnd), marks.At(kMarkerFreeEnd), marks.At(kMarkerBottom),
                          sampleIntervalUs, waveSpeed);
    if (marks.IsSet(kMarkerEnd) && marks.IsSet(kMarkerFreeEnd))
        m.freeLength = TruncToCentimetres(MarkerLength(
            marks.pos[kMarkerFreeEnd], marks.pos[kMarkerEnd], sampleIntervalUs, waveSpeed));
    return m;
}

QString LengthLine(const MarkedLengths& m, float cursorLength)
{
    const auto metres = [](std::optional<float> value, bool byRule) {
        if (!value)
            return QStringLiteral("—");
        return QString::asprintf("%.2fm", static_cast<double>(*value)) +
               (byRule ? QStringLiteral("(设计)") : QString());
    };
    std::optional<float> total, anchored;
    if (m.lengths) {
        total = m.lengths->total;
        anchored = m.lengths->anchored;
    }
    return QStringLiteral("L=%1 Lo=%2 Lr=%3 Pos=%4")
        .arg(metres(total, m.bottomByRule), metres(m.freeLength, m.freeEndByRule),
             metres(anchored, m.bottomByRule || m.freeEndByRule),
             QString::asprintf("%.2fm", static_cast<double>(cursorLength)));
}

ChannelOutcome OutcomeOf(const TestRecord& record, const EditInputs& inputs, int channel)
{
    ChannelOutcome o;
    if (channel < 0 || channel >= kChannelCount)
        return o;
    const ChannelMarks& marks = inputs.channels[static_cast<std::size_t>(channel)];
    o.result = ChannelResultOf(RecordWith(record, inputs), channel);
    o.verdict = VerdictOf(o.result);
    o.marked = MarkedLengthsOf(marks, record.m_nSampleInterval, inputs.waveSpeed);
    if (o.verdict != Verdict::NotEvaluated)
        return o;
    if (o.marked.bottomByRule && marks.IsSet(kMarkerEnd))
        o.reason = kBottomByRule;
    else if (!o.result.measured)
        o.reason = QStringLiteral("未标记端部和底部");
    else if (!IsIndex(marks.grade))
        o.reason = QStringLiteral("未选择评判标准");
    return o;
}

// ---- TestEdit -----------------------------------------------------------------------

TestEdit::TestEdit(QObject* parent) : QObject(parent)
{
    Derive();
}

void TestEdit::Load(const TestRecord& record)
{
    m_Loaded = record;
    m_Inputs = InputsOf(record);
    m_Saved = m_Inputs;
    Derive();
    m_bClassRederived = false;
    for (std::size_t c = 0; c < kChannelCount; ++c)
        if (ChannelResultOf(m_Edited, static_cast<int>(c)).measured &&
            m_Edited.m_nQualityClass[c] != record.m_nQualityClass[c])
            m_bClassRederived = true;
    emit changed();
}

void TestEdit::MarkSaved()
{
    m_Loaded = m_Edited;
    m_Saved = m_Inputs;
    m_bClassRederived = false;
    Derive();
    emit changed();
}

void TestEdit::TakeFileChange(const TestRecord& disk)
{
    if (!HasUnsavedChanges()) {
        Load(disk);
        return;
    }
    // A three-way merge: what the engineer changed stays, the rest is the file's now.
    const EditInputs theirs = InputsOf(disk);
    const auto merge = [](auto& mine, const auto& base, const auto& other) {
        if (mine == base)
            mine = other;
    };
    for (std::size_t c = 0; c < kChannelCount; ++c)
        merge(m_Inputs.channels[c], m_Saved.channels[c], theirs.channels[c]);
    merge(m_Inputs.waveSpeed, m_Saved.waveSpeed, theirs.waveSpeed);
    merge(m_Inputs.reportChannel, m_Saved.reportChannel, theirs.reportChannel);
    m_Loaded = disk;
    m_Saved = theirs;
    Derive();
    emit changed();
}

const ChannelMarks& TestEdit::Marks(int channel) const
{
    static const ChannelMarks none;
    if (channel < 0 || channel >= kChannelCount)
        return none;
    return m_Inputs.channels[static_cast<std::size_t>(channel)];
}

void TestEdit::Derive()
{
    m_Edited = RecordWith(m_Loaded, m_Inputs);
}

void TestEdit::SetInputs(const EditInputs& inputs)
{
    if (inputs == m_Inputs)
        return;
    m_Inputs = inputs;
    Derive();
    emit changed();
}

MarkerOutcome TestEdit::ApplyMarker(int channel, int marker, std::optional<int> position)
{
    if (channel < 0 || channel >= kChannelCount)
        return {};
    EditInputs next = m_Inputs;
    const MarkerOutcome outcome =
        rovana::ApplyMarker(next.channels[static_cast<std::size_t>(channel)], marker, position,
                            Basis());
    SetInputs(next);
    return outcome;
}

void TestEdit::ClearMarkers(int channel)
{
    if (channel < 0 || channel >= kChannelCount)
        return;
    EditInputs next = m_Inputs;
    ClearMarks(next.channels[static_cast<std::size_t>(channel)]);
    SetInputs(next);
}

void TestEdit::SetGrade(int channel, int grade)
{
    if (channel < 0 || channel >= kChannelCount)
        return;
    EditInputs next = m_Inputs;
    next.channels[static_cast<std::size_t>(channel)].grade = grade;
    SetInputs(next);
}

void TestEdit::SetWaveSpeed(int waveSpeed)
{
    EditInputs next = m_Inputs;
    next.waveSpeed = waveSpeed;
    SetInputs(next);
}

void TestEdit::SetReportChannel(int channel)
{
    EditInputs next = m_Inputs;
    next.reportChannel = channel;
    SetInputs(next);
}

ChannelOutcome TestEdit::Outcome(int channel) const
{
    return OutcomeOf(m_Loaded, m_Inputs, channel);
}

bool TestEdit::HasUnsavedChanges() const
{
    return m_bClassRederived || !(m_Inputs == m_Saved);
}

} // namespace rovana
