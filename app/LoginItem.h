// Launch at login through an XDG autostart entry: $XDG_CONFIG_HOME/autostart/huddlepod.desktop, named and
// drawn as the installed menu entry is.
#pragma once

#include <QString>

#include <optional>

namespace huddlepod {

class LoginItem {
public:
    enum class State { enabled, disabled, requiresApproval, unavailable };

    static constexpr const char* entryFileName = "huddlepod.desktop";

    // $XDG_CONFIG_HOME/autostart, ~/.config/autostart when the variable is unset or not absolute.
    static QString standardAutostartDirectory();
    // This program's own path, or none when it cannot be found.
    static std::optional<QString> currentProgram();

    // Over the user's autostart folder and this program, unless told otherwise.
    LoginItem();
    LoginItem(QString autostartDirectory, std::optional<QString> program);

    QString entryPath() const;

    // Enabled while our entry exists, starts this program and is neither Hidden=true nor
    // X-GNOME-Autostart-enabled=false; unavailable without a program path. Approval is never required here.
    State state() const;
    // Turning on writes the entry anew. None on success, else "Couldn't enable launch at login: " (or
    // "disable") and the system's reason.
    std::optional<QString> set(bool enabled) const;
    // Opens the autostart folder in the desktop's file manager.
    void openSystemSettings() const;

    // The Exec value for the program: quoted and escaped as desktop entries require.
    static QString execValue(const QString& program);
    // The program an Exec value starts (its first argument, unquoted and unescaped), or none.
    static std::optional<QString> execProgram(const QString& value);

private:
    QString directory_;
    std::optional<QString> program_;
};

} // namespace huddlepod
