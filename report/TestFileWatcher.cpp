#include "TestFileWatcher.h"

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace rovana {

namespace {

// How long a burst of events (a write creates, renames and removes names) may take before
// the file is looked at.
constexpr int kSettleMs = 100;

} // namespace

TestFileWatcher::TestFileWatcher(QObject* parent)
    : QObject(parent), m_pWatcher(new QFileSystemWatcher(this))
{
    m_Settle.setSingleShot(true);
    m_Settle.setInterval(kSettleMs);
    connect(&m_Settle, &QTimer::timeout, this, [this] { Check(); });
    const auto settle = [this] { m_Settle.start(); };
    connect(m_pWatcher, &QFileSystemWatcher::fileChanged, this, settle);
    connect(m_pWatcher, &QFileSystemWatcher::directoryChanged, this, settle);
}

void TestFileWatcher::Remember(const QString& path, const RegularFileRead& read)
{
    if (path != m_strPath) {
        const QStringList watched = m_pWatcher->files() + m_pWatcher->directories();
        if (!watched.isEmpty())
            m_pWatcher->removePaths(watched);
    }
    m_strPath = path;
    m_Loaded = IdentityOf(read);
    m_Bytes = m_Loaded.known() ? read.bytes : QByteArray();
    Arm();
    Tell({});
}

void TestFileWatcher::TakeOwnWrite(const QByteArray& bytes, const FileIdentity& written)
{
    m_Loaded = written;
    m_Bytes = bytes;
    Arm();
    Tell({});
}

void TestFileWatcher::TakeOwnWrite(const FileIdentity& written)
{
    const RegularFileRead read = ReadRegularFile(m_strPath, written.size + 1);
    const FileIdentity lying = IdentityOf(read);
    m_Loaded = lying.sameContent(written) ? lying : written;
    m_Bytes = lying.sameContent(written) ? read.bytes : QByteArray();
    Arm();
    Tell({});
}

DiskCheck TestFileWatcher::Check()
{
    if (m_strPath.isEmpty())
        return {};
    DiskCheck check = CheckAgainstDisk(m_Loaded, m_strPath);
    if (check.change == DiskChange::Touched) {
        m_Loaded.modified = check.now.modified;
        check.change = DiskChange::None;
    }
    Arm();
    Tell(check);
    return check;
}

void TestFileWatcher::Arm()
{
    // The watch on the file is taken afresh: it may still be on a file renamed over since.
    // Adding what does not exist only makes the watcher complain; the folder's watch tells
    // when the file appears again.
    const QString folder = QFileInfo(m_strPath).absolutePath();
    if (!m_pWatcher->directories().contains(folder) && QFileInfo(folder).isDir())
        m_pWatcher->addPath(folder);
    if (m_pWatcher->files().contains(m_strPath))
        m_pWatcher->removePath(m_strPath);
    if (QFileInfo(m_strPath).isFile())
        m_pWatcher->addPath(m_strPath);
}

void TestFileWatcher::Tell(const DiskCheck& check)
{
    const bool news = check.change != m_Told.change ||
                      (check.change == DiskChange::Changed && !(check.now == m_Told.now));
    if (!news)
        return;
    m_Told = check;
    emit Changed();
}

} // namespace rovana
