// Huddlepod's entry point: a tray application with no main window, whose delegate builds the shell.
#include "app/AppConfiguration.h"
#include "app/AppDelegate.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QTimer>

#include <clocale>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Numbers are read and written with a decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Huddlepod"));
    QApplication::setApplicationVersion(huddlepod::AppConfiguration::version());
    // Closing the settings window or hiding the panel never ends the process; only Quit does.
    QApplication::setQuitOnLastWindowClosed(false);

    const std::unique_ptr<QSettings> defaults = huddlepod::UserDefaults::openStandard();
    huddlepod::AppDelegate delegate(huddlepod::AppDelegate::LaunchServices::system(*defaults));
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     &huddlepod::AppDelegate::applicationWillTerminate);
    QTimer::singleShot(0, &delegate, &huddlepod::AppDelegate::applicationDidFinishLaunching);
    return application.exec();
}
