// The settings form's sections following the model and the updater, and the window's life.
#include "app/Views/SettingsView.h"
#include "GlobalShortcuts/GlobalShortcuts.h"
#include "GlobalShortcuts/Recorder.h"
#include "RenderOutput.h"
#include "app/SettingsModel.h"
#include "app/SettingsWindowController.h"
#include "app/UpdaterController.h"
#include "app/Views/Components/SegmentedToggle.h"
#include "platform/updater/UpdatePrompts.h"
#include "tests/GlobalShortcuts/FakeKeyGrabber.h"
#include "tests/support/Contrast.h"
#include "tests/support/LoopbackServer.h"
#include "ui/ApplyAppearance.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <malloc.h>

#include <memory>
#include <optional>
#include <tuple>

namespace huddlepod {
namespace {

class SettingsForm : public ::testing::Test {
protected:
    void SetUp() override {
        registry = std::make_unique<GlobalShortcuts::Registry>(
            std::make_unique<QSettings>(dir.filePath(QStringLiteral("keys.ini")), QSettings::IniFormat),
            std::make_unique<test::FakeKeyGrabber>(std::make_shared<test::FakeGrabs>()));
        GlobalShortcuts::Registry::setShared(registry.get());
        applyAppearance(AppearancePreference::light, FixedWorkspaceSettings()); // the program's style
    }
    void TearDown() override {
        controller.reset();
        view.reset();
        GlobalShortcuts::Registry::setShared(nullptr);
    }

    // A feed the updater holds but no test asks it for.
    const QUrl neverFetched{QStringLiteral("https://updates.invalid/feed.json")};

    void build(std::optional<QString> program = QStringLiteral("/bin/hp"), std::optional<QUrl> feed = {}) {
        view.reset();
        SettingsModel::Environment environment;
        environment.defaults = &store;
        environment.loginItem = LoginItem(autostart, std::move(program));
        environment.onResetPanelPosition = [this] { detached = false; };
        environment.isPanelDetached = [this] { return detached; };
        model.emplace(std::move(environment));
        UpdaterController::Environment updates;
        updates.defaults = &store;
        updates.feedUrl = std::move(feed);
        updates.currentVersion = QStringLiteral("0.1.0");
        updater.emplace(std::move(updates));
        view = std::make_unique<SettingsView>(
            *model, *updater, GlobalShortcuts::toggleSearchName(),
            SettingsView::About{QStringLiteral("0.1.0"), QStringLiteral("7")}, [] {});
    }

    QTemporaryDir dir;
    QString autostart = dir.filePath(QStringLiteral("autostart"));
    QSettings store{dir.filePath(QStringLiteral("config/s.ini")), QSettings::IniFormat};
    std::unique_ptr<GlobalShortcuts::Registry> registry;
    bool detached = false;
    std::optional<SettingsModel> model;
    std::optional<UpdaterController> updater;
    std::unique_ptr<SettingsView> view;
    std::unique_ptr<SettingsWindowController> controller;
};

TEST_F(SettingsForm, loginItemRowsFollowTheStateAndTheLastError) {
    build(std::nullopt); // no program path: the system cannot register it
    EXPECT_FALSE(view->launchAtLoginToggle()->isEnabled());
    EXPECT_FALSE(view->loginItemNotice()->isHidden());
    EXPECT_EQ(
        view->loginItemNoticeText()->text().toStdString(),
        "The desktop can't register this copy of Huddlepod to open at login. Reopening it usually fixes it.");
    EXPECT_TRUE(view->openLoginItemsButton()->isHidden());

    QFile blocker(dir.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    autostart = blocker.fileName() + QStringLiteral("/autostart");
    build();
    EXPECT_TRUE(view->loginItemNotice()->isHidden());
    EXPECT_TRUE(view->errorSection()->isHidden());
    view->launchAtLoginToggle()->click();
    EXPECT_EQ(view->errorText()->text(), QStringLiteral("Couldn't enable launch at login: Not a directory"));
    EXPECT_FALSE(view->errorSection()->isHidden());
    EXPECT_FALSE(view->launchAtLoginToggle()->isChecked()) << "the toggle shows the state read back";

    blocker.remove();
    view->launchAtLoginToggle()->click();
    EXPECT_TRUE(view->errorSection()->isHidden());
    EXPECT_TRUE(view->launchAtLoginToggle()->isChecked());
    EXPECT_TRUE(view->loginItemNotice()->isHidden());
}

TEST_F(SettingsForm, aSettingThatCannotBeSavedIsReportedInTheErrorRow) {
    build(QStringLiteral("/bin/hp"), neverFetched);
    QFile blocker(dir.filePath(QStringLiteral("config"))); // its folder cannot be made under a file
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    view->automaticUpdatesToggle()->click();
    EXPECT_FALSE(view->errorSection()->isHidden());
    EXPECT_EQ(view->errorText()->text(), QStringLiteral("Couldn't save settings: Not a directory"));
    testsupport::saveLooks(*view, QStringLiteral("settings-form-unsaved"));

    blocker.remove();
    view->automaticUpdatesToggle()->click();
    EXPECT_TRUE(view->errorSection()->isHidden());
}

TEST(UpdatePrompts, theUpToDateMessageNamesTheRunningVersion) {
    QString shown;
    QTimer closer; // answers the message box from inside its own event loop
    QObject::connect(&closer, &QTimer::timeout, [&shown] {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(window); box && box->isVisible()) {
                shown = box->text() + QStringLiteral(" / ") + box->informativeText();
                box->done(0);
            }
        }
    });
    closer.start(10);
    UpdateCheckResult result;
    result.kind = UpdateCheckResult::Kind::upToDate;
    result.version = QStringLiteral("0.0.1"); // the feed is behind this build
    systemUpdatePrompts().upToDate(result, QStringLiteral("0.2.0"));
    EXPECT_EQ(shown, QStringLiteral("Huddlepod is up to date. / Version 0.2.0 is the newest version."));
}

TEST_F(SettingsForm, resetIsOfferedOnlyWhileThePanelIsDetached) {
    detached = true;
    build();
    EXPECT_TRUE(view->resetButton()->isEnabled());
    EXPECT_EQ(view->panelPositionDetail()->text().toStdString(),
              "The panel has been dragged off the tray. While it's detached it stays put instead of closing "
              "when you click away.");
    view->resetButton()->click();
    EXPECT_FALSE(view->resetButton()->isEnabled());
    EXPECT_EQ(view->panelPositionDetail()->text().toStdString(),
              "The panel opens under the tray icon. Drag it anywhere to keep it open while you work.");
}

TEST_F(SettingsForm, eachOpeningShowsWhetherThePanelWasDraggedAwayWhileTheWindowWasClosed) {
    build();
    controller = std::make_unique<SettingsWindowController>(
        *model, *updater, [] {}, store);
    const char* attached =
        "The panel opens under the tray icon. Drag it anywhere to keep it open while you work.";
    const char* dragged =
        "The panel has been dragged off the tray. While it's detached it stays put instead of "
        "closing when you click away.";
    // Whether the panel is detached when the window opens, then what the form shows.
    const struct {
        bool detachedMeanwhile;
        bool resetOffered;
        const char* detail;
    } openings[] = {
        {false, false, attached},
        {true, true, dragged},    // dragged away while the window was closed
        {true, true, dragged},    // opened again while still open
        {false, false, attached}, // attached again from the tray menu
    };
    for (const auto& opening : openings) {
        detached = opening.detachedMeanwhile;
        controller->show();
        ASSERT_NE(controller->view(), nullptr);
        EXPECT_EQ(controller->view()->resetButton()->isEnabled(), opening.resetOffered);
        EXPECT_EQ(controller->view()->panelPositionDetail()->text().toStdString(), opening.detail);
        if (&opening != &openings[1]) {
            controller->window()->close();
            QCoreApplication::processEvents();
        }
    }
}

// Every word of the form, top to bottom as shown, for a panel attached and a login item that works.
TEST_F(SettingsForm, readsTopToBottomAsWritten) {
    build();
    view->resize(view->sizeHint());
    view->show();
    QCoreApplication::processEvents();
    std::vector<std::pair<QPoint, QString>> placed;
    for (QWidget* widget : view->findChildren<QWidget*>()) {
        QString text;
        if (auto* label = qobject_cast<QLabel*>(widget))
            text = label->text();
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            text = button->text();
        if (!text.isEmpty() && widget->isVisibleTo(view.get()))
            placed.emplace_back(widget->mapTo(view.get(), QPoint(0, 0)), text);
    }
    std::ranges::sort(placed, [](const auto& a, const auto& b) {
        return std::pair(a.first.y(), a.first.x()) < std::pair(b.first.y(), b.first.x());
    });
    QStringList texts;
    for (const auto& [at, text] : placed)
        texts << text;
    EXPECT_EQ(
        texts.join(u'\n').toStdString(),
        QStringList({"Shortcut", "Open Huddlepod:",
                     "Clearing the shortcut leaves the tray icon as the only way in. Some apps — launchers, "
                     "clipboard managers — claim shortcuts the desktop can't report; if yours does nothing, "
                     "try another.",
                     "General", "Launch at login", "Appearance:", "Panel position", "Reset",
                     "The panel opens under the tray icon. Drag it anywhere to keep it open while you work.",
                     "About", "Huddlepod:", "Version 0.1.0 (7)", "Check for Updates…",
                     "Check for updates automatically"})
            .join(u'\n')
            .toStdString());
    EXPECT_EQ(view->resetButton()->accessibleName().toStdString(), "Reset panel position");
    // The appearance picker's segments, as a screen reader names them.
    QStringList segments;
    for (QWidget* widget : view->findChildren<QWidget*>()) {
        QAccessibleInterface* element = QAccessible::queryAccessibleInterface(widget);
        if (element == nullptr || element->text(QAccessible::Name) != "Appearance")
            continue;
        for (int i = 0; i < element->childCount(); ++i)
            segments << element->child(i)->text(QAccessible::Name);
    }
    EXPECT_EQ(segments, QStringList({"System", "Light", "Dark"}));

    controller = std::make_unique<SettingsWindowController>(
        *model, *updater, [] {}, store);
    controller->show();
    EXPECT_EQ(controller->window()->windowTitle().toStdString(), "Huddlepod Settings");
    // Read as a dialog, not as a filler.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(controller->window())->role(), QAccessible::Dialog);
}

// The form speaks of this desktop (the tray icon, launchers), never of another system's parts or apps.
TEST_F(SettingsForm, noTextNamesAnotherSystemOrItsApps) {
    build();
    QStringList texts;
    for (const QLabel* label : view->findChildren<QLabel*>()) {
        texts << label->text();
    }
    for (const QAbstractButton* button : view->findChildren<QAbstractButton*>()) {
        texts << button->text();
    }
    EXPECT_TRUE(texts.contains(QStringLiteral(
        "Clearing the shortcut leaves the tray icon as the only way in. Some apps — launchers, clipboard "
        "managers — claim shortcuts the desktop can't report; if yours does nothing, try another.")));
    const QRegularExpression otherSystem(
        QStringLiteral("macOS|menu bar|Raycast|Alfred|Login Items|Applications"));
    EXPECT_EQ(texts.filter(otherSystem).join(u'|').toStdString(), "");
}

TEST_F(SettingsForm, theUpdateButtonFollowsWhetherACheckCanStart) {
    // Stored on by a build that had a feed.
    store.setValue(QLatin1String(UpdaterController::automaticChecksKey), true);
    build();
    EXPECT_FALSE(view->checkForUpdatesButton()->isEnabled()) << "no feed";
    EXPECT_FALSE(view->automaticUpdatesToggle()->isEnabled()) << "no feed";
    EXPECT_FALSE(view->automaticUpdatesToggle()->isChecked()) << "no feed: nothing is checked";
    store.remove(QLatin1String(UpdaterController::automaticChecksKey));

    test::LoopbackServer server;
    server.enqueue("/feed.json", test::LoopbackServer::Response::held());
    build(QStringLiteral("/bin/hp"), QUrl(server.baseUrl().toString() + QStringLiteral("/feed.json")));
    EXPECT_TRUE(view->checkForUpdatesButton()->isEnabled());
    view->checkForUpdatesButton()->click();
    EXPECT_FALSE(view->checkForUpdatesButton()->isEnabled());
    EXPECT_TRUE(view->automaticUpdatesToggle()->isEnabled()) << "a running check leaves the choice open";
    server.release();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->checkForUpdatesButton()->isEnabled(); }, 15000));

    view->automaticUpdatesToggle()->click();
    EXPECT_TRUE(updater->automaticallyChecksForUpdates());
    testsupport::saveLooks(*view, QStringLiteral("settings-form"));
}

TEST_F(SettingsForm, theWindowIsReusedWhileOpenAndBuiltAfreshCentredAfterAClose) {
    build();
    int hides = 0;
    controller = std::make_unique<SettingsWindowController>(
        *model, *updater, [&] { ++hides; }, store);
    controller->show();
    QWidget* first = controller->window();
    ASSERT_NE(first, nullptr);
    controller->show();
    EXPECT_EQ(controller->window(), first);
    EXPECT_EQ(hides, 2);
    ASSERT_TRUE(QTest::qWaitForWindowActive(first));
    const QPoint centre = first->frameGeometry().center();
    first->move(first->pos() + QPoint(40, 30));

    // While recording, Escape belongs to the recorder; then it closes the window.
    GlobalShortcuts::RecorderCocoa* recorder = controller->view()->recorder()->field();
    QCoreApplication::processEvents();
    recorder->setFocus(Qt::MouseFocusReason);
    ASSERT_TRUE(recorder->isRecording());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(first->windowHandle(), &escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_NE(controller->window(), nullptr);
    QCoreApplication::sendEvent(first->windowHandle(), &escape);
    EXPECT_EQ(controller->window(), nullptr);
    EXPECT_FALSE(store.value(QStringLiteral("SettingsWindow")).toString().isEmpty());

    controller->show();
    ASSERT_NE(controller->window(), nullptr);
    EXPECT_EQ(controller->window()->frameGeometry().center(), centre) << "centred, not restored";
}

// Tab walks the controls top to bottom as the form shows them and comes round; the arrows change the
// appearance.
TEST_F(SettingsForm, tabGoesThroughTheControlsInReadingOrderAndTheArrowsChooseTheAppearance) {
    detached = true; // Reset enabled
    build(QStringLiteral("/bin/hp"), neverFetched);
    controller = std::make_unique<SettingsWindowController>(
        *model, *updater, [] {}, store);
    controller->show();
    QWidget* window = controller->window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    const auto name = [](QWidget* focused) {
        if (auto* button = qobject_cast<QAbstractButton*>(focused))
            return button->text();
        return focused != nullptr ? focused->accessibleName() : QStringLiteral("nothing");
    };
    QWidget* recorder = controller->view()->recorder()->field();
    // The recorder takes no focus while its window is being activated.
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder->focusPolicy() == Qt::StrongFocus; }));
    recorder->setFocus(Qt::TabFocusReason);
    for (const auto& [key, modifiers, chain] :
         {std::tuple{Qt::Key_Tab, Qt::NoModifier,
                     QStringList{"Launch at login", "Appearance", "Reset", "Check for Updates…",
                                 "Check for updates automatically", "Shortcut"}},
          std::tuple{Qt::Key_Backtab, Qt::ShiftModifier,
                     QStringList{"Check for updates automatically", "Check for Updates…", "Reset",
                                 "Appearance", "Launch at login", "Shortcut"}}}) {
        QStringList walked;
        for (qsizetype i = 0; i < chain.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), key, modifiers);
            walked << name(QApplication::focusWidget());
        }
        EXPECT_EQ(walked.join(" > ").toStdString(), chain.join(" > ").toStdString());
    }

    auto* appearance = controller->view()->appearancePicker();
    appearance->setFocus(Qt::TabFocusReason);
    const std::pair<Qt::Key, AppearancePreference> presses[] = {{Qt::Key_Right, AppearancePreference::light},
                                                                {Qt::Key_Right, AppearancePreference::dark},
                                                                {Qt::Key_Right, AppearancePreference::dark},
                                                                {Qt::Key_Left, AppearancePreference::light}};
    for (const auto& [key, chosen] : presses) {
        QTest::keyClick(appearance, key);
        EXPECT_EQ(model->appearance(), chosen);
    }
    // Under the pointer a segment shows it will respond.
    QTest::mouseMove(appearance, appearance->segmentRects(appearance->width()).at(2).center().toPoint());
    EXPECT_TRUE(QTest::qWaitFor([&] { return appearance->hoveredIndex() == 2; }));
    testsupport::saveLooks(*appearance, QStringLiteral("settings-appearance-light-focused-dark-hovered"));
}

// The window fits the form whatever the length of the panel-position text: after Reset and on reopening.
TEST_F(SettingsForm, theWindowsHeightFitsTheFormAfterResetAndOnReopening) {
    build();
    controller = std::make_unique<SettingsWindowController>(
        *model, *updater, [] {}, store);
    const auto reopen = [&] {
        if (controller->window() != nullptr) {
            controller->window()->close();
            QCoreApplication::processEvents();
        }
        controller->show();
        // Laid out on screen, as the user sees it before any click.
        EXPECT_TRUE(QTest::qWaitForWindowExposed(controller->window()));
        QCoreApplication::processEvents();
        return controller->window()->height();
    };
    const int attached = reopen();
    detached = true;
    const int dragged = reopen();
    ASSERT_GT(dragged, attached) << "the dragged-off text takes a line more";
    controller->view()->resetButton()->click();
    EXPECT_EQ(controller->window()->height(), attached);
    EXPECT_EQ(reopen(), attached);
    EXPECT_EQ(reopen(), attached);
}

// Neither the window nor an alert over it offers minimise or maximise: no such buttons, a fixed size, and a
// helper window's type (a toolbar's, the one type Openbox takes minimising from).
TEST_F(SettingsForm, theWindowAndItsAlertsOfferNeitherMinimiseNorMaximise) {
    build();
    controller = std::make_unique<SettingsWindowController>(
        *model, *updater, [] {}, store);
    controller->show();
    QWidget* window = controller->window();
    ASSERT_NE(window, nullptr);
    QMessageBox alert(QMessageBox::Information, QStringLiteral("Software Update"),
                      QStringLiteral("Huddlepod is up to date."), QMessageBox::Ok, window);
    alert.show();
    for (const auto& [name, shown, fixed] : {std::tuple{"window", window, true}, {"alert", &alert, false}}) {
        const Qt::WindowFlags flags = shown->windowFlags();
        EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                              Qt::WindowFullscreenButtonHint))
            << name;
        EXPECT_TRUE(flags & Qt::WindowCloseButtonHint) << name;
        EXPECT_TRUE(shown->testAttribute(Qt::WA_X11NetWmWindowTypeToolBar)) << name;
        if (fixed) {
            EXPECT_EQ(shown->minimumSize(), shown->maximumSize()) << name;
        }
    }
    alert.close();
    window->close();
}

// The strongest contrast with the window among the first three pixels unlike it, going from `from` by `step`
// within `area`; the first of them, where they start.
std::pair<double, QPoint> boundaryContrast(const QImage& image, const QRect& area, QPoint from, QPoint step) {
    const QColor window = image.pixelColor(area.topLeft() - QPoint(1, 1));
    for (QPoint at = from; area.contains(at); at += step) {
        if (image.pixelColor(at) != window) {
            double strongest = 0;
            for (QPoint mark = at; mark != at + 3 * step && area.contains(mark); mark += step) {
                strongest = std::max(strongest, test::contrast(image.pixelColor(mark), window));
            }
            return {strongest, at};
        }
    }
    return {0, from};
}

// WCAG's non-text contrast: each standard control shows where it is, by its edge or its fill, at 3:1 or more
// against the window, in the light and the dark look, unfocused and enabled.
TEST_F(SettingsForm, everyControlStandsOutFromTheWindowInBothLooks) {
    detached = true; // Reset enabled
    build(QStringLiteral("/bin/hp"), neverFetched);
    QWidget radioWindow; // the form has none; the style draws them all the same
    auto* radio = new QRadioButton(QStringLiteral("Radio"), &radioWindow);
    radio->move(10, 10);
    radioWindow.resize(120, 40);
    const std::pair<const char*, QWidget*> controls[] = {
        {"launch at login", view->launchAtLoginToggle()},
        {"automatic checks", view->automaticUpdatesToggle()},
        {"check now", view->checkForUpdatesButton()},
        {"reset", view->resetButton()},
        {"shortcut field", view->recorder()->field()},
        {"appearance", view->appearancePicker()},
        {"radio button", radio},
    };
    FixedWorkspaceSettings workspace;
    for (const auto& [preference, look] :
         {std::pair{AppearancePreference::light, "light"}, std::pair{AppearancePreference::dark, "dark"}}) {
        applyAppearance(preference, workspace);
        view->resize(view->sizeHint());
        const QImage form = view->grab().toImage();
        const QImage radios = radioWindow.grab().toImage();
        const QString output = qEnvironmentVariable("HUDDLEPOD_TEST_OUTPUT") + "/components/";
        QDir().mkpath(output);
        form.save(output + "settings-window-" + look + ".png");
        for (const auto& [name, control] : controls) {
            QWidget* window = control->window();
            const QImage& image = window == view.get() ? form : radios;
            const QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
            // Along the middle row from the left, then down a column just inside where that met the control.
            const auto [across, edge] =
                boundaryContrast(image, area, QPoint(area.left(), area.center().y()), QPoint(1, 0));
            const auto [down, top] =
                boundaryContrast(image, area, QPoint(edge.x() + 7, area.top()), QPoint(0, 1));
            EXPECT_GE(across, 3.0) << name << ", " << look << ", at " << edge.x() << "," << edge.y();
            EXPECT_GE(down, 3.0) << name << ", " << look << ", at " << top.x() << "," << top.y();
        }
        // The chosen appearance's segment, beside its text.
        const SegmentedToggleBase* picker = view->appearancePicker();
        const QRectF chosen = picker->segmentRects(picker->width()).at(std::size_t(picker->selectedIndex()));
        const QPoint inside = picker->mapTo(view.get(), chosen.topLeft().toPoint() + QPoint(4, 4));
        EXPECT_GE(test::contrast(form.pixelColor(inside), form.pixelColor(inside.x(), 1)), 3.0) << look;
    }
}

// The same edges at increased contrast (stronger still), with keyboard focus (the accent, blue in both looks)
// and disabled (dimmed, yet where the control is still shows).
TEST_F(SettingsForm, controlEdgesAtIncreasedContrastWithKeyboardFocusAndDisabled) {
    detached = true;
    build(QStringLiteral("/bin/hp"), neverFetched);
    const std::pair<const char*, QWidget*> controls[] = {
        {"launch at login", view->launchAtLoginToggle()},
        {"automatic checks", view->automaticUpdatesToggle()},
        {"check now", view->checkForUpdatesButton()},
        {"reset", view->resetButton()},
    };
    enum class State { increasedContrast, focused, disabled };
    ScopedWorkspaceSettings workspace;
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    for (const State state : {State::increasedContrast, State::disabled, State::focused}) {
        workspace.increaseContrastValue = state == State::increasedContrast;
        for (const auto& [preference, look] : {std::pair{AppearancePreference::light, "light"},
                                               std::pair{AppearancePreference::dark, "dark"}}) {
            applyAppearance(preference, workspace);
            for (const auto& [name, control] : controls) {
                control->setEnabled(state != State::disabled);
                if (state == State::focused) {
                    view->setAttribute(Qt::WA_KeyboardFocusChange); // as a Tab press marks the window
                    control->setFocus(Qt::TabFocusReason);
                    ASSERT_TRUE(control->hasFocus()) << name;
                }
                const QImage form = view->grab().toImage();
                const QRect area(control->mapTo(view.get(), QPoint(0, 0)), control->size());
                const auto [across, edge] =
                    boundaryContrast(form, area, QPoint(area.left(), area.center().y()), QPoint(1, 0));
                const QColor colour = form.pixelColor(edge);
                const std::string where = std::string(name) + ", " + look + ", state " +
                                          std::to_string(int(state)) + ", at " + std::to_string(edge.x());
                switch (state) {
                case State::increasedContrast:
                    EXPECT_GE(across, 4.5) << where;
                    break;
                case State::focused:
                    EXPECT_GE(across, 3.0) << where;
                    EXPECT_GT(colour.blue(), colour.red() + 80) << where;
                    break;
                case State::disabled:
                    EXPECT_GE(across, 1.4) << where;
                    EXPECT_LT(across, 3.0) << where;
                    break;
                }
                control->setEnabled(true);
            }
        }
    }
}

// A closed window leaves nothing behind: the heap is as large after 200 more openings as before them.
TEST_F(SettingsForm, openingAndClosingTheWindowAgainAndAgainKeepsNothing) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the sanitizer's allocator keeps its own books; the Release build measures";
#endif
    FixedWorkspaceSettings workspace;
    applyAppearance(AppearancePreference::dark, workspace); // as the program sets its look
    build(QStringLiteral("/bin/hp"), neverFetched);
    controller = std::make_unique<SettingsWindowController>(
        *model, *updater, [] {}, store);
    const auto openAndClose = [&] {
        controller->show();
        (void)controller->window()->grab(); // painted, as on screen
        controller->window()->close();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    };
    for (int i = 0; i < 20; ++i) {
        openAndClose(); // caches that fill once (fonts, glyphs) are full by now
    }
    const std::size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 200; ++i) {
        openAndClose();
    }
    const auto growth = qint64(mallinfo2().uordblks) - qint64(before);
    // The pixmaps a style caches for each window's buttons came to some 17 KB an opening; what the allocator
    // itself keeps in reserve stays well below this.
    EXPECT_LT(growth, 1024 * 1024) << "bytes kept over 200 openings";
    EXPECT_EQ(QApplication::topLevelWidgets(), QWidgetList{view.get()}) << "only the form built above";
}

} // namespace
} // namespace huddlepod
