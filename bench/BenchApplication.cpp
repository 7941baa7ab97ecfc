#include "BenchApplication.h"

#include <QGuiApplication>

#include <memory>

namespace rovana::bench {

bool EnsureGuiApplication()
{
    static int argc = 1;
    static char name[] = "rovana-bench";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QGuiApplication> app;
    if (QCoreApplication::instance())
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    app = std::make_unique<QGuiApplication>(argc, argv);
    return true;
}

} // namespace rovana::bench
