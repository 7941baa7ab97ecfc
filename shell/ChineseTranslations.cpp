#include "ChineseTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <memory>

namespace rovana {

bool InstallChineseTranslations(const QString& folder)
{
    const QLocale chinese(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    QLocale::setDefault(chinese);

    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    const QString dir =
        folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    // qtbase holds the texts of Core, Gui, Widgets and PrintSupport; the qt_ collection
    // loads it together with the catalogues of the other modules.
    for (const char* catalogue : {"qtbase_zh_CN", "qt_zh_CN"}) {
        auto translator = std::make_unique<QTranslator>(app);
        if (translator->load(QString::fromLatin1(catalogue), dir) &&
            QCoreApplication::installTranslator(translator.get())) {
            translator.release(); // owned by the application from now on
            return true;
        }
    }
    return false;
}

} // namespace rovana
