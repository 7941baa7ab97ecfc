#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

namespace rovana {

// The recent-file list of the application: at most `size` full paths, the most recent
// first, kept with QSettings under organisation / application in the group
// "Recent File List" as "File1", "File2", ... The list
// is read on construction and written back after every change.
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    RecentFiles(const QString& organisation, const QString& application, int size,
                QObject* parent = nullptr);

    // Puts `path` (made absolute) in front; an equal entry further down is dropped, the
    // oldest entry falls off the end.
    void Add(const QString& path);
    // Removes entry `index` (0 = most recent); an index out of range changes nothing.
    void Remove(int index);

    const QStringList& Entries() const { return m_Entries; }
    int Size() const { return m_nSize; }

signals:
    void Changed();

private:
    void Read();
    void Write() const;

    QString m_strOrganisation;
    QString m_strApplication;
    int m_nSize;
    QStringList m_Entries;
};

} // namespace rovana
