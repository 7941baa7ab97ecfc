#pragma once

#include "FileIdentity.h"

#include <QObject>
#include <QTimer>

class QFileSystemWatcher;

namespace rovana {

// The test file on screen as the window loaded it (its identity and its bytes), and whether
// the file on disk is still that. A QFileSystemWatcher on the file and on its folder starts
// a check shortly after anything happens there; the watch on the file is renewed after every
// check, because a file replaced by a rename (as every careful writer does it, this program
// included) ends the watch on the one it replaced. The window checks as well before a save
// and when it is activated, where a watch may have missed something.
class TestFileWatcher : public QObject
{
    Q_OBJECT

public:
    explicit TestFileWatcher(QObject* parent = nullptr);

    // After a load of `path` from `read`; its bytes are kept when the read was whole.
    void Remember(const QString& path, const RegularFileRead& read);
    // After this window wrote `bytes` into the file, committed by the writer as `written`.
    void TakeOwnWrite(const QByteArray& bytes, const FileIdentity& written);
    // After a write of this window whose bytes it does not hold: the file as it lies is taken
    // when it is what the writer committed; otherwise what it committed is remembered, so
    // that the later change shows.
    void TakeOwnWrite(const FileIdentity& written);

    QString Path() const { return m_strPath; }
    const FileIdentity& Loaded() const { return m_Loaded; }
    // The file's bytes as loaded or last written here; empty when not known whole.
    const QByteArray& LoadedBytes() const { return m_Bytes; }
    // The change last told, DiskChange::None when there is none.
    const DiskCheck& Told() const { return m_Told; }

    // Looks at the file now. A file only touched is taken with its new time; a change not
    // told before is told (Changed), and so is a file that is again as loaded.
    DiskCheck Check();

signals:
    // Told() has changed.
    void Changed();

private:
    void Arm();
    void Tell(const DiskCheck& check);

    QFileSystemWatcher* m_pWatcher;
    QTimer m_Settle; // several events of one write make one check
    QString m_strPath;
    FileIdentity m_Loaded;
    QByteArray m_Bytes;
    DiskCheck m_Told;
};

} // namespace rovana
