// A private X server and a Qt application on it for a whole test run, for tests that need Qt's own xcb
// connection. Made a global environment in the test's main, it starts only when tests run (not for listing).
#pragma once

#include "tests/support/XServerHarness.h"

#include <QApplication>
#include <QByteArray>

#include <gtest/gtest.h>

#include <memory>

namespace huddlepod::test {

class XApplicationEnvironment : public ::testing::Environment {
public:
    // The server while the run lasts; null outside it.
    static XServerHarness* server() { return server_; }

    void SetUp() override {
        harness_ = std::make_unique<XServerHarness>();
        ASSERT_TRUE(harness_->isRunning()) << "Xvfb did not start";
        server_ = harness_.get();
        qputenv("DISPLAY", harness_->display().toLocal8Bit());
        qputenv("QT_QPA_PLATFORM", "xcb");
        app_ = std::make_unique<QApplication>(argc_, argv_);
    }
    void TearDown() override {
        app_.reset();
        server_ = nullptr;
        harness_.reset();
    }

private:
    static inline XServerHarness* server_ = nullptr;
    std::unique_ptr<XServerHarness> harness_;
    char arg0_[4] = "e2e";
    char* argv_[2] = {arg0_, nullptr};
    int argc_ = 1;
    std::unique_ptr<QApplication> app_;
};

} // namespace huddlepod::test
