// A private X server (Xvfb) for end-to-end tests, on a display it picks itself; never the ambient DISPLAY.
#pragma once

#include <QProcess>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTemporaryDir;
struct xcb_connection_t;

namespace huddlepod::test {

class XServerHarness {
public:
    // Who may connect: any local client, or only those that present the server's cookie.
    enum class Access { open, cookie };
    // Starts Xvfb with -displayfd and waits until it names its display; isRunning() is false when it could
    // not. The screen is 1280x800 unless given another size.
    explicit XServerHarness(QSize screen = QSize(1280, 800), Access access = Access::open);
    ~XServerHarness();
    XServerHarness(const XServerHarness&) = delete;
    XServerHarness& operator=(const XServerHarness&) = delete;

    bool isRunning() const { return pid_ > 0 && !display_.isEmpty(); }
    // ":<n>"
    QString display() const { return display_; }
    // The environment for clients of this server (DISPLAY set to it and, with a cookie, XAUTHORITY to its
    // file).
    QProcessEnvironment environment() const;
    // With Access::cookie, the file (in a folder of the harness's own, closed to others) that holds the
    // cookie; connections of the test's own process need XAUTHORITY set to it. Empty for an open server.
    QString authorityFile() const { return authorityFile_; }

    // Runs a client to completion (xdotool, xprop…); its exit code, or -1 when it failed to run in time.
    int run(const QString& program, const QStringList& arguments,
            std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;
    // Starts a client that keeps running; stopped when the harness ends.
    QProcess& start(const QString& program, const QStringList& arguments);
    // Starts trayer as the XEmbed tray host, a bar 26 pixels high at the top right that reserves its strip of
    // the screen (a strut) as desktop bars do, and waits until it owns the screen's tray selection and has
    // reserved its strip. Start it before a window manager that is to take the strip in.
    bool startTrayHost();
    // Takes the screen's tray selection itself and never takes an icon in: a tray that has not got round to
    // embedding the icon yet.
    bool holdTraySelection();

    // Starts a private D-Bus session bus; from then on environment() points its clients at it.
    bool startSessionBus();
    // The private bus's address; empty before startSessionBus().
    QString sessionBusAddress() const { return busAddress_; }
    // On the private bus: starts status-notifier-watcher and waits until it answers.
    bool startStatusNotifierWatcher();
    // Starts gtk-sni-tray as the StatusNotifier host, a bar 30 pixels high along the top of the screen (black
    // unless given a colour), and waits until it has registered with the watcher.
    bool startStatusNotifierHost(const QString& colour = {});
    // Asks the watcher over the private bus; empty when it cannot be reached.
    QStringList registeredStatusNotifierItems() const;

    // Desktops beyond the bare server. Each waits until its program has taken over.
    // Openbox as the window manager (undecorated windows without a border), ready once it names itself on
    // the root window.
    bool startWindowManager();
    // xfwm4 as the window manager, with its own compositor, as XFCE runs it: on the private session bus
    // (started here when there is none yet), its settings daemon (xfconfd) keeping them in a folder of the
    // harness's own. Ready once it manages the screen and composites.
    bool startXfwm();
    // The edge of the screen a desktop's bar runs along.
    enum class BarEdge { top, bottom };
    // XFCE's own panel (xfce4-panel) under xfwm4 (started here when not yet running), on the private bus
    // with xfwm4's settings daemon: a bar 29 pixels high along the top (or bottom) that reserves its strip,
    // holding the status tray plugin (a StatusNotifier host and watcher, and the XEmbed tray) at its right
    // end, or a third of the way along. Ready once the tray is a registered StatusNotifier host, owns the
    // screen's tray selection and the work area ends at the bar.
    enum class XfceTrayPlace { rightEnd, aThirdAlong };
    bool startXfcePanel(XfceTrayPlace tray = XfceTrayPlace::rightEnd, BarEdge edge = BarEdge::top);
    // Moves XFCE's panel to another edge through its settings, as its preferences dialog does, and waits
    // until the work area follows.
    bool moveXfcePanel(BarEdge edge);
    // Turns xfwm4's compositor on or off through its settings, as XFCE's settings dialog does, and waits
    // until the compositing selection follows.
    bool setXfwmCompositing(bool on);
    // xcompmgr as the compositing manager, ready once it owns _NET_WM_CM_S0; stopCompositor() ends it and
    // waits until the selection is free.
    bool startCompositor();
    bool stopCompositor();
    // The process id of a client the harness started (the first running one of that program); none without.
    std::optional<qint64> processId(const QString& program) const;
    // i3 as the window manager, with i3bar along the top (or bottom) of the screen holding the tray on the
    // primary output (set first: Xvfb names none). Configured by a file of the harness's own; ready once i3
    // manages the screen and i3bar owns the tray selection.
    bool startI3(BarEdge bar = BarEdge::top);
    // Paints the root window in one colour, so what shows through a window's cut corners is known.
    bool setRootColour(unsigned rgb);
    // Whether some client owns the selection now (_NET_WM_CM_S0, _NET_SYSTEM_TRAY_S0…).
    bool hasSelectionOwner(const QByteArray& selection) const;
    bool hasRootProperty(const QByteArray& name) const;
    // The first desktop's work area as the window manager announces it (_NET_WORKAREA); none without one.
    std::optional<QRect> workArea() const;
    // The colour (0xRRGGBB) on screen at a point, as the root window shows it; none when it cannot be read.
    std::optional<unsigned> pixel(int x, int y) const;

    // XFCE's XSETTINGS manager (xfsettingsd) on the private session bus (started here when there is none
    // yet) with its own settings daemon, as startXfwm() runs it (start xfwm4 first when both are wanted).
    // Ready once it owns _XSETTINGS_S0 and publishes its settings there.
    bool startXsettingsManager();
    // Sets Net/ThemeName through xfconf, as XFCE's Appearance dialog does, and waits until the manager
    // publishes it.
    bool setXsettingsTheme(const QString& name);
    // The XSETTINGS manager's published settings as they now read (empty without one).
    QByteArray xsettingsBlob() const;

    // A small XSETTINGS manager of the harness's own: the first call takes _XSETTINGS_S0 with a window
    // holding `blob` as its settings and announces itself (MANAGER on the root window), later calls replace
    // the blob; releaseXsettings() destroys the window, freeing the selection, and waits until it is free.
    bool ownXsettings(const QByteArray& blob);
    bool releaseXsettings();
    // Several monitors on the one screen (xrandr --setmonitor), each a rectangle of it in device pixels, the
    // first on the screen's output, which Qt and GTK read as that many screens. Before the clients that are
    // to see them start.
    bool splitIntoMonitors(const std::vector<QRect>& monitors);
    // Sets Xft.dpi in the server's resources (xrdb), which Qt takes as its scale (192: 2x) when it starts.
    bool setXftDpi(int dpi);
    // As startTrayHost(), on the given monitor (counted from 0) instead of the first.
    bool startTrayHostOnMonitor(int monitor);
    // As startTrayHost(), along that edge of the monitor, at its right end or its left; without a strut when
    // `reserves` is false (a dock that reserves nothing). trayer counts a bottom strut from the root's bottom
    // whatever the monitor.
    bool startTrayHostAt(BarEdge edge, int monitor, bool rightEnd = true, bool reserves = true);

    // Another program's dock window, grey, mapped at `place` (device pixels) reserving `strut`
    // (_NET_WM_STRUT_PARTIAL's twelve values; none: nothing), on a connection of the harness's own; with
    // `id`, under that id again once a window of that id is gone. Then, right behind the map with no wait
    // between, the keys `thenPress` (keysyms) pressed together and let go, as a keyboard would (XTest). Its
    // id once the server has done all that.
    std::uint32_t mapDock(const QRect& place, const std::vector<std::uint32_t>& strut = {},
                          std::uint32_t id = 0, const std::vector<std::uint32_t>& thenPress = {});
    // Destroys one of those docks and returns once the server has.
    void destroyDock(std::uint32_t id);
    // Whether the client that made `window` answers a _NET_WM_PING sent to it within the timeout. Qt answers
    // from its event loop: once it has, the client has done all it did before going back to that loop.
    bool answersPing(std::uint32_t window,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // Processes Qt events until the condition holds or the timeout passes; returns the condition.
    static bool waitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds timeout = std::chrono::seconds(10));

private:
    // Whether a top-level window (a child of the root window, or of a frame a manager put it in) carries it.
    bool hasTopLevelProperty(const QByteArray& name) const;
    QProcess& start(const QProcessEnvironment& environment, const QString& program,
                    const QStringList& arguments);
    QVariant watcherProperty(const QString& name) const;
    // Writes `contents` to a file of this server's own, removed with the harness; empty on failure.
    QString writeConfig(const QString& kind, const char* contents);

    // Whether the work area ends at a bar along that edge of the screen.
    bool workAreaEndsAtBar(BarEdge edge) const;

    int pid_ = -1;
    QString display_;
    QString busAddress_;
    std::unique_ptr<QTemporaryDir> authorityFolder_;
    QString authorityFile_;
    xcb_connection_t* traySelectionHolder_ = nullptr;
    std::vector<std::unique_ptr<QProcess>> clients_;
    QProcess* compositor_ = nullptr;
    std::vector<QString> configFiles_;
    std::unique_ptr<QTemporaryDir> desktopHome_; // a desktop's own settings and caches
    struct CloseConnection {
        void operator()(xcb_connection_t* connection) const;
    };
    std::unique_ptr<xcb_connection_t, CloseConnection> xsettingsOwner_; // ownXsettings()'s connection
    std::uint32_t xsettingsWindow_ = 0;
    std::unique_ptr<xcb_connection_t, CloseConnection> docks_; // mapDock()'s connection
};

} // namespace huddlepod::test
