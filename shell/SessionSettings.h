#pragma once

#include <QByteArray>
#include <QString>

class QSettings;

namespace rovana {

// The organisation and application names under which QSettings keeps the program's
// settings (the recent-file list, the session).
inline const QString kOrganisation = QStringLiteral("Rovana");
inline const QString kProfileName = QStringLiteral("Rovana");
// Where earlier versions kept them: taken over once (TakeOverOldSettings).
inline const QString kOldOrganisation = QStringLiteral("应用程序向导生成的本地应用程序");

// Where the last run left off: the main window's geometry (QWidget::saveGeometry), the
// tree pane's width, the folder in the tree and the test on screen. Empty fields were
// not kept.
struct Session
{
    QByteArray geometry;
    int treeWidth = 0;
    QString folder;
    QString test;

    bool operator==(const Session&) const = default;
};

// The session kept in `settings` (group "Session").
Session ReadSession(QSettings& settings);
void WriteSession(QSettings& settings, const Session& session);

// Copies every key of `old` that `current` lacks into `current`, the first time only:
// `current` remembers that it was done, and an old file read once is never read again.
// True when something was copied.
bool TakeOverOldSettings(QSettings& old, QSettings& current);

} // namespace rovana
