// Huddlepod's entry point: a tray application with no main window, whose delegate builds the shell.
#include "app/AppConfiguration.h"
#include "app/AppDelegate.h"
#include "app/desktop/ApplicationIdentity.h"
#include "platform/SingleInstance.h"
#include "platform/UserDefaults.h"

#include <QApplication>
#include <QTimer>

#include <clocale>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // Numbers are read and written with a decimal point, whatever the user's locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setApplicationName(QStringLiteral("Huddlepod"));
    QApplication::setApplicationVersion(huddlepod::AppConfiguration::version());
    // Every window gets the menu entry's icon, and WM_CLASS's class part is the application's name.
    huddlepod::applyApplicationIdentity();
    // Closing the settings window or hiding the panel never ends the process; only Quit does.
    QApplication::setQuitOnLastWindowClosed(false);

    // One copy per user and X display: a later start (from the menu, say) shows the running copy's panel.
    huddlepod::SingleInstance instance(huddlepod::SingleInstance::standardDisplay());
    switch (instance.claim()) {
    case huddlepod::SingleInstance::Claim::handedOver:
        std::fputs("Huddlepod is already running here; showing its panel.\n", stderr);
        return 0;
    case huddlepod::SingleInstance::Claim::unreachable:
        std::fprintf(stderr,
                     "Huddlepod is already running here but cannot be asked to show its panel (%s).\n",
                     qPrintable(instance.errorString()));
        return 1;
    case huddlepod::SingleInstance::Claim::unguarded:
        std::fprintf(stderr, "Huddlepod cannot tell whether it is already running (%s); starting anyway.\n",
                     qPrintable(instance.errorString()));
        break;
    case huddlepod::SingleInstance::Claim::first:
        break;
    }

    const std::unique_ptr<QSettings> defaults = huddlepod::UserDefaults::openStandard();
    huddlepod::AppDelegate delegate(huddlepod::AppDelegate::LaunchServices::system(*defaults));
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate,
                     &huddlepod::AppDelegate::applicationWillTerminate);
    QObject::connect(&instance, &huddlepod::SingleInstance::showRequested, &delegate,
                     &huddlepod::AppDelegate::showPanel);
    QTimer::singleShot(0, &delegate, &huddlepod::AppDelegate::applicationDidFinishLaunching);
    return application.exec();
}
