#include "Fonts.h"

#include <QFont>

namespace rovana {

QStringList SongFaceSubstitutes()
{
    return {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Source Han Serif SC"),
            QStringLiteral("AR PL UMing CN"), QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("WenQuanYi Zen Hei")};
}

void InstallFontSubstitutions()
{
    const QStringList faces = SongFaceSubstitutes();
    QFont::insertSubstitutions(QStringLiteral("宋体"), faces);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), faces);
}

} // namespace rovana
