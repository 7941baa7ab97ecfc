#include "SheetFace.h"

#include "NameTables.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QtDebug>

namespace rovana::sheet {

QStringList SheetFaceFolders()
{
    return {QDir::cleanPath(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/" ROVANA_FONTS_FROM_BIN)),
            QStringLiteral(ROVANA_FONTS_INSTALL_DIR)};
}

bool LoadSheetFace()
{
    static const bool loaded = [] {
        for (const QString& folder : SheetFaceFolders()) {
            const QString path = QDir(folder).filePath(QString::fromLatin1(kSheetFaceFile));
            if (!QFileInfo::exists(path))
                continue;
            const int id = QFontDatabase::addApplicationFont(path);
            if (id >= 0 && QFontDatabase::applicationFontFamilies(id).contains(
                               QString::fromLatin1(kSheetFaceFamily)))
                return true;
        }
        qWarning("%s not found in %s: the sheet uses the installed Song-style faces, whose "
                 "text a PDF does not give back faithfully",
                 kSheetFaceFile, qPrintable(SheetFaceFolders().join(QStringLiteral(", "))));
        return false;
    }();
    return loaded;
}

QStringList SheetFamilies()
{
    QStringList families = SongFamilies();
    if (LoadSheetFace()) {
        // Just before its source, which stays for the characters the derived face leaves out.
        const qsizetype source = families.indexOf(QStringLiteral("Noto Serif CJK SC"));
        families.insert(source >= 0 ? source : families.size(),
                        QString::fromLatin1(kSheetFaceFamily));
    }
    return families;
}

} // namespace rovana::sheet
