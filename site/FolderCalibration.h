#pragma once

#include "CalibrationJournal.h"
#include "SafeFileWriter.h"
#include "SiteFile.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace rovana {

class SiteStore;

// One file a calibration or its restore did not change, and why.
struct FileOutcome
{
    QString file; // as the user sees it
    QString reason; // "已是 4127 m/s", "无法读取文件（…）", "标定后已被修改，未恢复"
    bool failure = false; // the file should have changed and could not
    friend bool operator==(const FileOutcome&, const FileOutcome&) = default;
};

// A wave speed for every test of a folder, worked out before anything is written: each
// file's new bytes are its own with the speed and the analysis that follows from it
// (AnalysisAtWaveSpeed, then the report copies as any save refreshes them).
struct CalibrationPlan
{
    QString folder;
    CalibrationJournal journal;   // the record and every file that will change
    QList<FileOutcome> unchanged; // files that will not: already so, or unreadable
};

CalibrationPlan PlanFolderCalibration(const QString& folder, int waveSpeed,
                                      const SiteCalibration& record);

// The points a calibration passes, each reached once what it names is durable: the
// journal, the site file's record, each test file. A progress function gets the stage and
// the files written so far; returning false cancels.
enum class CalibrationStage
{
    Start,      // nothing written yet
    Journal,    // the journal is on disk
    Record,     // the site file names the calibration
    FileWritten // one more test file has its new bytes (done of total)
};
using CalibrationProgress = std::function<bool(CalibrationStage stage, int done, int total)>;

struct CalibrationOutcome
{
    QStringList changed;          // files that now carry the new speed
    QList<FileOutcome> unchanged; // failures first, then files that needed no change
    bool cancelled = false;       // stopped and taken back: nothing recorded
    QString error; // the journal or the record could not be written: no test file changed
    bool HasFailures() const;
};

// Writes the plan: first the journal (durably, through the safe writer), then the record
// in the site file (through `store`), then each file through the safe writer, each only if
// its bytes are still those planned from. Refused, writing nothing, while the site file
// cannot be read. A cancel takes back the files already written and leaves journal and
// record as they were before. A kill at any point leaves the folder restorable.
CalibrationOutcome ApplyFolderCalibration(SiteStore& store, const CalibrationPlan& plan,
                                          const CalibrationProgress& progress = {},
                                          const WriteOptions& options = {});

struct RestoreOutcome
{
    QStringList restored;         // files put back to their bytes before the calibration
    QList<FileOutcome> unchanged; // failures first; "已是标定前的内容" is no failure
    QString error;                // no journal, or one that cannot be read: nothing done
    bool HasFailures() const;
};

// Whether the folder has a calibration to take back (a journal, readable or not).
bool HasCalibrationToRestore(const QString& folder);

// Takes the folder's last calibration back: every file that still holds the bytes the
// calibration gave it gets its own bytes from before, verified by their hash; a file
// changed since is listed and left alone; a file already as before is left as it is.
// Then, unless a write failed, the journal goes and the site file's record becomes the one
// the calibration replaced, or none (where the site file can be written). Works after a
// calibration stopped at any point. Only the last calibration has a journal: one before it
// is taken back by calibrating again.
RestoreOutcome RestoreFolderCalibration(SiteStore& store, const CalibrationProgress& progress = {},
                                        const WriteOptions& options = {});

} // namespace rovana
