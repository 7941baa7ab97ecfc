#include "SessionSettings.h"

#include <QSettings>

#include <algorithm>

namespace rovana {
namespace {

const QString kGroup = QStringLiteral("Session");
const QString kGeometry = QStringLiteral("Geometry");
const QString kTreeWidth = QStringLiteral("TreeWidth");
const QString kFolder = QStringLiteral("Folder");
const QString kTest = QStringLiteral("Test");
const QString kTakenOver = QStringLiteral("Settings/OldSettingsTakenOver");

} // namespace

Session ReadSession(QSettings& settings)
{
    settings.beginGroup(kGroup);
    Session s;
    s.geometry = settings.value(kGeometry).toByteArray();
    s.treeWidth = std::max(0, settings.value(kTreeWidth).toInt());
    s.folder = settings.value(kFolder).toString();
    s.test = settings.value(kTest).toString();
    settings.endGroup();
    return s;
}

void WriteSession(QSettings& settings, const Session& s)
{
    settings.beginGroup(kGroup);
    settings.setValue(kGeometry, s.geometry);
    settings.setValue(kTreeWidth, s.treeWidth);
    settings.setValue(kFolder, s.folder);
    settings.setValue(kTest, s.test);
    settings.endGroup();
    settings.sync();
}

bool TakeOverOldSettings(QSettings& old, QSettings& current)
{
    if (current.value(kTakenOver).toBool())
        return false;
    const QStringList keys = old.allKeys();
    if (keys.isEmpty())
        return false; // nothing there (yet): looked at again next time
    bool copied = false;
    for (const QString& key : keys) {
        if (current.contains(key))
            continue;
        current.setValue(key, old.value(key));
        copied = true;
    }
    current.setValue(kTakenOver, true);
    current.sync();
    return copied;
}

} // namespace rovana
