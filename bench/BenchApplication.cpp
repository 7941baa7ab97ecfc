#include "BenchApplication.h"

#include <QGuiApplication>

namespace rovana::bench {

bool EnsureGuiApplication()
{
    static int argc = 1;
    static char name[] = "rovana-bench";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance())
        return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: destroying it among the exit handlers, after Qt's thread storage
    // is gone, crashes in the font cache (the run ended with SIGSEGV after its results).
    new QGuiApplication(argc, argv);
    return true;
}

} // namespace rovana::bench
