#include "CalibrationJournal.h"

#include "ContentHash.h"
#include "MgFileIo.h"
#include "NativePath.h"
#include "TestFileCheck.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace rovana {

namespace {

constexpr int kJournalVersion = 1;
// Changed runs closer than this are one run: fewer, slightly longer entries.
constexpr qint64 kJoinGap = 8;
// A journal of 100,000 files takes some tens of MB; anything beyond this is none of ours.
constexpr qint64 kLargestJournal = 512 * 1024 * 1024;

QString PathIn(const QString& folder)
{
    return folder + QLatin1Char('/') + kCalibrationJournalName;
}

QJsonObject RecordJson(const SiteCalibration& c)
{
    return {{QStringLiteral("file"), c.file},
            {QStringLiteral("knownLength"), c.knownLength},
            {QStringLiteral("waveSpeed"), c.waveSpeed},
            {QStringLiteral("previousWaveSpeed"), c.previousWaveSpeed},
            {QStringLiteral("date"), c.date}};
}

SiteCalibration RecordOf(const QJsonObject& c)
{
    return {c.value(QStringLiteral("file")).toString(),
            c.value(QStringLiteral("knownLength")).toDouble(),
            c.value(QStringLiteral("waveSpeed")).toInt(),
            c.value(QStringLiteral("previousWaveSpeed")).toInt(),
            c.value(QStringLiteral("date")).toString()};
}

bool IsHash(const QByteArray& h)
{
    if (h.size() != 64)
        return false;
    for (const char ch : h)
        if (!((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f')))
            return false;
    return true;
}

// Hex text of a JSON value; nothing unless it is a string of hex digits.
std::optional<QByteArray> Hex(const QJsonValue& v)
{
    if (!v.isString())
        return std::nullopt;
    const QByteArray text = v.toString().toLatin1();
    const auto decoded = QByteArray::fromHex(text);
    if (decoded.toHex() != text.toLower())
        return std::nullopt;
    return decoded;
}

} // namespace

QByteArray FileHash(const QByteArray& bytes)
{
    return HashBytes(bytes).toHex();
}

QList<ByteChange> DiffBytes(const QByteArray& before, const QByteArray& after)
{
    QList<ByteChange> changes;
    const qint64 n = std::min(before.size(), after.size());
    qint64 i = 0;
    while (i < n) {
        if (before[i] == after[i]) {
            ++i;
            continue;
        }
        qint64 end = i + 1; // one past the last differing byte of the run
        for (qint64 j = end; j < n && j < end + kJoinGap; ++j)
            if (before[j] != after[j])
                end = j + 1;
        changes.append({i, before.mid(i, end - i), after.mid(i, end - i)});
        i = end;
    }
    return changes;
}

bool PatchChanges(QByteArray& bytes, const QList<ByteChange>& changes, bool forward)
{
    for (const ByteChange& c : changes)
        if (c.offset < 0 || c.before.size() != c.after.size() ||
            c.offset + c.before.size() > bytes.size())
            return false;
    for (const ByteChange& c : changes)
        bytes.replace(c.offset, c.before.size(), forward ? c.after : c.before);
    return true;
}

QByteArray JournalBytes(const CalibrationJournal& journal)
{
    QJsonArray files;
    for (const JournalEntry& e : journal.files) {
        QJsonArray changes;
        for (const ByteChange& c : e.changes)
            changes.append(QJsonArray{c.offset, QString::fromLatin1(c.before.toHex()),
                                      QString::fromLatin1(c.after.toHex())});
        files.append(
            QJsonObject{{QStringLiteral("file"), e.name},
                        {QStringLiteral("nameBytes"), QString::fromLatin1(e.nativeName.toHex())},
                        {QStringLiteral("previousSpeed"), e.previousSpeed},
                        {QStringLiteral("before"), QString::fromLatin1(e.before)},
                        {QStringLiteral("after"), QString::fromLatin1(e.after)},
                        {QStringLiteral("changes"), changes}});
    }
    QJsonObject root{{QStringLiteral("version"), kJournalVersion},
                     {QStringLiteral("calibration"), RecordJson(journal.calibration)},
                     {QStringLiteral("files"), files}};
    if (journal.replaced)
        root.insert(QStringLiteral("replaced"), RecordJson(*journal.replaced));
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

std::optional<CalibrationJournal> ParseJournal(const QByteArray& bytes, QString* why)
{
    const auto fail = [why](const QString& text) -> std::optional<CalibrationJournal> {
        if (why)
            *why = text;
        return std::nullopt;
    };
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    const QJsonObject root = doc.object();
    if (error.error != QJsonParseError::NoError || !doc.isObject() ||
        root.value(QStringLiteral("version")).toInt() != kJournalVersion ||
        !root.value(QStringLiteral("files")).isArray())
        return fail(QStringLiteral("格式错误"));
    CalibrationJournal journal;
    journal.calibration = RecordOf(root.value(QStringLiteral("calibration")).toObject());
    if (root.value(QStringLiteral("replaced")).isObject())
        journal.replaced = RecordOf(root.value(QStringLiteral("replaced")).toObject());
    for (const QJsonValue& v : root.value(QStringLiteral("files")).toArray()) {
        const QJsonObject f = v.toObject();
        JournalEntry e;
        e.name = f.value(QStringLiteral("file")).toString();
        const auto native = Hex(f.value(QStringLiteral("nameBytes")));
        e.previousSpeed = f.value(QStringLiteral("previousSpeed")).toInt();
        e.before = f.value(QStringLiteral("before")).toString().toLatin1();
        e.after = f.value(QStringLiteral("after")).toString().toLatin1();
        // A name is one entry of the folder: never a path that leads elsewhere.
        if (!native || native->isEmpty() || native->contains('/') || *native == "." ||
            *native == ".." || !IsHash(e.before) || !IsHash(e.after) ||
            !f.value(QStringLiteral("changes")).isArray())
            return fail(QStringLiteral("第 %1 个文件的记录无效").arg(journal.files.size() + 1));
        e.nativeName = *native;
        for (const QJsonValue& cv : f.value(QStringLiteral("changes")).toArray()) {
            const QJsonArray a = cv.toArray();
            const auto before = Hex(a.at(1)), after = Hex(a.at(2));
            const double offset = a.at(0).toDouble(-1);
            if (a.size() != 3 || !before || !after || before->size() != after->size() ||
                offset < 0 || offset > kMaxTestFileBytes)
                return fail(QStringLiteral("%1 的改动记录无效").arg(e.name));
            e.changes.append({static_cast<qint64>(offset), *before, *after});
        }
        journal.files.append(e);
    }
    return journal;
}

JournalRead ReadJournal(const QString& folder)
{
    JournalRead r;
    const QString path = PathIn(folder);
    struct stat st;
    if (::lstat(NativePath(path).constData(), &st) != 0) {
        if (errno != ENOENT) {
            r.state = JournalState::Unreadable;
            r.problem = QStringLiteral("无法访问");
        }
        return r;
    }
    r.state = JournalState::Unreadable;
    if (S_ISLNK(st.st_mode)) {
        r.problem = QStringLiteral("是符号链接");
        return r;
    }
    bool tooLong = false;
    RegularFileRead read = ReadRegularFile(path, kLargestJournal, &tooLong);
    if (read.check != TestFileCheck::Ok || tooLong) {
        r.problem = read.check == TestFileCheck::NotRegular ? QStringLiteral("不是普通文件")
                                                            : QStringLiteral("无法读取");
        return r;
    }
    r.bytes = std::move(read.bytes);
    std::optional<CalibrationJournal> journal = ParseJournal(r.bytes, &r.problem);
    if (!journal)
        return r;
    r.state = JournalState::Readable;
    r.journal = std::move(*journal);
    return r;
}

WriteResult WriteJournalBytes(const QString& folder, const QByteArray& bytes,
                              const WriteOptions& options)
{
    WriteOptions own = options;
    own.refuseLinks = true;
    return WriteWholeFileSafely(PathIn(folder), bytes, own);
}

bool RemoveJournal(const QString& folder)
{
    const QByteArray native = NativePath(PathIn(folder));
    if (::unlink(native.constData()) != 0 && errno != ENOENT)
        return false;
    // The removal is durable only once the folder is synced.
    const QByteArray dir = NativePath(folder);
    const int fd =
        ::open(dir.isEmpty() ? "." : dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

} // namespace rovana
