// The appearance and hint entries of the settings store.
#include "ui/Preferences.h"
#include "platform/UserDefaults.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace huddlepod;

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    QString path() const { return dir.filePath(QStringLiteral("Huddlepod.ini")); }
    QTemporaryDir dir;
};

} // namespace

TEST_F(PreferencesTest, missingOrUnknownAppearanceReadsSystemAndStaysStored) {
    auto store = UserDefaults::open(path());
    Preferences preferences(*store);
    EXPECT_EQ(preferences.appearance(), AppearancePreference::system);

    for (const QString& stored :
         {QStringLiteral("Dark"), QStringLiteral("sepia"), QString(), QStringLiteral("system ")}) {
        store->setValue(QStringLiteral("appearance"), stored);
        EXPECT_EQ(preferences.appearance(), AppearancePreference::system) << stored.toStdString();
        EXPECT_EQ(store->value(QStringLiteral("appearance")).toString(), stored);
    }
    store->setValue(QStringLiteral("appearance"), QStringLiteral("dark"));
    EXPECT_EQ(preferences.appearance(), AppearancePreference::dark);
}

TEST_F(PreferencesTest, writingSystemRemovesTheEntryAndOthersStoreTheirText) {
    auto store = UserDefaults::open(path());
    Preferences preferences(*store);
    preferences.setAppearance(AppearancePreference::light);
    EXPECT_EQ(store->value(QStringLiteral("appearance")).toString(), QStringLiteral("light"));
    preferences.setAppearance(AppearancePreference::dark);
    preferences.setAppearance(AppearancePreference::system);
    EXPECT_FALSE(store->contains(QStringLiteral("appearance")));
    EXPECT_EQ(preferences.appearance(), AppearancePreference::system);

    // What reaches the file is the raw text, not an index.
    preferences.setAppearance(AppearancePreference::light);
    QFile file(path());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("appearance=light"));
}

TEST_F(PreferencesTest, hintFlagStartsFalseAndPersistsAcrossInstances) {
    {
        auto store = UserDefaults::open(path());
        Preferences preferences(*store);
        EXPECT_FALSE(preferences.hasSeenHotkeyHint());
        preferences.setHasSeenHotkeyHint(true);
    }
    auto store = UserDefaults::open(path());
    EXPECT_TRUE(Preferences(*store).hasSeenHotkeyHint());
}
