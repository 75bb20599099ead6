// The program read through AT-SPI on a private accessibility bus, as a screen reader on this desktop reads
// it: the panel's tree, and what it is told while a user searches, moves through the rows, opens a card and
// walks an open list with the keys.
#include "backend/BackendServer.h"
#include "backend/LeagueDatabase.h"
#include "backend/PlayerSearch.h"
#include "tests/e2e/ProgramUnderX.h"
#include "tests/support/QtPrinters.h"

#include <nlohmann/json.hpp>

#include <memory>

namespace {

using huddlepod::test::XServerHarness;
namespace backend = huddlepod::backend;

class AccessibilityEndToEnd : public huddlepod::test::ProgramUnderX {
protected:
    void SetUp() override {
        ProgramUnderX::SetUp();
        static const auto league = backend::LeagueDatabase::generate({backend::LeagueSize::Small, 7});
        database = league;
        server = std::make_unique<backend::BackendServer>(league);
        // The accessibility bus is found through the session bus, as on a desktop with a screen reader.
        ASSERT_TRUE(x.startSessionBus());
        x.start(QStringLiteral("/usr/libexec/at-spi-bus-launcher"), {QStringLiteral("--launch-immediately")});
        ASSERT_TRUE(XServerHarness::waitFor([this] {
            return x.run(QStringLiteral("dbus-send"), {"--session", "--print-reply", "--dest=org.a11y.Bus",
                                                       "/org/a11y/bus", "org.a11y.Bus.GetAddress"}) == 0;
        }));
        listener.setProcessEnvironment(x.environment());
        QObject::connect(&listener, &QProcess::readyReadStandardOutput, [this] {
            while (listener.canReadLine()) {
                said << QString::fromUtf8(listener.readLine()).chopped(1);
            }
        });
        listener.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(HUDDLEPOD_SOURCE_DIR "/tests/e2e/atspi_listen.py"), "Huddlepod"});
        ASSERT_TRUE(XServerHarness::waitFor([this] { return said.contains("READY"); }))
            << listener.readAllStandardError().toStdString();
    }
    void TearDown() override {
        listener.kill();
        listener.waitForFinished();
        ProgramUnderX::TearDown();
    }

    void start(const QMap<QString, QString>& extra = {}) {
        QMap<QString, QString> environment = extra;
        environment.insert("DBUS_SESSION_BUS_ADDRESS", x.sessionBusAddress());
        environment.insert("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", "1");
        environment.insert("HUDDLEPOD_SUPABASE_URL", QString::fromStdString(server->baseUrl()));
        environment.insert("HUDDLEPOD_SUPABASE_ANON_KEY", QString::fromStdString(server->anonKey()));
        launch(environment);
    }
    // The full names the backend's search answers for a query, best match first.
    QStringList searched(const QString& query) const {
        QStringList names;
        for (const auto& row : nlohmann::json::parse(database->playerSearch().search(query.toStdString()))) {
            names.append(QString::fromStdString(row.at("full_name").get<std::string>()));
        }
        return names;
    }
    // The commonest start of a surname: several rows to move through.
    QString commonQuery() const {
        for (const auto& row :
             database->query("SELECT lower(substr(last_name, 1, 3)) FROM players GROUP BY 1 "
                             "ORDER BY count(*) DESC LIMIT 1")) {
            return QString::fromStdString(row.begin().value().get<std::string>());
        }
        return {};
    }
    // The events heard since the last call, as "<type> <detail1> <role>|<name>", of the kinds a screen
    // reader speaks from wherever the focus is: a selection or focus gained, a notification shown.
    QStringList heard() {
        QStringList events;
        for (const QString& line : std::exchange(said, {})) {
            if (line.startsWith("EVENT ") && (line.contains(":selected 1 ") || line.contains(":focused 1 ") ||
                                              line.contains(":showing 1 notification|"))) {
                events << line.mid(6);
            }
        }
        return events;
    }
    // Waits until an event matching is heard; everything heard until then, without the prefix.
    QStringList heardUntil(const QString& pattern) {
        const QRegularExpression match(pattern);
        QStringList events;
        XServerHarness::waitFor(
            [&] {
                events << heard();
                return !events.filter(match).isEmpty();
            },
            std::chrono::seconds(20));
        return events;
    }
    // The program's shown elements: "<depth> <role>|<name>|<place among its siblings>".
    // The events heard meanwhile are kept.
    QStringList tree() {
        listener.write("tree\n");
        XServerHarness::waitFor([&] { return said.contains("TREE-END"); }, std::chrono::seconds(20));
        QStringList elements;
        QStringList events;
        for (const QString& line : std::exchange(said, {})) {
            if (line.startsWith("TREE ")) {
                elements << line.mid(5);
            } else if (line != "TREE-END") {
                events << line;
            }
        }
        said = events;
        return elements;
    }
    void key(const char* name) { xdotool({"key", name}); }

    std::shared_ptr<const backend::LeagueDatabase> database;
    std::unique_ptr<backend::BackendServer> server;
    QProcess listener;
    QStringList said;
};

TEST_F(AccessibilityEndToEnd, aScreenReaderHearsTheStatusesTheRowsAndTheCardAndFindsTheListInAWindow) {
    start();
    showPanel();
    // "Searching…" may be gone again before it is said, when the answer is quick.
    const auto notices = [](const QStringList& events) {
        return events.filter("notification|").filter(QRegularExpression("\\|(?!Searching…$)"));
    };
    // The field takes the focus, and the league browser's own status is said as it loads, in either order.
    QStringList opening = heardUntil("focused 1 text\\|Search players$");
    if (opening.filter("notification|").isEmpty()) {
        opening << heardUntil("notification\\|Loading…$");
    }
    EXPECT_EQ(opening.filter("focused 1 text|"),
              QStringList{"object:state-changed:focused 1 text|Search players"});
    EXPECT_EQ(notices(opening), QStringList{"object:state-changed:showing 1 notification|Loading…"});
    xdotool({"type", "zzqx"});
    EXPECT_EQ(notices(heardUntil("notification\\|No players")),
              QStringList{"object:state-changed:showing 1 notification|No players matching “zzqx”"});

    const QString query = commonQuery();
    const QStringList found = searched(query);
    ASSERT_GE(found.size(), 2) << query.toStdString();
    xdotool({"key", "ctrl+a", "BackSpace"});
    xdotool({"type", query});
    const QString row = "object:state-changed:selected 1 list item|%1, ";
    QStringList events = heardUntil("selected 1 list item\\|");
    ASSERT_EQ(events.filter("list item|").size(), 1) << events.join('\n').toStdString();
    EXPECT_TRUE(events.filter("list item|").front().startsWith(row.arg(found[0])))
        << events.join('\n').toStdString();
    EXPECT_EQ(notices(events), QStringList()) << events.join('\n').toStdString();

    // The tree: the panel a window (a frame in AT-SPI's words), the rows items of a list, each one of so
    // many.
    const QStringList elements = tree();
    ASSERT_FALSE(elements.isEmpty());
    EXPECT_TRUE(elements.front().startsWith("0 frame|Huddlepod search|")) << elements.front().toStdString();
    const QStringList items = elements.filter(QRegularExpression("^\\d+ list item\\|"));
    ASSERT_EQ(items.size(), found.size()) << elements.join('\n').toStdString();
    for (int index = 0; index < items.size(); ++index) {
        EXPECT_TRUE(items[index].contains(QStringLiteral("|%1, ").arg(found[index])))
            << items[index].toStdString();
        EXPECT_TRUE(items[index].endsWith(QStringLiteral("|%1/%2").arg(index + 1).arg(found.size())))
            << items[index].toStdString();
    }
    const int first = int(elements.indexOf(items.front()));
    EXPECT_TRUE(elements[first - 1].contains(" list||")) << elements[first - 1].toStdString();

    key("Down");
    events = heardUntil("selected 1 list item\\|");
    EXPECT_EQ(events.size(), 1);
    EXPECT_TRUE(events.value(0).startsWith(row.arg(found[1]))) << events.join('\n').toStdString();
    key("Up");
    events = heardUntil("selected 1 list item\\|");
    EXPECT_EQ(events.size(), 1);
    EXPECT_TRUE(events.value(0).startsWith(row.arg(found[0]))) << events.join('\n').toStdString();

    key("Return");
    events = heardUntil("notification\\|" + QRegularExpression::escape(found[0]) + "$");
    EXPECT_EQ(events.filter("notification|").value(0),
              "object:state-changed:showing 1 notification|" + found[0])
        << events.join('\n').toStdString();
    screenshot("accessibility-card");
}

TEST_F(AccessibilityEndToEnd, anOpenListIsFoundUnderItsPickerAndWalkedByTheKeys) {
    // A debug run opens the league's schedule and its week list.
    start({{"HUDDLEPOD_DEBUG_HOME", "schedule"},
           {"HUDDLEPOD_DEBUG_PICKER", "week"},
           {"HUDDLEPOD_DEBUG_HOLD", "60"}});
    ASSERT_TRUE(XServerHarness::waitFor(
        [&] {
            const QStringList elements = tree();
            return !elements.filter(QRegularExpression("^\\d+ list\\|Week\\|")).isEmpty();
        },
        std::chrono::seconds(40)))
        << errors.toStdString();
    const QStringList elements = tree();
    const int list = int(elements.indexOf(QRegularExpression("^\\d+ list\\|Week\\|.*")));
    // Under the picker, after its buttons (the label button says the week).
    const int depth = elements[list].section(' ', 0, 0).toInt();
    int picker = list - 1;
    while (picker >= 0 && elements[picker].section(' ', 0, 0).toInt() >= depth) {
        --picker;
    }
    ASSERT_GE(picker, 0);
    EXPECT_EQ(elements[picker].section(' ', 1).section('|', 0, 0), "panel");
    EXPECT_TRUE(elements[list].endsWith("|4/4")) << elements[list].toStdString();
    EXPECT_EQ(elements.mid(picker + 1, list - picker - 1)
                  .filter(QRegularExpression(QStringLiteral("^%1 push button\\|Week \\d+\\|").arg(depth)))
                  .size(),
              1)
        << elements.join('\n').toStdString();

    // Focus went into the list, then to its current row.
    const QStringList opened = heardUntil("focused 1 list item\\|").filter("focused 1 list");
    ASSERT_EQ(opened.size(), 2) << opened.join('\n').toStdString();
    EXPECT_EQ(opened[0], "object:state-changed:focused 1 list|Week");
    EXPECT_TRUE(opened[1].startsWith("object:state-changed:focused 1 list item|")) << opened[1].toStdString();
    key("Down");
    const QStringList events = heardUntil("focused 1 list item\\|");
    EXPECT_EQ(events.filter("list item|").size(), 1) << events.join('\n').toStdString();
    key("Escape");
    ASSERT_TRUE(XServerHarness::waitFor([&] { return tree().filter(" list|Week|").isEmpty(); }));
    screenshot("accessibility-week-list");
}

} // namespace
