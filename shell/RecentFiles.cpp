#include "RecentFiles.h"

#include <QFileInfo>
#include <QSettings>

namespace rovana {
namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString Key(int i)
{
    return QStringLiteral("File%1").arg(i + 1);
}

} // namespace

RecentFiles::RecentFiles(const QString& organisation, const QString& application, int size,
                         QObject* parent)
    : QObject(parent), m_strOrganisation(organisation), m_strApplication(application), m_nSize(size)
{
    Read();
}

void RecentFiles::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString full = QFileInfo(path).absoluteFilePath();
    m_Entries.removeAll(full);
    m_Entries.prepend(full);
    while (m_Entries.size() > m_nSize)
        m_Entries.removeLast();
    Write();
    emit Changed();
}

void RecentFiles::Remove(int index)
{
    if (index < 0 || index >= m_Entries.size())
        return;
    m_Entries.removeAt(index);
    Write();
    emit Changed();
}

void RecentFiles::Read()
{
    QSettings settings(m_strOrganisation, m_strApplication);
    settings.beginGroup(kGroup);
    m_Entries.clear();
    for (int i = 0; i < m_nSize; ++i) {
        const QString path = settings.value(Key(i)).toString();
        if (!path.isEmpty() && !m_Entries.contains(path))
            m_Entries.append(path);
    }
}

void RecentFiles::Write() const
{
    QSettings settings(m_strOrganisation, m_strApplication);
    settings.beginGroup(kGroup);
    for (int i = 0; i < m_nSize; ++i) {
        if (i < m_Entries.size())
            settings.setValue(Key(i), m_Entries[i]);
        else
            settings.remove(Key(i));
    }
}

} // namespace rovana
