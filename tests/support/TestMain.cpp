// Runs GoogleTest inside a Qt application object, so tests can use the event loop, QCoro and (GUI) widgets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

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

// A home of the process's own: ctest runs tests side by side, and a setting one writes must not reach
// another.
std::string makeTestHome() {
    const std::filesystem::path root = HUDDLEPOD_TEST_BINARY_DIR "/test-home";
    std::filesystem::create_directories(root);
    std::string home = (root / "run-XXXXXX").string();
    if (!mkdtemp(home.data())) {
        std::perror("test home");
        std::abort();
    }
    return home;
}

void setTestEnvironment(const std::string& home) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CACHE_HOME", (home + "/cache").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    setenv("LC_ALL", "C.UTF-8", 1);
    setenv("HUDDLEPOD_TEST_OUTPUT", HUDDLEPOD_TEST_BINARY_DIR "/test-output", 1);
}

} // namespace

int main(int argc, char** argv) {
    const std::string home = makeTestHome();
    setTestEnvironment(home);
    ::testing::InitGoogleMock(&argc, argv);
    int result = 0;
    {
        TestApplication app(argc, argv);
        std::setlocale(LC_NUMERIC, "C");
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
