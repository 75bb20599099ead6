# Debian packages the project needs, and an idempotent installer for them (sourced by scripts/test and scripts/run).
HUDDLEPOD_PACKAGES=(
    build-essential cmake ninja-build pkg-config git clang-format
    qt6-base-dev qcoro-qt6-dev nlohmann-json3-dev libsimdjson-dev
    libcpp-httplib-dev libsqlite3-dev libssl-dev zlib1g-dev libbrotli-dev
    libxcb1-dev libxcb-keysyms1-dev libxcb-xinput-dev libxkbcommon-x11-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    locales # localedef's sources, for the comma-decimal locale the number-formatting tests generate
    fonts-lato
    xvfb xauth trayer xdotool imagemagick x11-utils
    openbox xcompmgr # a window manager and a compositor for the end-to-end desktops
    xfwm4 xfconf # XFCE's window manager with its own compositor, and the settings daemon that turns it off and on
    xfce4-settings # xfsettingsd, XFCE's XSETTINGS manager, publishing the theme the appearance tests change
    xfce4-panel # XFCE's own bar with its status tray (StatusNotifier and XEmbed), for where the panel opens under it
    i3-wm # i3 with i3bar's tray for the end-to-end desktops
    libxcb-xfixes0-dev libxcb-shape0-dev # compositor changes; the panel's input shape
    libxcb-xtest0-dev # XTest key presses for the hot-key benchmark
    libxtst-dev # RECORD for bench/ServerTrace.cpp: what the server does for each client on a show
    iproute2 # ss reads back the local backend's listen queue
    # A StatusNotifier desktop for the tray's end-to-end tests: a private session bus, a watcher and a host
    dbus-daemon haskell-status-notifier-item-utils haskell-gtk-sni-tray-utils
    librsvg2-bin # rsvg-convert draws the application icon's PNG sizes at build time
    desktop-file-utils # desktop-file-validate checks the installed menu entry
    x11-xserver-utils # xrandr splits the test screen into two monitors, xrdb sets Xft.dpi for a 2x desktop
    # The accessibility bus and pyatspi, for reading the program as a screen reader does in the end-to-end tests
    at-spi2-core python3-pyatspi gir1.2-atspi-2.0
)

huddlepod_install_packages() {
    local missing=()
    local package
    for package in "${HUDDLEPOD_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        if ! command -v sudo >/dev/null; then
            echo "Missing packages; run as root or install sudo: ${missing[*]}" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    # Through env, since sudo's env_reset would drop a variable set in front of it.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}
