#pragma once

// Site files this program must neither read nor overwrite, for every writer of the site
// file to be tried against, and what a folder entry is, to see that it did not change.
#include "SiteFile.h"
#include "TestFiles.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <ostream>
#include <vector>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace rovana::test {

struct HostileSite
{
    const char* name;
    std::function<bool(const QString& folder)> make; // MG0001.mg is there already
    const char* reason;                              // as the warning gives it
    bool keepable;                                   // a fresh start can keep its bytes
};

inline QString SitePath(const QString& folder)
{
    return folder + QLatin1Char('/') + kSiteFileName;
}

inline std::vector<HostileSite> HostileSites()
{
    const auto link = [](const char* target, const QString& at) {
        return ::symlink(target, at.toLocal8Bit().constData()) == 0;
    };
    const auto text = [](const QByteArray& bytes) {
        return [bytes](const QString& folder) { return WriteBytes(SitePath(folder), bytes); };
    };
    return {
        {"a link to a test file",
         [link](const QString& f) { return link("MG0001.mg", SitePath(f)); }, "是符号链接", false},
        {"a chain of links to a test file",
         [link](const QString& f) {
             return link("MG0001.mg", f + "/l2.json") && link("l2.json", SitePath(f));
         },
         "是符号链接", false},
        {"a link to another folder's site file",
         [link](const QString& f) {
             return WriteBytes(f + "/shared.json",
                               R"({"version": 1, "reference": {"file": "MG0001.mg"}})") &&
                    link("shared.json", SitePath(f));
         },
         "是符号链接", false},
        {"a link to nothing",
         [link](const QString& f) { return link("nowhere.json", SitePath(f)); }, "是符号链接",
         false},
        {"a FIFO",
         [](const QString& f) {
             return ::mkfifo(SitePath(f).toLocal8Bit().constData(), 0644) == 0;
         },
         "不是普通文件", false},
        {"a folder", [](const QString& f) { return QDir(f).mkdir(kSiteFileName); }, "是文件夹",
         false},
        {"a trailing comma",
         text(R"({"version": 1, "reference": {"file": "MG0001.mg"}, "mine": 7,})"),
         "第 62 字节处 JSON 格式错误", true},
        {"2 MiB", text("{\"pad\": \"" + QByteArray(2 << 20, 'x') + "\"}"), "超过 1 MiB", true},
        {"a text for a number",
         text(R"({"version": 1, "processing": {"enabled": true, "order": "4"}})"),
         "“processing.order”应为整数", true},
        {"an object for a name", text(R"({"version": 1, "reference": {"file": {"n": 1}}})"),
         "“reference.file”应为文本", true},
        {"a newer version", text(R"({"version": 2})"), "版本 2 高于本程序支持的 1", true},
        {"an amplitude of 0", text(R"({"version": 1, "amplitude": [null, 0, "fit"]})"),
         "“amplitude[1]”应为正整数、\"fit\" 或 null", true},
    };
}

// What is at `path`, without following a link or opening a FIFO: its kind and its bytes or
// its link's text.
inline QByteArray EntryImage(const QString& path)
{
    const QByteArray native = path.toLocal8Bit();
    struct stat st;
    if (::lstat(native.constData(), &st) != 0)
        return "missing";
    if (S_ISLNK(st.st_mode)) {
        char target[4096];
        const ssize_t n = ::readlink(native.constData(), target, sizeof target);
        return "link:" + QByteArray(target, n > 0 ? n : 0);
    }
    if (S_ISFIFO(st.st_mode))
        return "fifo";
    if (S_ISDIR(st.st_mode))
        return "folder";
    return "file:" + ReadBytes(path);
}

// Every entry of a folder by name, as EntryImage sees it.
inline QMap<QString, QByteArray> FolderImage(const QString& folder)
{
    QMap<QString, QByteArray> image;
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot))
        image.insert(name, EntryImage(folder + QLatin1Char('/') + name));
    return image;
}

inline QString SiteWarning(const char* reason)
{
    return QStringLiteral("站点设置文件无法读取（%1），未作修改").arg(QString::fromUtf8(reason));
}

} // namespace rovana::test
