// The application-wide event monitor and the alerts' answers.
#include "GlobalShortcuts/EventMonitors.h"
#include "GlobalShortcuts/MenuItems.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

#include <optional>

namespace huddlepod::GlobalShortcuts {
namespace {

class KeyCountingWidget : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent*) override { ++keys; }
};

TEST(LocalEventMonitor, seesEachEventOnceAndSwallowsWhatItConsumesUntilDestroyed) {
    KeyCountingWidget widget;
    widget.show();
    widget.setFocus();
    QWindow* window = widget.windowHandle();
    ASSERT_NE(window, nullptr);
    const auto press = [&] {
        QKeyEvent event(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
        QCoreApplication::sendEvent(window, &event);
    };
    int seen = 0;
    {
        LocalEventMonitor monitor({QEvent::KeyPress}, [&](QObject*, QEvent*) { return ++seen == 1; });
        monitor.start();
        press(); // consumed
        press(); // passed on
        EXPECT_EQ(std::pair(seen, widget.keys), std::pair(2, 1));
    }
    press();
    EXPECT_EQ(std::pair(seen, widget.keys), std::pair(2, 2));
}

TEST(Alert, answersWithTheClickedButtonsPosition) {
    QWidget window;
    window.show();
    const auto alert = makeAlert(QStringLiteral("Taken"), QStringLiteral("Change it elsewhere."),
                                 QMessageBox::Warning, {QStringLiteral("OK"), QStringLiteral("Use Anyway")});
    QTimer::singleShot(0, alert.get(), [&] { alert->buttons().at(1)->click(); });
    EXPECT_EQ(runModal(*alert, &window), kFirstButton + 1);
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
}

} // namespace
} // namespace huddlepod::GlobalShortcuts
