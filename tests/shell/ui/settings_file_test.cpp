// A settings file damaged on disk: binary garbage, a file cut off in the
// middle of a line, absurd values. The store reads defaults where it cannot
// read, the tag catalogue stays bounded, and reading writes nothing.
#include "../../temp_dir.h"
#include "shell/ui/qt_settings_store.h"
#include "tags/tag_catalogue.h"

#include <gtest/gtest.h>

#include <climits>

namespace orlen {
namespace {

using test::ReadFile;

TEST(DamagedSettingsFile, GarbageAndTruncationReadAsDefaults) {
    test::TempDir dir;
    const std::string garbage("\x89PNG\r\n\x1a\n\0\0[User\n=\xff\xfe\nIBC\0=99\n", 29);
    const std::string truncated = "[User]\nIBC=2147483647\nS0D=-9\nU0N=\"unclosed\nU0D=4";
    const std::string absurd = "[User]\nIBC=-2147483648\nFileTypes=\nS1D=99999999999999999\n";
    for (const std::string& bytes : {garbage, truncated, absurd}) {
        const std::string path = dir.Write("settings.ini", bytes);
        {
            QtSettingsStore store(QString::fromStdString(path));
            std::string fileTypes;
            TagCatalogue catalogue(store, fileTypes);
            catalogue.loadSettings();
            EXPECT_GE(catalogue.count(), StandardTagCount);
            EXPECT_LE(catalogue.count(), StandardTagCount + TagCatalogue::kMaxUserDefinedTags);
            for (int i = 0; i < catalogue.count(); ++i) {
                (void)TagCatalogue::isShown(catalogue.at(i), false);
            }
            (void)store.GetSettingString("Recent File List", "File1", "");
            store.Sync();
        }
        EXPECT_EQ(ReadFile(path), bytes); // reading changed nothing on disk
    }
}

} // namespace
} // namespace orlen
