// The build-time bundle information answers the keys the app reads and nothing else.
#include "platform/BundleInformation.h"

#include <gtest/gtest.h>

using huddlepod::bundleValue;

TEST(BundleInformation, answersVersionAndBuildFromTheProject)
{
    ASSERT_TRUE(bundleValue("CFBundleShortVersionString").has_value());
    EXPECT_FALSE(bundleValue("CFBundleShortVersionString")->isEmpty());
    ASSERT_TRUE(bundleValue("CFBundleVersion").has_value());
}

TEST(BundleInformation, unknownKeysHaveNoValue)
{
    EXPECT_FALSE(bundleValue("NSPrincipalClass").has_value());
    EXPECT_FALSE(bundleValue("").has_value());
}
