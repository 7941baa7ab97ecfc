#include "NativePath.h"

#include "AnsiCodec.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rovana {
namespace {

constexpr char16_t kEscapeFirst = 0xDC80; // byte 0x80
constexpr char16_t kEscapeLast = 0xDCFF;  // byte 0xFF

bool IsEscape(const QString& s, qsizetype i)
{
    const char16_t c = s[i].unicode();
    if (c < kEscapeFirst || c > kEscapeLast)
        return false;
    return i == 0 || !s[i - 1].isHighSurrogate(); // a paired low surrogate is a character
}

bool HasEscapes(const QString& s)
{
    for (qsizetype i = 0; i < s.size(); ++i)
        if (IsEscape(s, i))
            return true;
    return false;
}

// The exact bytes of a component with escapes: escapes become their byte, runs of other
// characters their UTF-8.
QByteArray UnescapeBytes(const QString& s)
{
    QByteArray out;
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (!IsEscape(s, i))
            continue;
        out += s.mid(runStart, i - runStart).toUtf8();
        out += static_cast<char>(s[i].unicode() - 0xDC00);
        runStart = i + 1;
    }
    out += s.mid(runStart).toUtf8();
    return out;
}

bool IsAscii(const QString& s)
{
    return std::all_of(s.begin(), s.end(), [](QChar c) { return c.unicode() < 0x80; });
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const QByteArray& b)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData());
    const qsizetype n = b.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        int len = 0;
        unsigned lo = 0x80, hi = 0xBF; // range of the second byte
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            len = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            if (c == 0xE0)
                lo = 0xA0;
            if (c == 0xED)
                hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            if (c == 0xF0)
                lo = 0x90;
            if (c == 0xF4)
                hi = 0x8F;
        } else {
            return false;
        }
        if (i + len > n || p[i + 1] < lo || p[i + 1] > hi)
            return false;
        for (int k = 2; k < len; ++k)
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return false;
        i += len;
    }
    return true;
}

bool Exists(const QByteArray& native)
{
    struct stat st;
    return ::lstat(native.constData(), &st) == 0;
}

// The bytes of one component, given the bytes of the folder it lies in (ending in '/'
// or empty for the working folder).
QByteArray ComponentBytes(const QByteArray& prefix, const QString& component)
{
    if (HasEscapes(component))
        return UnescapeBytes(component);
    const QByteArray utf8 = component.toUtf8();
    if (IsAscii(component) || Exists(prefix + utf8))
        return utf8;
    const QByteArray ansi = ToAnsi(component);
    if (FromAnsi(ansi) == component && Exists(prefix + ansi))
        return ansi;
    return utf8;
}

// The QString of one component's bytes (see PathFromNative).
QString ComponentString(const QByteArray& prefix, const QByteArray& bytes)
{
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    const QString decoded = FromAnsi(bytes);
    if (!decoded.contains(QChar::ReplacementCharacter) && ToAnsi(decoded) == bytes &&
        !Exists(prefix + decoded.toUtf8()))
        return decoded;
    QString escaped;
    for (const char ch : bytes) {
        const auto byte = static_cast<unsigned char>(ch);
        escaped += byte < 0x80 ? QChar(byte) : QChar(static_cast<char16_t>(0xDC00 + byte));
    }
    return escaped;
}

bool EndsInMg(const QString& name)
{
    return name.endsWith(QLatin1String(".mg"), Qt::CaseInsensitive);
}

} // namespace

QByteArray NativePath(const QString& path)
{
    QByteArray out;
    const QStringList parts = path.split(QLatin1Char('/'));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0)
            out += '/';
        const QString& part = parts[i];
        if (part.isEmpty() || part == QLatin1String(".") || part == QLatin1String(".."))
            out += part.toLatin1();
        else
            out += ComponentBytes(out, part);
    }
    return out;
}

QString PathFromNative(const QByteArray& native)
{
    QString out;
    QByteArray prefix;
    const QList<QByteArray> parts = native.split('/');
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i > 0) {
            out += QLatin1Char('/');
            prefix += '/';
        }
        out += ComponentString(prefix, parts[i]);
        prefix += parts[i];
    }
    return out;
}

QString DisplayName(const QString& component)
{
    QString shown = component;
    for (qsizetype i = 0; i < shown.size(); ++i)
        if (IsEscape(component, i))
            shown[i] = QChar::ReplacementCharacter;
    return shown;
}

QList<FolderEntry> ListFolder(const QString& folder, int* error)
{
    QList<FolderEntry> entries;
    if (error)
        *error = 0;
    const QByteArray native = NativePath(folder);
    DIR* dir = ::opendir(native.isEmpty() ? "." : native.constData());
    if (!dir) {
        if (error)
            *error = errno;
        return entries;
    }
    const QByteArray prefix = native.isEmpty() ? QByteArray() : native + '/';
    const QString folderPrefix = folder.isEmpty() ? QString() : folder + QLatin1Char('/');
    for (;;) {
        errno = 0; // readdir tells the end from a failure by errno alone
        const dirent* d = ::readdir(dir);
        if (!d) {
            if (errno != 0) {
                if (error)
                    *error = errno;
                entries.clear();
            }
            break;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0)
            continue;
        FolderEntry e;
        e.native = QByteArray(d->d_name);
        const QString component = ComponentString(prefix, e.native);
        e.name = DisplayName(component);
        e.path = folderPrefix + component;
        struct stat st;
        // stat, not open: examining a FIFO or a device this way cannot block.
        if (::fstatat(::dirfd(dir), d->d_name, &st, 0) == 0) {
            if (S_ISREG(st.st_mode))
                e.kind = EntryKind::Regular;
            else if (S_ISDIR(st.st_mode))
                e.kind = EntryKind::Directory;
            else
                e.kind = EntryKind::Other;
        } else if (errno == EACCES) {
            e.kind = EntryKind::NoAccess;
        }
        entries.append(std::move(e));
    }
    ::closedir(dir);
    return entries;
}

QList<FolderEntry> ListTestFiles(const QString& folder, int* error)
{
    QList<FolderEntry> files = ListFolder(folder, error);
    // A test in a folder that can be listed but not entered is still a test: its load
    // says why it cannot be read, where leaving it out would hide it.
    files.removeIf([](const FolderEntry& e) {
        return (e.kind != EntryKind::Regular && e.kind != EntryKind::NoAccess) ||
               e.name.isEmpty() || !EndsInMg(e.name);
    });
    std::sort(files.begin(), files.end(), [](const FolderEntry& a, const FolderEntry& b) {
        const int byName = a.name.compare(b.name);
        return byName != 0 ? byName < 0 : a.native < b.native;
    });
    return files;
}

} // namespace rovana
