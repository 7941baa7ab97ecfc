#include "SiteStore.h"

#include "MgFileIo.h"
#include "NativePath.h"
#include "TestFileCheck.h"

#include <QDateTime>

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace rovana {

namespace {

// The most a fresh start copies aside; a larger file stays where it is.
constexpr qint64 kLargestBackup = 256 * 1024 * 1024;

WriteResult Refused(const QString& why, int error = 0)
{
    return {WriteStatus::CannotCreate, why, error};
}

// Options for a file the program owns by name: never through a link.
WriteOptions OwnFile(WriteOptions options)
{
    options.refuseLinks = true;
    return options;
}

} // namespace

struct SiteStore::Reading
{
    State state = State::Missing;
    QByteArray bytes;
    QString problem;
    bool keepable = false;
    SiteFile site;
};

SiteStore::SiteStore(QObject* parent) : QObject(parent) {}

SiteStore::SiteStore(const QString& folder, QObject* parent) : QObject(parent)
{
    Open(folder);
}

QString SiteStore::Path() const
{
    return m_strFolder + QLatin1Char('/') + kSiteFileName;
}

SiteStore::Reading SiteStore::ReadFile() const
{
    Reading r;
    if (m_strFolder.isEmpty())
        return r;
    const auto unreadable = [&r](const QString& why, bool keepable = false) {
        r.state = State::Unreadable;
        r.problem = why;
        r.keepable = keepable;
        return r;
    };
    const QByteArray native = NativePath(Path());
    struct stat st;
    if (::lstat(native.constData(), &st) != 0) {
        if (errno == ENOENT)
            return r;
        return unreadable(
            QStringLiteral("无法访问：%1").arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
    if (S_ISLNK(st.st_mode))
        return unreadable(QStringLiteral("是符号链接"));
    if (S_ISDIR(st.st_mode))
        return unreadable(QStringLiteral("是文件夹"));
    if (!S_ISREG(st.st_mode))
        return unreadable(QStringLiteral("不是普通文件"));
    bool tooLong = false;
    RegularFileRead read = ReadRegularFile(Path(), kLargestSiteFile, &tooLong);
    switch (read.check) {
    case TestFileCheck::Ok:
        break;
    case TestFileCheck::Missing:
        return r; // removed meanwhile
    case TestFileCheck::Empty:
        return unreadable(QStringLiteral("文件为空"), true);
    case TestFileCheck::NotRegular:
        return unreadable(QStringLiteral("不是普通文件"));
    case TestFileCheck::Unreadable:
        return unreadable(QStringLiteral("没有读取权限"));
    }
    if (tooLong)
        return unreadable(QStringLiteral("超过 %1 MiB").arg(kLargestSiteFile >> 20), true);
    QString why;
    std::optional<SiteFile> site = ParseSiteFile(read.bytes, &why);
    if (!site)
        return unreadable(why, true);
    r.state = State::Readable;
    r.bytes = std::move(read.bytes);
    r.site = std::move(*site);
    return r;
}

bool SiteStore::Take(const Reading& reading)
{
    const bool same =
        reading.state == m_State && reading.bytes == m_Bytes && reading.problem == m_strProblem;
    m_State = reading.state;
    m_Bytes = reading.bytes;
    m_strProblem = reading.problem;
    m_bKeepable = reading.keepable;
    m_Site = reading.site;
    return !same;
}

void SiteStore::Open(const QString& folder)
{
    m_strFolder = folder;
    Take(ReadFile());
    emit Changed();
}

void SiteStore::Refresh()
{
    if (Take(ReadFile()))
        emit Changed();
}

QString SiteStore::Warning() const
{
    if (m_State != State::Unreadable)
        return {};
    return QStringLiteral("站点设置文件无法读取（%1），未作修改").arg(m_strProblem);
}

QString SiteStore::MessageFor(const WriteResult& result) const
{
    if (m_State == State::Unreadable)
        return Warning();
    return result.message();
}

WriteResult SiteStore::Change(const std::function<void(SiteFile&)>& change,
                              const WriteOptions& options)
{
    if (m_strFolder.isEmpty())
        return Refused(QStringLiteral("没有文件夹"), ENOENT);
    Refresh(); // built on what is there now: another window may have written since
    if (m_State == State::Unreadable)
        return Refused(Warning());

    SiteFile next = m_Site;
    change(next);
    const QByteArray bytes = SiteFileBytes(next);
    if (bytes == (m_State == State::Missing ? SiteFileBytes(SiteFile{}) : m_Bytes))
        return {}; // nothing to keep
    return WriteAndTake(bytes, options);
}

WriteResult SiteStore::StartAfresh(QString* backup, const WriteOptions& options)
{
    Take(ReadFile());
    if (!CanStartAfresh())
        return Refused(m_State == State::Unreadable ? Warning()
                                                    : QStringLiteral("站点设置文件可以读取"));
    // The whole file, however long, before anything is written.
    const QByteArray native = NativePath(Path());
    struct stat before;
    if (::lstat(native.constData(), &before) != 0 || !S_ISREG(before.st_mode))
        return Refused(Warning());
    bool tooLong = false;
    const RegularFileRead old = ReadRegularFile(Path(), kLargestBackup, &tooLong);
    if (tooLong || (old.check != TestFileCheck::Ok && old.check != TestFileCheck::Empty))
        return Refused(QStringLiteral("无法备份站点设置文件"), old.error);

    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = kSiteFileName + QStringLiteral(".bak-") + stamp;
    struct stat taken;
    for (int n = 2;
         ::lstat(NativePath(m_strFolder + QLatin1Char('/') + name).constData(), &taken) == 0; ++n)
        name = kSiteFileName + QStringLiteral(".bak-%1-%2").arg(stamp).arg(n);
    if (const WriteResult kept = WriteWholeFileSafely(m_strFolder + QLatin1Char('/') + name,
                                                      old.bytes, OwnFile(options));
        !kept)
        return kept;
    if (backup)
        *backup = name;

    // The file must still be the one copied aside.
    struct stat now;
    const RegularFileRead again = ReadRegularFile(Path(), kLargestBackup);
    if (::lstat(native.constData(), &now) != 0 || !S_ISREG(now.st_mode) ||
        now.st_ino != before.st_ino || again.bytes != old.bytes)
        return Refused(QStringLiteral("站点设置文件已被其他程序修改，未作修改"));

    return WriteAndTake(SiteFileBytes(SiteFile{}), options);
}

WriteResult SiteStore::WriteAndTake(const QByteArray& bytes, const WriteOptions& options)
{
    const WriteResult written = WriteWholeFileSafely(Path(), bytes, OwnFile(options));
    if (!written)
        return written;
    Reading now;
    now.state = State::Readable;
    now.bytes = bytes;
    now.site = *ParseSiteFile(bytes);
    Take(now);
    emit Changed();
    return written;
}

std::unique_ptr<SuggestionCache> SiteStore::Suggestions(std::uint32_t valueVersion,
                                                        const WriteOptions& options) const
{
    return std::unique_ptr<SuggestionCache>(
        new SuggestionCache(m_strFolder, valueVersion, options));
}

} // namespace rovana
