// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/desktop_arguments.h"

#include <gtest/gtest.h>

namespace salvora {
namespace {

TEST(CommandLineArgument, TrimsBlanksAndOnePairOfQuotes) {
    struct Case {
        const char* raw;
        const char* expected;
    } cases[] = {
        {"", ""},
        {"   ", ""},
        {"/home/ann/card.SLV", "/home/ann/card.SLV"},
        {"  \"/home/ann/my card.SLV\"  ", "/home/ann/my card.SLV"},
        {"\"\"/x.SLV\"\"", "\"/x.SLV\""}, // only one quote comes off each end
        {"\"/x.SLV", "/x.SLV"},
        {"/x.SLV\"", "/x.SLV"},
        {"\"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(commandLineArgument(c.raw), c.expected) << c.raw;
}

TEST(DesktopArguments, ImagesAreOptionsAndTheRestIsTheLogPath) {
    DesktopArguments a = parseDesktopArguments(
        {"--image", "card.img", "--volume-image=part.img", "\"/tmp/my", "log.SLV\"", "--image=b.img"});
    EXPECT_EQ(a.error, "");
    EXPECT_EQ(a.diskImages, (std::vector<std::string>{"card.img", "b.img"}));
    EXPECT_EQ(a.volumeImages, (std::vector<std::string>{"part.img"}));
    EXPECT_EQ(a.logArgument, "/tmp/my log.SLV");
    EXPECT_FALSE(a.noDevices);
}

TEST(DesktopArguments, QuotedAndBarePathsGiveTheSameLog) {
    EXPECT_EQ(parseDesktopArguments({"\"/a/b.SLV\""}).logArgument,
              parseDesktopArguments({"/a/b.SLV"}).logArgument);
    EXPECT_EQ(parseDesktopArguments({}).logArgument, "");
    EXPECT_EQ(parseDesktopArguments({"--", "--image"}).logArgument, "--image");
}

TEST(DesktopArguments, MissingValuesAndUnknownOptionsAreErrors) {
    EXPECT_NE(parseDesktopArguments({"--image"}).error, "");
    EXPECT_NE(parseDesktopArguments({"--volume-image="}).error, "");
    EXPECT_NE(parseDesktopArguments({"--frobnicate"}).error, "");
    EXPECT_TRUE(parseDesktopArguments({"--no-devices"}).noDevices);
    EXPECT_TRUE(parseDesktopArguments({"--help"}).help);
}

} // namespace
} // namespace salvora
