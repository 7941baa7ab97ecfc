// The main window with a large site: start-up to the first paint and the load of one
// test from the tree.
//
//   rovana-shell-bench [--files=N] [--folder=DIR] [--benchmark_filter=...]
//
// --files=N    model site of N files (bench/SiteFiles.h) written to a temporary folder at
//              set-up (default 100000, about 1.3 GB of /tmp and half a minute).
// --folder=DIR take the ".mg" files of DIR instead (for instance a site kept from an
//              earlier run, so that runs of two builds see the same folder).
//
// BM_StartUpToFirstPaint creates the application object and starts it on the first test
// of the folder as the command line does, and stops when the main window has painted.
// BM_TreeLoad loads one test after the other through the tree entrance of a window
// whose tree lists the whole folder, and runs the events that follow (the repaint).
// BM_TreeFill shows the folder in the tree and counts the longest turn of the event loop
// until every file has its item.
// Settings go to a temporary folder, never to the user's own.
#include "Application.h"
#include "FileTree.h"
#include "MainWindow.h"
#include "NativePath.h"

#include "SiteFiles.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTemporaryDir>
#include <QTreeWidgetItem>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

int g_files = 100000;
QString g_folder;
QStringList g_tests; // the folder's tests in tree order

bool PrepareFolder()
{
    static std::unique_ptr<QTemporaryDir> generated;
    if (g_folder.isEmpty()) {
        generated = std::make_unique<QTemporaryDir>();
        if (!generated->isValid() || !rovana::bench::WriteSite(generated->path(), g_files)) {
            std::fprintf(stderr, "cannot write the model site\n");
            return false;
        }
        g_folder = generated->path();
    }
    if (g_tests.isEmpty())
        for (const rovana::FolderEntry& e : rovana::ListTestFiles(g_folder))
            g_tests << e.path;
    return g_tests.size() >= 2;
}

// Runs events until `done` holds or ten seconds have passed; false on the time-out.
template <typename Done> bool RunEventsUntil(Done done)
{
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > 10000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Notes the first paint of any widget of one window.
class PaintWatch : public QObject
{
public:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && window && object->isWidgetType() &&
            static_cast<QWidget*>(object)->window() == window)
            painted = true;
        return false;
    }
    QWidget* window = nullptr;
    bool painted = false;
};

void BM_StartUpToFirstPaint(benchmark::State& state)
{
    if (!PrepareFolder()) {
        state.SkipWithError("no site");
        return;
    }
    PaintWatch watch;
    qApp->installEventFilter(&watch);
    for (auto _ : state) {
        watch.painted = false;
        QElapsedTimer t;
        t.start();
        auto app = std::make_unique<rovana::Application>(QStringLiteral("RovanaBench"),
                                                         QStringLiteral("shell"));
        const bool started = app->InitInstance({g_tests.front()}, false);
        if (!started || !app->Window()) {
            state.SkipWithError("the application did not start");
            break;
        }
        watch.window = app->Window();
        app->Window()->show();
        if (!RunEventsUntil([&] { return watch.painted; })) {
            state.SkipWithError("no paint");
            break;
        }
        state.SetIterationTime(static_cast<double>(t.nsecsElapsed()) * 1e-9);
        watch.window = nullptr;
        app.reset();
        QCoreApplication::processEvents();
    }
    qApp->removeEventFilter(&watch);
}
BENCHMARK(BM_StartUpToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5)->UseManualTime();

void BM_TreeLoad(benchmark::State& state)
{
    if (!PrepareFolder()) {
        state.SkipWithError("no site");
        return;
    }
    rovana::MainWindow frame;
    frame.SetMessageSink(
        [](const QString& text) { std::fprintf(stderr, "message: %s\n", qPrintable(text)); });
    frame.resize(1200, 800);
    frame.show();
    if (!frame.LoadTest(g_tests.front(), rovana::MainWindow::LoadEntrance::Open)) {
        state.SkipWithError("the first test did not load");
        return;
    }
    // The whole folder listed first: the load is timed with every item in the tree.
    const auto listed = [&] {
        const QTreeWidgetItem* root = frame.TreePane()->RootItem();
        return root && root->childCount() == g_tests.size();
    };
    if (!RunEventsUntil(listed)) {
        state.SkipWithError("the tree did not list the folder");
        return;
    }
    QCoreApplication::processEvents();
    qsizetype next = 1;
    for (auto _ : state) {
        frame.LoadFromTree(g_tests[next]);
        QCoreApplication::processEvents();
        next = (next + 7919) % g_tests.size();
    }
}
BENCHMARK(BM_TreeLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0)->UseRealTime();

// The tree filling a folder while the window goes on: the time until every file has its
// item, and the longest single turn of the event loop meanwhile (what the user can feel).
void BM_TreeFill(benchmark::State& state)
{
    if (!PrepareFolder()) {
        state.SkipWithError("no site");
        return;
    }
    rovana::MainWindow frame;
    frame.resize(1200, 800);
    frame.show();
    rovana::FileTree& tree = *frame.TreePane();
    double longest = 0;
    for (auto _ : state) {
        tree.ShowFolder(QString());
        tree.ShowFolder(g_folder);
        QElapsedTimer all;
        all.start();
        while (tree.IsListing() && all.elapsed() < 30000) {
            QElapsedTimer turn;
            turn.start();
            QCoreApplication::processEvents();
            longest = std::max(longest, static_cast<double>(turn.nsecsElapsed()) * 1e-6);
        }
        if (tree.RootItem()->childCount() != g_tests.size())
            state.SkipWithError("the tree did not list the folder");
    }
    state.counters["longest_turn_ms"] = longest;
}
BENCHMARK(BM_TreeFill)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (!rovana::bench::ReadSiteOptions(argc, argv, 2, g_files, g_folder))
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir settings;
    if (!settings.isValid())
        return 2;
    for (QSettings::Format format : {QSettings::NativeFormat, QSettings::IniFormat})
        for (QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope})
            QSettings::setPath(format, scope, settings.path());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
