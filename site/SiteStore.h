#pragma once

#include "SafeFileWriter.h"
#include "SiteFile.h"
#include "SuggestionCache.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

namespace rovana {

// The one reader and writer of a folder's "rovana-site.json". It loads the file when a
// folder is opened and hands its settings to every user; a write goes through it and tells
// them (Changed).
//
// It keeps the guarantees of a test file's writer and more: it writes only a regular file
// of exactly that name in the folder, never through a symbolic link (of any chain), never
// onto a FIFO, device or folder, and only through SafeFileWriter (the old file or the
// complete new one). A file it cannot read or parse (not JSON, over kLargestSiteFile, a
// known key of the wrong type, a link, a FIFO, a folder, no read permission) is never
// overwritten: the settings in use are then the defaults, Warning() says why, and every
// write is refused until the engineer starts afresh (StartAfresh), which first keeps the
// old bytes beside it. Keys this program does not know are kept on every write.
//
// Beside the site file it keeps the suggestion cache (SuggestionCache.h) with the same
// guarantees: what the summary's analysis gave for each test file, by its content.
class SiteStore : public QObject
{
    Q_OBJECT

public:
    enum class State
    {
        Missing,    // no site file: defaults, and a write creates it
        Readable,   // read and parsed
        Unreadable, // there, but not ours to read or overwrite
    };

    explicit SiteStore(QObject* parent = nullptr);
    explicit SiteStore(const QString& folder, QObject* parent = nullptr);

    // Reads the site file of `folder` (empty: none) and tells the users.
    void Open(const QString& folder);
    // Reads the file again, telling the users when it changed: before a dialog that would
    // write it shows what it holds.
    void Refresh();
    const QString& Folder() const { return m_strFolder; }
    QString Path() const;

    // The settings in use: the file's, or the defaults when there is none or it cannot be
    // read.
    const SiteFile& Site() const { return m_Site; }
    State FileState() const { return m_State; }
    bool Writable() const { return m_State != State::Unreadable && !m_strFolder.isEmpty(); }
    // Why the file cannot be read ("第 57 字节处 JSON 格式错误", "是符号链接"); empty when
    // it can.
    const QString& Problem() const { return m_strProblem; }
    // "站点设置文件无法读取（原因），未作修改", or empty when the file can be read.
    QString Warning() const;
    // The message for a write that did not happen: the warning when the file cannot be
    // read, else the writer's message.
    QString MessageFor(const WriteResult& result) const;

    // Applies `change` to the settings and writes them. The file is read again first, so
    // that a write by another window is built on, not lost; refused (nothing written, the
    // warning in the result's detail) when it cannot be read. Writing settings equal to
    // what is there writes nothing.
    WriteResult Change(const std::function<void(SiteFile&)>& change,
                       const WriteOptions& options = {});

    // Whether StartAfresh can keep the old file's bytes: an unreadable regular file (not a
    // link, a FIFO or a folder).
    bool CanStartAfresh() const { return m_State == State::Unreadable && m_bKeepable; }
    // Copies the unreadable file's bytes to "rovana-site.json.bak-<yyyyMMdd-HHmmss>" beside
    // it (through the safe writer) and only then replaces it with default settings. Refused
    // unless CanStartAfresh, and when the file changed since it was read. `backup` gets the
    // copy's file name.
    WriteResult StartAfresh(QString* backup = nullptr, const WriteOptions& options = {});

    // The suggestion cache of the folder, for one pass of a summary over its test files;
    // `valueVersion` is the version of the values the pass keeps. Whatever the site file
    // holds: the cache is a file of its own.
    std::unique_ptr<SuggestionCache> Suggestions(std::uint32_t valueVersion,
                                                 const WriteOptions& options = {}) const;

signals:
    // The settings in use changed: a write, another folder, or a file found changed or
    // broken when it was read again.
    void Changed();

private:
    struct Reading;
    Reading ReadFile() const;
    bool Take(const Reading& reading);
    // Writes `bytes` as the site file and takes them as what is in use.
    WriteResult WriteAndTake(const QByteArray& bytes, const WriteOptions& options);

    QString m_strFolder;
    SiteFile m_Site;
    State m_State = State::Missing;
    QString m_strProblem;
    QByteArray m_Bytes;       // the file's bytes as last read or written
    bool m_bKeepable = false; // an unreadable regular file
};

} // namespace rovana
