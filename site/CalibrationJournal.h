#pragma once

#include "SafeFileWriter.h"
#include "SiteFile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace rovana {

// The journal of a folder's last wave-speed calibration, "rovana-calibration.json" beside
// its tests: written durably before the first test file is touched, it holds for every file
// the calibration changes its own previous speed, a SHA-256 of its bytes before and after
// and the bytes that change (old and new), so that the calibration can be taken back byte
// for byte from any point at which it stopped.
inline const QString kCalibrationJournalName = QStringLiteral("rovana-calibration.json");

// Bytes of one file that a calibration replaces; offsets from the file's start.
struct ByteChange
{
    qint64 offset = 0;
    QByteArray before, after; // of equal length
    friend bool operator==(const ByteChange&, const ByteChange&) = default;
};

struct JournalEntry
{
    QString name;             // as the user sees it
    QByteArray nativeName;    // the name's bytes on disk
    int previousSpeed = 0;    // m/s
    QByteArray before, after; // SHA-256 of the whole file, hex
    QList<ByteChange> changes;
    friend bool operator==(const JournalEntry&, const JournalEntry&) = default;
};

struct CalibrationJournal
{
    SiteCalibration calibration;
    // The site file's record of the calibration before, put back when this one is taken
    // back.
    std::optional<SiteCalibration> replaced;
    QList<JournalEntry> files;
    friend bool operator==(const CalibrationJournal&, const CalibrationJournal&) = default;
};

// SHA-256 of `bytes`, hex.
QByteArray FileHash(const QByteArray& bytes);

// The runs of bytes in which `after` differs from `before` (same length), runs closer
// than a few bytes taken together.
QList<ByteChange> DiffBytes(const QByteArray& before, const QByteArray& after);

// Puts the `after` (forward) or `before` (backward) side of every change into `bytes`;
// false, leaving `bytes` as they were, when a change does not fit into them.
bool PatchChanges(QByteArray& bytes, const QList<ByteChange>& changes, bool forward);

// The journal's file: its bytes and back. A journal that cannot be read gives nothing and
// `why`.
QByteArray JournalBytes(const CalibrationJournal& journal);
std::optional<CalibrationJournal> ParseJournal(const QByteArray& bytes, QString* why = nullptr);

// The folder's journal file, as the site file: only a regular file of that name, never
// through a link, through the safe writer.
enum class JournalState
{
    Missing,
    Readable,
    Unreadable,
};
struct JournalRead
{
    JournalState state = JournalState::Missing;
    CalibrationJournal journal;
    QByteArray bytes; // the file's bytes when it is a regular file
    QString problem;  // why it cannot be read
};
JournalRead ReadJournal(const QString& folder);
WriteResult WriteJournalBytes(const QString& folder, const QByteArray& bytes,
                              const WriteOptions& options = {});
// Removes the journal (the name only; a link there is removed, never what it points to).
bool RemoveJournal(const QString& folder);

} // namespace rovana
