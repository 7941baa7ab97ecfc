#include "FolderCalibration.h"

#include "MgFileIo.h"
#include "NativePath.h"
#include "ResultSave.h"
#include "SiteStore.h"
#include "SiteWaveSpeed.h"

#include <sys/stat.h>

#include <algorithm>

namespace rovana {

namespace {

QString LoadReason(const LoadResult& loaded)
{
    return loaded.detail.isEmpty()
               ? loaded.message()
               : QStringLiteral("%1（%2）").arg(loaded.message(), loaded.detail);
}

QString PathOf(const QString& folder, const JournalEntry& e)
{
    return PathFromNative(NativePath(folder) + '/' + e.nativeName);
}

// Failures first, each group in the folder's order.
void SortOutcomes(QList<FileOutcome>& outcomes)
{
    std::stable_sort(
        outcomes.begin(), outcomes.end(),
        [](const FileOutcome& a, const FileOutcome& b) { return a.failure && !b.failure; });
}

// What a file holds now against the journal's two hashes.
enum class Holds
{
    Before,
    After,
    Other,
    Unreadable,
};

Holds WhatItHolds(const QString& path, const JournalEntry& e, QByteArray& bytes)
{
    std::optional<QByteArray> read = ReadWholeTestFile(path);
    if (!read)
        return Holds::Unreadable;
    bytes = std::move(*read);
    const QByteArray hash = FileHash(bytes);
    if (hash == e.after)
        return Holds::After;
    return hash == e.before ? Holds::Before : Holds::Other;
}

// Puts one side of the journal's bytes into the file, checked against the hash of that
// side before anything is written. Empty on success, else why not.
QString PutBack(const QString& path, const JournalEntry& e, QByteArray bytes, bool forward,
                const WriteOptions& options)
{
    if (!PatchChanges(bytes, e.changes, forward) ||
        FileHash(bytes) != (forward ? e.after : e.before))
        return QStringLiteral("标定日志与文件不符，未写入");
    const WriteResult written = WriteWholeFileSafely(path, bytes, options);
    return written ? QString() : written.message();
}

// Takes back the journal and the record of a calibration that is not going ahead.
void Withdraw(SiteStore& store, const JournalRead& previous,
              const std::optional<SiteCalibration>& previousRecord, bool recordWritten)
{
    if (recordWritten)
        store.Change([&](SiteFile& s) { s.calibration = previousRecord; });
    if (previous.state == JournalState::Readable)
        WriteJournalBytes(store.Folder(), previous.bytes);
    else
        RemoveJournal(store.Folder());
}

} // namespace

bool CalibrationOutcome::HasFailures() const
{
    return std::any_of(unchanged.begin(), unchanged.end(),
                       [](const FileOutcome& o) { return o.failure; });
}

bool RestoreOutcome::HasFailures() const
{
    return !error.isEmpty() || std::any_of(unchanged.begin(), unchanged.end(),
                                           [](const FileOutcome& o) { return o.failure; });
}

CalibrationPlan PlanFolderCalibration(const QString& folder, int waveSpeed,
                                      const SiteCalibration& record)
{
    CalibrationPlan plan;
    plan.folder = folder;
    plan.journal.calibration = record;
    for (const FolderEntry& entry : ListTestFiles(folder)) {
        const std::optional<QByteArray> bytes = ReadWholeTestFile(entry.path);
        TestRecord test;
        const LoadResult loaded = bytes ? test.LoadFromBytes(*bytes) : test.Load(entry.path);
        if (!bytes || !loaded) {
            plan.unchanged.append(
                {entry.name, loaded ? QStringLiteral("无法读取文件") : LoadReason(loaded), true});
            continue;
        }
        QByteArray after = *bytes;
        PatchResults(after, AnalysisAtWaveSpeed(test, waveSpeed));
        if (after == *bytes) {
            plan.unchanged.append({entry.name, QStringLiteral("已是 %1 m/s").arg(waveSpeed)});
            continue;
        }
        plan.journal.files.append({entry.name, entry.native, test.m_nWaveSpeed, FileHash(*bytes),
                                   FileHash(after), DiffBytes(*bytes, after)});
    }
    SortOutcomes(plan.unchanged);
    return plan;
}

CalibrationOutcome ApplyFolderCalibration(SiteStore& store, const CalibrationPlan& plan,
                                          const CalibrationProgress& progress,
                                          const WriteOptions& options)
{
    CalibrationOutcome out;
    out.unchanged = plan.unchanged;
    const int total = static_cast<int>(plan.journal.files.size());
    const auto goOn = [&](CalibrationStage stage, int done) {
        return !progress || progress(stage, done, total);
    };
    if (store.Folder() != plan.folder)
        store.Open(plan.folder);
    if (!store.Writable()) {
        out.error = store.Warning();
        return out;
    }
    if (total == 0)
        return out;
    if (!goOn(CalibrationStage::Start, 0)) {
        out.cancelled = true;
        return out;
    }

    // The journal of the calibration before is replaced, unless it cannot be read: then it
    // is somebody else's file.
    const JournalRead previous = ReadJournal(plan.folder);
    if (previous.state == JournalState::Unreadable) {
        out.error = QStringLiteral("标定日志 %1 无法读取（%2），未作修改")
                        .arg(kCalibrationJournalName, previous.problem);
        return out;
    }
    const std::optional<SiteCalibration> previousRecord = store.Site().calibration;
    CalibrationJournal journal = plan.journal;
    journal.replaced = previousRecord;
    if (const WriteResult w = WriteJournalBytes(plan.folder, JournalBytes(journal), options); !w) {
        out.error =
            QStringLiteral("无法写入标定日志 %1：%2").arg(kCalibrationJournalName, w.message());
        return out;
    }
    if (!goOn(CalibrationStage::Journal, 0)) {
        Withdraw(store, previous, previousRecord, false);
        out.cancelled = true;
        return out;
    }
    if (const WriteResult w =
            store.Change([&](SiteFile& s) { s.calibration = plan.journal.calibration; }, options);
        !w) {
        Withdraw(store, previous, previousRecord, false);
        out.error = QStringLiteral("无法写入标定记录：%1").arg(store.MessageFor(w));
        return out;
    }
    if (!goOn(CalibrationStage::Record, 0)) {
        Withdraw(store, previous, previousRecord, true);
        out.cancelled = true;
        return out;
    }

    QList<FileOutcome> failed;
    for (int i = 0; i < total; ++i) {
        const JournalEntry& e = plan.journal.files[i];
        const QString path = PathOf(plan.folder, e);
        QByteArray bytes;
        QString why;
        switch (WhatItHolds(path, e, bytes)) {
        case Holds::After: // another name of a file already written
            break;
        case Holds::Before:
            why = PutBack(path, e, bytes, true, options);
            break;
        case Holds::Other:
            why = QStringLiteral("标定开始后已被修改，未写入");
            break;
        case Holds::Unreadable:
            why = QStringLiteral("无法读取文件");
            break;
        }
        if (why.isEmpty())
            out.changed.append(e.name);
        else
            failed.append({e.name, why, true});
        if (!goOn(CalibrationStage::FileWritten, i + 1)) {
            // Taken back: every file that now holds the new bytes gets its old ones.
            out.cancelled = true;
            QStringList kept;
            for (int k = 0; k <= i; ++k) {
                const JournalEntry& w = plan.journal.files[k];
                const QString p = PathOf(plan.folder, w);
                if (WhatItHolds(p, w, bytes) == Holds::After) {
                    if (const QString no = PutBack(p, w, bytes, false, options); !no.isEmpty()) {
                        kept.append(w.name);
                        failed.append({w.name, no, true});
                    }
                }
            }
            out.changed = kept; // what could not be taken back still has the new speed
            if (kept.isEmpty())
                Withdraw(store, previous, previousRecord, true);
            out.unchanged = failed + plan.unchanged;
            SortOutcomes(out.unchanged);
            return out;
        }
    }
    out.unchanged = failed + plan.unchanged;
    SortOutcomes(out.unchanged);
    return out;
}

bool HasCalibrationToRestore(const QString& folder)
{
    // Only whether there is one: the journal of a large folder is not read for a button.
    struct stat st;
    return ::lstat(NativePath(folder + QLatin1Char('/') + kCalibrationJournalName).constData(),
                   &st) == 0;
}

RestoreOutcome RestoreFolderCalibration(SiteStore& store, const CalibrationProgress& progress,
                                        const WriteOptions& options)
{
    RestoreOutcome out;
    const JournalRead read = ReadJournal(store.Folder());
    if (read.state == JournalState::Missing) {
        out.error = QStringLiteral("没有可恢复的波速标定");
        return out;
    }
    if (read.state == JournalState::Unreadable) {
        out.error = QStringLiteral("标定日志 %1 无法读取（%2），未作修改")
                        .arg(kCalibrationJournalName, read.problem);
        return out;
    }
    const QList<JournalEntry>& files = read.journal.files;
    const int total = static_cast<int>(files.size());
    bool keepJournal = false; // a file could not be read or written: try again later
    for (int i = 0; i < total; ++i) {
        const JournalEntry& e = files[i];
        const QString path = PathOf(store.Folder(), e);
        QByteArray bytes;
        switch (WhatItHolds(path, e, bytes)) {
        case Holds::After:
            if (const QString why = PutBack(path, e, bytes, false, options); why.isEmpty()) {
                out.restored.append(e.name);
            } else {
                out.unchanged.append({e.name, why, true});
                keepJournal = true;
            }
            break;
        case Holds::Before:
            out.unchanged.append({e.name, QStringLiteral("已是标定前的内容")});
            break;
        case Holds::Other:
            out.unchanged.append({e.name, QStringLiteral("标定后已被修改，未恢复"), true});
            break;
        case Holds::Unreadable:
            out.unchanged.append({e.name, QStringLiteral("无法读取文件"), true});
            keepJournal = true;
            break;
        }
        if (progress && !progress(CalibrationStage::FileWritten, i + 1, total)) {
            keepJournal = true;
            break;
        }
    }
    SortOutcomes(out.unchanged);
    if (keepJournal)
        return out;
    // The record goes first (back to the one this calibration replaced): a journal without
    // its record can still be restored.
    if (store.Writable())
        store.Change([&](SiteFile& s) { s.calibration = read.journal.replaced; }, options);
    RemoveJournal(store.Folder());
    return out;
}

} // namespace rovana
