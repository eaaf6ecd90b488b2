// Which files a folder lists, and in what order.
#include "../temp_dir.h"
#include "document/file_listing.h"

#include <gtest/gtest.h>

namespace orlen {
namespace {

TEST(FileTypes, ExtensionsMatchExactlyAndNamesWithoutADotAlwaysList) {
    const std::string_view types = kDefaultFileTypes;
    EXPECT_TRUE(IsListedFile("a.htm", types));
    EXPECT_TRUE(IsListedFile("c.mtpl", types));
    EXPECT_TRUE(IsListedFile("readme", types));
    EXPECT_TRUE(IsListedFile("x.tar.html", types));
    EXPECT_FALSE(IsListedFile("b.HTML", types)); // case-sensitive
    EXPECT_FALSE(IsListedFile("x.txt", types));
    EXPECT_FALSE(IsListedFile("x.", types));
    EXPECT_FALSE(IsListedFile("x.ht", types)); // a prefix of an entry is not an entry
    EXPECT_TRUE(IsListedFile("x.txt", ""));
    EXPECT_TRUE(IsListedFile("x.txt", "*.txt"));  // the last entry without ";"
    EXPECT_TRUE(IsListedFile("x.txt", "*.txt;")); // and with it
    EXPECT_FALSE(IsListedFile("x.txt", "*.TXT;*.htm"));
    EXPECT_FALSE(IsListedFile("x.txt", "txt"));
}

TEST(FileListing, DirectoriesThenFilesEachSortedWithoutCase) {
    test::TempDir dir;
    for (const char* f : {"a.htm", "b.HTML", "c.mtpl", "readme", "x.txt", "B.html", "_z.php"}) {
        dir.Write(f, "x");
    }
    for (const char* d : {"sub", "Alpha", "beta"}) {
        std::filesystem::create_directory(dir.Path() / d);
    }
    DirectoryListing listing = ListDirectory(dir.Path().string(), kDefaultFileTypes);
    EXPECT_TRUE(listing.readable);
    EXPECT_EQ(listing.directories, (std::vector<std::string>{"Alpha", "beta", "sub"}));
    EXPECT_EQ(listing.files,
              (std::vector<std::string>{"_z.php", "a.htm", "B.html", "c.mtpl", "readme"}));

    EXPECT_FALSE(ListDirectory((dir / "missing"), kDefaultFileTypes).readable);
    EXPECT_TRUE(ListDirectory((dir / "missing"), kDefaultFileTypes).files.empty());
}

TEST(FileListing, SortKeepsTheOrderOfNamesThatDifferOnlyInCase) {
    std::vector<std::string> names = {"b", "A", "a", "B", "a"};
    SortNamesNoCase(names);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "a", "b", "B"}));
}

TEST(FileListing, WalkExpandsEveryFolderInPlaceAndSurvivesLoops) {
    test::TempDir dir;
    dir.Write("z.html", "");
    dir.Write("b/2.html", "");
    dir.Write("b/c/3.htm", "");
    dir.Write("A/1.html", "");
    dir.Write("A/skip.txt", "");
    std::filesystem::create_directory(dir.Path() / "empty");
    std::filesystem::create_directory_symlink(dir.Path(), dir.Path() / "b" / "loop");
    std::vector<std::string> seen;
    WalkListedFiles(
        dir.Path().string(), kDefaultFileTypes,
        [&](const std::string& path) { seen.push_back(path); }, nullptr);
    EXPECT_EQ(seen, (std::vector<std::string>{"A/1.html", "b/c/3.htm", "b/2.html", "z.html"}));
}

} // namespace
} // namespace orlen
