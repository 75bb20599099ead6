// Runs Google Benchmark inside a Qt application object: the event loop for network benchmarks, and (GUI) the
// offscreen platform for painting benchmarks.
#include <benchmark/benchmark.h>

#include <clocale>

#ifdef HUDDLEPOD_BENCH_GUI
#include <QApplication>
using BenchApplication = QApplication;
#else
#include <QCoreApplication>
using BenchApplication = QCoreApplication;
#endif

int main(int argc, char** argv) {
#ifdef HUDDLEPOD_BENCH_GUI
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    BenchApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
