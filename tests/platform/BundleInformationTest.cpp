// The build-time bundle information answers the keys the app reads and nothing else.
#include "platform/BundleInformation.h"

#include <gtest/gtest.h>

using huddlepod::bundleValue;

TEST(BundleInformation, answersVersionAndBuildFromTheProjectAndNothingElse) {
    EXPECT_FALSE(bundleValue("CFBundleShortVersionString").value_or("").isEmpty());
    EXPECT_TRUE(bundleValue("CFBundleVersion").has_value());
    EXPECT_EQ(bundleValue("CFBundleIdentifier"), "org.huddlepod.Huddlepod"); // the installed entry's name
    EXPECT_FALSE(bundleValue("NSPrincipalClass").has_value());
    EXPECT_FALSE(bundleValue("").has_value());
}
