// Runs GoogleTest inside a Qt application object, so tests can use the event loop, QCoro and (GUI) widgets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>

#ifdef HUDDLEPOD_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

int main(int argc, char** argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    TestApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
