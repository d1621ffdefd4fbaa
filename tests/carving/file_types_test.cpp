// SPDX-License-Identifier: GPL-3.0-or-later
#include "carving/file_types.h"

#include <gtest/gtest.h>

namespace salvora {
namespace {

TEST(FileTypeDescription, FollowsTheTableExactlyAndCaseSensitively) {
    struct Case {
        const char* fileName;
        const char* description;
    } cases[] = {
        {"noextension", "File"},
        {"IMG_0001.JPG", "Image File"},
        {"IMG_0001.jpg", "Image File"},
        {"IMG_0001.Jpg", "JPG File"}, // mixed case is not in the table
        {"photo.JPEG", "Image File"},
        {"photo.jpeg", "Image File"},
        {"index.html", "Web file"},
        {"index.HTML", "Web file"},
        {"notes.xyz", "XYZ File"},
        {"prog.c", "C++ file"},
        {"defs.h", "Header file"},
        {"DEFS.H", "Header file"},
        {"font.ttf", "Font file"},
        {"app.ico", "Icon file"},
        {"report.docx", "Microsoft Word File"},
        {"song.mp3", "Sound file"},
        {"clip.MP4", "Video File"},
        {"card.vcf", "vCard File"},
        {"me.contact", "Contact File"},
        {"driver.sys", "System File"},
        {"archive.tar.gz", "Winzip File"},
        {"setup.exe", "Executable file"},
        {"data.mdbx", "Database File"},
        {"pic.bmp", "Image File"},
        {"pic.BMP", "Image File"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FileTypeDescription(findExtension(c.fileName), c.fileName), c.description) << c.fileName;
}

TEST(FileTypeDescription, BlankExtensionsAreJustFiles) {
    EXPECT_EQ(FileTypeDescription("", "x"), "File");
    EXPECT_EQ(FileTypeDescription("   ", "x.   "), "File");
    EXPECT_EQ(FileTypeDescription(" .txt ", "a.txt"), "Text file");
}

TEST(FindExtension, TakesTheLastDotOfTheLastComponent) {
    EXPECT_EQ(findExtension("a.b.c"), ".c");
    EXPECT_EQ(findExtension("name"), "");
    EXPECT_EQ(findExtension("dir.d/name"), "");
    EXPECT_EQ(findExtension(".profile"), ".profile");
    EXPECT_EQ(findExtension("holiday map.png"), ".png");
    EXPECT_EQ(findExtension("file. txt"), ""); // a blank after the dot ends the extension
}

class CountingLookup : public IconLookup {
public:
    int iconIndexForName(const std::string& name, bool, bool) override {
        asked.push_back(name);
        return static_cast<int>(asked.size());
    }
    std::vector<std::string> asked;
};

TEST(SystemIconIndex, AsksOncePerRunOfOneExtension) {
    CountingLookup lookup;
    SystemIconIndexCache cache(lookup);
    EXPECT_EQ(cache.SystemIconIndex("a.jpg", false, true), 1);
    EXPECT_EQ(cache.SystemIconIndex("b.jpg", false, true), 1);
    EXPECT_EQ(cache.SystemIconIndex("c.JPG", false, true), 2); // another case is another extension
    EXPECT_EQ(cache.SystemIconIndex("d.jpg", false, true), 3);
    EXPECT_EQ(lookup.asked, (std::vector<std::string>{"a.jpg", "c.JPG", "d.jpg"}));
}

TEST(SystemIconIndex, TheFirstLookupAsksEvenWithoutAnExtension) {
    CountingLookup lookup;
    SystemIconIndexCache cache(lookup);
    cache.SystemIconIndex("README", false, true);
    cache.SystemIconIndex("Makefile", false, true);
    EXPECT_EQ(lookup.asked.size(), 1u);
}

} // namespace
} // namespace salvora
