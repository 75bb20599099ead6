// Runs GoogleTest inside a Qt application object, so tests can use the event loop, QCoro and (GUI) widgets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#ifdef HUDDLEPOD_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

// The test environment is set here rather than through ctest: gtest_discover_tests splits a list-valued
// ENVIRONMENT property into separate properties, so only its first entry would reach the tests.
// The sanitizers read their options before main, hence the hooks.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=1:abort_on_error=0";
}

extern "C" const char* __lsan_default_options() {
    return "suppressions=" HUDDLEPOD_TEST_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}

namespace {

void setTestEnvironment() {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CACHE_HOME", HUDDLEPOD_TEST_BINARY_DIR "/test-home/cache", 1);
    setenv("XDG_CONFIG_HOME", HUDDLEPOD_TEST_BINARY_DIR "/test-home/config", 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("HUDDLEPOD_TEST_OUTPUT", HUDDLEPOD_TEST_BINARY_DIR "/test-output", 1);
}

} // namespace

int main(int argc, char** argv) {
    setTestEnvironment();
    ::testing::InitGoogleMock(&argc, argv);
    TestApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
