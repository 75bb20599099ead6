// The appearance entry of the settings store.
#include "ui/Preferences.h"
#include "platform/UserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace huddlepod;

TEST(Preferences, unknownAppearanceReadsSystemUntouchedAndSystemRemovesTheEntry) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Huddlepod.ini"));
    auto store = UserDefaults::open(path);
    Preferences preferences(*store);
    EXPECT_EQ(preferences.appearance(), AppearancePreference::system);
    for (const QString& stored :
         {QStringLiteral("Dark"), QStringLiteral("sepia"), QString(), QStringLiteral("system ")}) {
        store->setValue(QStringLiteral("appearance"), stored);
        EXPECT_EQ(preferences.appearance(), AppearancePreference::system) << stored.toStdString();
        EXPECT_EQ(store->value(QStringLiteral("appearance")).toString(), stored);
    }
    preferences.setAppearance(AppearancePreference::dark);
    EXPECT_EQ(preferences.appearance(), AppearancePreference::dark);
    preferences.setAppearance(AppearancePreference::system);
    EXPECT_FALSE(store->contains(QStringLiteral("appearance")));

    // What reaches the file is the raw text, not an index.
    preferences.setAppearance(AppearancePreference::light);
    store->sync();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("appearance=light"));
}
