#include "Fonts.h"

#include "NameTables.h"

#include <QFont>

namespace rovana {

QStringList SongFaceSubstitutes()
{
    return SongFamilies().mid(2); // without "宋体" and "SimSun" themselves
}

void InstallFontSubstitutions()
{
    const QStringList faces = SongFaceSubstitutes();
    QFont::insertSubstitutions(QStringLiteral("宋体"), faces);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), faces);
}

} // namespace rovana
