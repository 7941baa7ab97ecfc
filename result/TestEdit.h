#pragma once

#include "AnalysisSave.h"
#include "BoltResult.h"
#include "ChannelMarks.h"
#include "Lengths.h"
#include "MarkerRules.h"

#include <QObject>
#include <QString>

#include <array>
#include <optional>

namespace rovana {

// What the engineer set on the test being edited; everything else is derived from it.
struct EditInputs
{
    std::array<ChannelMarks, kChannelCount> channels{};
    int waveSpeed = 0;      // m/s
    int reportChannel = -1; // the channel the sheet reports, 0..2; anything else for none
    friend bool operator==(const EditInputs&, const EditInputs&) = default;
};

// The inputs a record holds: markers stored > 0 (all the engineer's: a file cannot tell a
// placement by rule apart), grades, the wave speed and the report channel.
EditInputs InputsOf(const TestRecord& record);

// What a save of `inputs` into `record`'s file writes: the markers (a bottom placed by the
// design-length rule is not stored), the lengths by the length rule from the markers
// (with end and bottom: L0 cut to centimetres, 0 without a free end, Lr = L - L0), the
// grades, the classes derived from grade and L, the panel's anchorage length Lr, the report
// channel and the wave speed. A channel without end and bottom keeps its stored class and
// anchorage length, which nothing reads.
AnalysisValues AnalysisOf(const TestRecord& record, const EditInputs& inputs);

// `record` as that save leaves it in memory.
TestRecord RecordWith(const TestRecord& record, const EditInputs& inputs);

// "底部未实测（按设计长度）": the bottom stands where the design-length rule put it.
inline const QString kBottomByRule = QStringLiteral("底部未实测（按设计长度）");

// The lengths a channel's marks give as they stand, for the view.
struct MarkedLengths
{
    // With the end and bottom set, a bottom by rule included (shown as designed).
    std::optional<ChannelLengths> lengths;
    // L0 from the end and free end alone (the bottom need not be set), cut to centimetres.
    std::optional<float> freeLength;
    bool bottomByRule = false;
    bool freeEndByRule = false;
};
MarkedLengths MarkedLengthsOf(const ChannelMarks& marks, int sampleIntervalUs, int waveSpeed);

// The view's length line: "L=2.10m Lo=0.76m Lr=1.34m Pos=0.50m"; a length nobody marked is
// "—", one placed by the design-length rule carries "(设计)". `cursorLength` is Pos.
QString LengthLine(const MarkedLengths& marked, float cursorLength);

// One channel of the test being edited as the panel, the view and every output show it.
struct ChannelOutcome
{
    ChannelResult result; // lengths, grade and class as the sheet and the summary report them
    Verdict verdict = Verdict::NotEvaluated;
    QString reason; // why the channel is not evaluated; empty when it is
    MarkedLengths marked;
};
ChannelOutcome OutcomeOf(const TestRecord& record, const EditInputs& inputs, int channel);

// The test being edited: the record it came from, the engineer's inputs, and the one
// function that derives every other value from them on each call. Every view, the panel,
// the save and the print read it; every change goes through it and ends in changed().
// Undo copies Inputs(); "unsaved" means the inputs differ from what was loaded or last
// saved, or the load found a stored class the rule does not give.
class TestEdit : public QObject
{
    Q_OBJECT

public:
    explicit TestEdit(QObject* parent = nullptr);

    // A test loaded from its file: its inputs become the saved state. The stored class of
    // every measured channel is checked against the rule; ClassRederived() says whether one
    // disagreed (the derived one is shown, and the test counts as changed until saved).
    void Load(const TestRecord& record);
    // A save wrote the test into its own file: the file now holds Edited().
    void MarkSaved();
    // The file changed on disk under the test (a folder's calibration, the report
    // settings): `disk` is what it holds now. Without unsaved changes the test is loaded
    // anew; with them, each input the engineer changed (a channel's marks, the wave speed,
    // the report channel) stays, the others take the file's.
    void TakeFileChange(const TestRecord& disk);

    // The record as loaded, with the inputs applied as a save would (RecordWith).
    const TestRecord& Edited() const { return m_Edited; }
    const TestRecord& Loaded() const { return m_Loaded; }
    const EditInputs& Inputs() const { return m_Inputs; }
    const ChannelMarks& Marks(int channel) const;
    PlacementBasis Basis() const { return PlacementBasisOf(m_Loaded, m_Inputs.waveSpeed); }

    // Changes; each ends in changed() when it changed anything.
    void SetInputs(const EditInputs& inputs);
    MarkerOutcome ApplyMarker(int channel, int marker, std::optional<int> position);
    void ClearMarkers(int channel);
    void SetGrade(int channel, int grade);
    void SetWaveSpeed(int waveSpeed);
    void SetReportChannel(int channel);

    ChannelOutcome Outcome(int channel) const;
    BoltResult Result() const { return ResultOf(m_Edited); }
    AnalysisValues ToSave() const { return AnalysisOf(m_Loaded, m_Inputs); }

    bool HasUnsavedChanges() const;
    bool ClassRederived() const { return m_bClassRederived; }

signals:
    void changed();

private:
    void Derive();

    TestRecord m_Loaded;
    TestRecord m_Edited;
    EditInputs m_Inputs;
    EditInputs m_Saved;
    bool m_bClassRederived = false;
};

} // namespace rovana
