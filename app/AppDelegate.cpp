// The launch sequence, the toggle, the status menu and the delegate's actions.
#include "app/AppDelegate.h"

#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/Recorder.h"
#include "app/AppConfiguration.h"
#include "app/DebugDriver.h"
#include "app/DebugLaunch.h"
#include "app/DebugScripts.h"
#include "app/MainMenu.h"
#include "app/PanelPlacement.h"
#include "app/SearchPanel.h"
#include "app/SettingsModel.h"
#include "app/SettingsWindowController.h"
#include "app/UpdaterController.h"
#include "app/Views/DebugCapture.h"
#include "platform/BundleInformation.h"
#include "platform/updater/UpdatePrompts.h"
#include "platform/x11/DevicePixels.h"
#include "platform/x11/KeyGrabber.h"
#include "ui/ApplyAppearance.h"
#include "ui/Preferences.h"

#include <QCoreApplication>
#include <QMenu>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTimer>

namespace huddlepod {

AppDelegate::LaunchServices AppDelegate::LaunchServices::system(QSettings& defaults) {
    LaunchServices services;
    services.defaults = &defaults;
    services.installMainMenu = [](AppDelegate& delegate) {
        QPointer<AppDelegate> weak(&delegate);
        return MainMenu::install(
            [weak] {
                if (weak) {
                    weak->openSettings();
                }
            },
            [] { QCoreApplication::quit(); });
    };
    services.applyStoredAppearance = [&defaults] { applyAppearance(Preferences(defaults).appearance()); };
    services.applyRequestedAppearance = [] { DebugLaunch::applyRequestedAppearance(); };
    // The backdrop lives as long as the services, that is as long as the delegate.
    services.createBackdrop = [backdrop = std::make_shared<std::unique_ptr<QWidget>>()] {
        *backdrop = DebugLaunch::makeBackdrop();
    };
    services.makePanelController = [&defaults](PanelController::AnchorProvider anchor) {
        auto backend =
            PanelController::Backend::connect(AppConfiguration::supabase(), AppConfiguration::version());
        return std::make_unique<PanelController>(
            PanelController::Environment::system(std::move(anchor), std::move(backend), defaults));
    };
    // The settings objects live as the delegate's children for the whole process.
    auto settingsModel = std::make_shared<QPointer<SettingsModel>>();
    auto updater = std::make_shared<QPointer<UpdaterController>>();
    auto settingsController = std::make_shared<QPointer<SettingsWindowController>>();
    services.createSettingsModel = [settingsModel, &defaults](AppDelegate& delegate) {
        QPointer<AppDelegate> weak(&delegate);
        SettingsModel::Environment environment;
        environment.defaults = &defaults;
        environment.onResetPanelPosition = [weak] {
            if (weak) {
                weak->resetPanelPosition();
            }
        };
        environment.isPanelDetached = [&defaults] {
            return PanelPlacement(defaults).detachedOrigin().has_value();
        };
        environment.applyAppearance = [](AppearancePreference preference) { applyAppearance(preference); };
        *settingsModel = new SettingsModel(std::move(environment), &delegate);
    };
    services.createUpdater = [updater, &defaults](AppDelegate& delegate) {
        UpdaterController::Environment environment;
        environment.defaults = &defaults;
        if (const std::optional<QString> feed = bundleValue(QStringLiteral("SUFeedURL"))) {
            environment.feedUrl = QUrl(*feed);
        }
        environment.currentVersion = AppConfiguration::version();
        environment.prompts = systemUpdatePrompts();
        *updater = new UpdaterController(std::move(environment), &delegate);
        DebugLaunch::scheduleUpdateCheck(&delegate, [updater] {
            if (*updater) {
                (*updater)->checkForUpdatesInBackground();
            }
        });
    };
    services.createSettingsController = [settingsModel, updater, settingsController,
                                         &defaults](AppDelegate& delegate) {
        QPointer<PanelController> panel(delegate.panelController());
        *settingsController = new SettingsWindowController(
            **settingsModel, **updater,
            [panel] {
                if (panel) {
                    panel->hide();
                }
            },
            defaults, &delegate);
        // The recorder refuses the application's own key equivalents, Ctrl+, among them.
        GlobalShortcuts::RecorderCocoa::setMainMenuLookup(
            [](const GlobalShortcuts::Shortcut& shortcut) -> std::optional<QString> {
                for (const auto* items : {&MainMenu::applicationItems(), &MainMenu::editingCommands()}) {
                    for (const MainMenu::Item& item : *items) {
                        if (item.keys == shortcut.keySequence()) {
                            return item.title;
                        }
                    }
                }
                return std::nullopt;
            });
    };
    services.openSettings = [settingsController] {
        if (*settingsController) {
            (*settingsController)->show();
            DebugDriver::logCaptureRect(QStringLiteral("settings"), (*settingsController)->window());
        }
    };
    services.makeStatusItem = [&defaults](std::function<void()> onClick,
                                          StatusItemController::MenuProvider menu) {
        auto item =
            std::make_unique<StatusItemController>(makeSystemTrayIcon(), std::move(onClick), std::move(menu));
        item->setSurroundings(StatusItemController::Surroundings::system(defaults));
        return item;
    };
    services.logLaunchMilestone = [](const QString& name) { DebugDriver::logLaunchMilestone(name); };
    services.registerToggleShortcut = [](std::function<void(std::optional<QPoint>)> action) {
        GlobalShortcuts::onKeyDown(GlobalShortcuts::toggleSearchName(), [action = std::move(action)] {
            const std::optional<x11::RootPoint> pointer = x11::pointerAtPressBeingHandled();
            action(pointer ? std::optional(x11::toLogical(QPoint(pointer->x, pointer->y))) : std::nullopt);
        });
    };
    services.environment = [](const QString& name) -> std::optional<QString> {
        const QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        if (!environment.contains(name)) {
            return std::nullopt;
        }
        return environment.value(name);
    };
    services.schedule = [](std::chrono::milliseconds delay, std::function<void()> action) {
        QTimer::singleShot(delay, qApp, std::move(action));
    };
    services.scheduleLaunchSwitches = [settingsModel, settingsController](AppDelegate& delegate) {
        QPointer<AppDelegate> weak(&delegate);
        DebugLaunch::Switches switches;
        switches.openSettings = [weak] {
            if (weak) {
                weak->openSettings();
            }
        };
        switches.settingsWindow = [settingsController]() -> QWidget* {
            return *settingsController ? (*settingsController)->window() : nullptr;
        };
        switches.setAppearance = [settingsModel](AppearancePreference appearance) {
            if (*settingsModel) {
                (*settingsModel)->setAppearance(appearance);
            }
        };
        switches.popUpStatusMenu = [weak] {
            if (weak && weak->statusItemController()) {
                weak->statusItemController()->popUpMenuForVerification();
            }
        };
        DebugLaunch::scheduleLaunchSwitches(&delegate, std::move(switches));
    };
    services.runDebugScript = [](AppDelegate& delegate) {
        PanelController* controller = delegate.panelController();
        if (!controller) {
            return;
        }
        // The controller lives as long as the delegate, that is for the whole process.
        DebugScriptContext context;
        context.show = [controller] { controller->show(); };
        context.hide = [controller] { controller->hide(); };
        context.panel = [controller]() -> QWidget* { return controller->panel(); };
        context.navigation = &controller->navigation();
        context.searchModel = &controller->searchModel();
        context.homeModel = &controller->homeModel();
        context.playerModel = [controller](const SearchResult& result) {
            return controller->playerModel(result);
        };
        context.clock = std::make_shared<SystemClock>();
        DebugScripts::runIfRequested(DebugScriptContext::withDriverLines(std::move(context)));
    };
    return services;
}

AppDelegate::AppDelegate(LaunchServices services, QObject* parent)
    : QObject(parent)
    , services_(std::move(services)) {}

AppDelegate::~AppDelegate() {
    delete mainMenu_.data();
}

void AppDelegate::applicationDidFinishLaunching() {
    mainMenu_ = services_.installMainMenu(*this);
    services_.applyStoredAppearance();
    services_.applyRequestedAppearance();
    services_.createBackdrop();

    QPointer<AppDelegate> weak(this);
    panelController_ = services_.makePanelController([weak]() -> std::optional<QRect> {
        if (!weak || !weak->statusItemController_) {
            return std::nullopt;
        }
        return weak->statusItemController_->anchorFrame();
    });
    services_.createSettingsModel(*this);
    services_.createUpdater(*this);
    services_.createSettingsController(*this);

    QPointer<PanelController> panel(panelController_.get());
    const auto toggle = [panel](std::optional<QPoint> pointer) {
        if (panel) {
            panel->toggle(pointer);
        }
    };
    statusItemController_ = services_.makeStatusItem(
        [panel, weak] {
            if (!panel) {
                return;
            }
            if (!weak || !weak->statusItemController_) {
                panel->toggleFromTrayIcon();
                return;
            }
            const StatusItemController& item = *weak->statusItemController_;
            // Where the tray tells where its icon is, a press on it never hid the panel as a click elsewhere.
            if (item.knowsIconPlace()) {
                panel->toggle(item.lastPointer());
            } else {
                panel->toggleFromTrayIcon(item.lastPointer());
            }
        },
        [weak] { return weak ? weak->statusMenu() : std::make_unique<QMenu>(); });
    if (statusItemController_ && panelController_) {
        connect(statusItemController_.get(), &StatusItemController::menuRequested, panelController_.get(),
                &PanelController::giveWayToTrayMenu);
        connect(panelController_.get(), &PanelController::visibilityChanged, statusItemController_.get(),
                &StatusItemController::panelVisibilityChanged);
    }
    services_.logLaunchMilestone(QStringLiteral("status item visible"));
    services_.registerToggleShortcut(toggle);

    // Read as every other seconds switch, with the same timer limits.
    const std::optional<QString> openOnLaunch =
        services_.environment(QStringLiteral("HUDDLEPOD_OPEN_ON_LAUNCH"));
    const std::optional<double> seconds =
        openOnLaunch ? DebugDriver::parseSeconds(openOnLaunch->toUtf8()) : std::nullopt;
    if (const std::optional<std::chrono::milliseconds> delay =
            seconds ? DebugDriver::timerDelay(*seconds) : std::nullopt) {
        // Holds the controller strongly: the delegate keeps it for the whole process anyway.
        services_.schedule(*delay, [controller = panelController_.get()] { controller->show(); });
    }
    services_.scheduleLaunchSwitches(*this);
    services_.runDebugScript(*this);
}

void AppDelegate::applicationWillTerminate() {
    if (panelController_) {
        panelController_->hide();
    }
}

void AppDelegate::openSettings() {
    if (!services_.openSettings) {
        return;
    }
    if (panelController_) {
        panelController_->hide();
    }
    services_.openSettings();
}

void AppDelegate::resetPanelPosition() {
    if (panelController_) {
        panelController_->resetPosition();
    }
}

void AppDelegate::toggle() {
    if (panelController_) {
        panelController_->toggle();
    }
}

void AppDelegate::showPanel() {
    if (panelController_ && !panelController_->isVisible()) {
        panelController_->show();
    }
}

std::unique_ptr<QMenu> AppDelegate::statusMenu() {
    auto menu = std::make_unique<QMenu>();
    menu->setWindowTitle(QStringLiteral("Huddlepod menu"));
    QPointer<AppDelegate> weak(this);
    QAction* settings = menu->addAction(QStringLiteral("Settings…"), [weak] {
        if (weak) {
            weak->openSettings();
        }
    });
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    QAction* reset = menu->addAction(QStringLiteral("Reset Panel Position"), [weak] {
        if (weak) {
            weak->resetPanelPosition();
        }
    });
    reset->setEnabled(PanelPlacement(*services_.defaults).detachedOrigin().has_value());
    menu->addSeparator();
    QAction* quit = menu->addAction(QStringLiteral("Quit Huddlepod"), [] { QCoreApplication::quit(); });
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    return menu;
}

} // namespace huddlepod
