// Latency of a global shortcut: an XTest key press on a private Xvfb to the registry's action, Ctrl+Alt+S
// held.
#include "tests/support/XServerHarness.h"

#include "GlobalShortcuts/GlobalShortcuts.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <vector>

namespace {

using namespace huddlepod;
using Clock = std::chrono::steady_clock;

// X keycodes of the US keyboard (evdev + 8).
constexpr xcb_keycode_t kControl = 37;
constexpr xcb_keycode_t kAlt = 64;
constexpr xcb_keycode_t kS = 39;

xcb_connection_t* keyboard = nullptr; // a second client, standing in for the keyboard

void fakeKey(std::uint8_t type, xcb_keycode_t keycode) {
    xcb_test_fake_input(keyboard, type, keycode, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    xcb_flush(keyboard);
}

void pressToAction(benchmark::State& state) {
    QTemporaryDir dir;
    GlobalShortcuts::Registry registry(
        std::make_unique<QSettings>(dir.filePath(QStringLiteral("s.ini")), QSettings::IniFormat),
        x11::makeKeyGrabber());
    GlobalShortcuts::Registry::setShared(&registry);
    Clock::time_point pressedAt;
    Clock::time_point actionAt;
    bool released = false;
    const GlobalShortcuts::Name name = GlobalShortcuts::toggleSearchName();
    GlobalShortcuts::onKeyDown(name, [&] { actionAt = Clock::now(); });
    GlobalShortcuts::onKeyUp(name, [&] { released = true; });

    fakeKey(XCB_KEY_PRESS, kControl);
    fakeKey(XCB_KEY_PRESS, kAlt);
    std::vector<double> latencies;
    for (auto _ : state) {
        actionAt = {};
        released = false;
        pressedAt = Clock::now();
        fakeKey(XCB_KEY_PRESS, kS);
        if (!test::XServerHarness::waitFor([&] { return actionAt != Clock::time_point{}; })) {
            state.SkipWithError("the action never ran");
            break;
        }
        const std::chrono::duration<double> latency = actionAt - pressedAt;
        state.SetIterationTime(latency.count());
        latencies.push_back(latency.count() * 1000);
        fakeKey(XCB_KEY_RELEASE, kS);
        test::XServerHarness::waitFor([&] { return released; });
    }
    fakeKey(XCB_KEY_RELEASE, kAlt);
    fakeKey(XCB_KEY_RELEASE, kControl);
    GlobalShortcuts::Registry::setShared(nullptr);
    if (!latencies.empty()) {
        std::sort(latencies.begin(), latencies.end());
        state.counters["median_ms"] = latencies[latencies.size() / 2];
        state.counters["max_ms"] = latencies.back();
    }
}
BENCHMARK(pressToAction)->Iterations(200)->UseManualTime()->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    test::XServerHarness server;
    if (!server.isRunning()) {
        std::fprintf(stderr, "Xvfb did not start; nothing measured\n");
        return 1;
    }
    std::string arg0 = "bench", platformFlag = "-platform", platform = "xcb", displayFlag = "-display",
                display = server.display().toStdString();
    std::vector<char*> args{arg0.data(), platformFlag.data(), platform.data(), displayFlag.data(),
                            display.data()};
    int qtArgc = static_cast<int>(args.size());
    QApplication app(qtArgc, args.data());
    std::setlocale(LC_NUMERIC, "C");
    keyboard = xcb_connect(display.c_str(), nullptr);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    xcb_disconnect(keyboard);
    return 0;
}
