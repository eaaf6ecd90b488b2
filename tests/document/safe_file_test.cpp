// Writing files through a temporary file.
#include "../temp_dir.h"
#include "document/safe_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace orlen {
namespace {

TEST(SafeFile, CreatesReplacesAndRefusesWhatIsNotAFile) {
    test::TempDir dir;
    std::string error;
    ASSERT_TRUE(WriteFileSafely(dir / "new.txt", std::string("a\0b", 3), error)) << error;
    EXPECT_EQ(test::ReadFile(dir / "new.txt"), std::string("a\0b", 3));
    ASSERT_TRUE(WriteFileSafely(dir / "new.txt", "", error));
    EXPECT_EQ(test::ReadFile(dir / "new.txt"), "");

    std::filesystem::create_directory(dir / "sub");
    EXPECT_FALSE(WriteFileSafely(dir / "sub", "x", error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(WriteFileSafely(dir / "missing/x.txt", "x", error));

    std::string bytes;
    EXPECT_FALSE(ReadWholeFile(dir / "sub", bytes, error));
    EXPECT_FALSE(ReadWholeFile(dir / "nothing", bytes, error));
    EXPECT_TRUE(ReadWholeFile(dir / "new.txt", bytes, error));
}

TEST(SafeFile, NewFilesFollowTheUmask) {
    test::TempDir dir;
    std::string error;
    mode_t old = ::umask(027);
    ASSERT_TRUE(WriteFileSafely(dir / "f.txt", "x", error));
    ::umask(old);
    struct stat st {};
    ASSERT_EQ(::stat((dir / "f.txt").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

} // namespace
} // namespace orlen
