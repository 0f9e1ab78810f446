#include "io/RegularFile.h"
#include "support/TempDir.h"

#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>

using versino::RegularFile;
using versino::testing::TempDir;
using versino::testing::writeAll;

namespace {

// What was read depends on the file's size when it is read, not on the size it had when opened,
// unless a limit says otherwise: songs are read to their end, pictures no further than the size
// that was checked against their bound.
TEST(RegularFileRead, readsToTheEndOrTheLimitWhateverTheSizeAtOpening) {
    const TempDir dir;
    for (const std::size_t before : {std::size_t(0), std::size_t(5), std::size_t(70000)}) {
        for (const std::size_t added : {std::size_t(0), std::size_t(1), std::size_t(65536 + 3)}) {
            SCOPED_TRACE(std::to_string(before) + " + " + std::to_string(added));
            const std::string name = dir.str("grows");
            std::string content(before + added, '\0');
            for (std::size_t i = 0; i < content.size(); ++i)
                content[i] = char('a' + i % 23);
            writeAll(name, content.substr(0, before));
            RegularFile file(QString::fromStdString(name));
            ASSERT_EQ(file.error(), 0);
            ASSERT_EQ(std::size_t(file.status().st_size), before);
            std::ofstream(name, std::ios::binary | std::ios::app) << content.substr(before);

            std::string whole;
            ASSERT_EQ(file.read(whole), 0);
            EXPECT_EQ(whole, content);

            RegularFile again(QString::fromStdString(name));
            std::string bounded;
            ASSERT_EQ(again.read(bounded, before), 0);
            EXPECT_EQ(bounded, content.substr(0, before));
            EXPECT_EQ(again.close(), 0);
        }
    }
}

TEST(RegularFileRead, onlyRegularFilesOpen) {
    const TempDir dir;
    EXPECT_EQ(RegularFile(dir.path()).error(), EISDIR);
    EXPECT_EQ(RegularFile(QStringLiteral("/dev/null")).error(), EACCES);
    EXPECT_EQ(RegularFile(dir.path("missing")).error(), ENOENT);
    RegularFile refused(dir.path());
    std::string out = "old";
    EXPECT_NE(refused.read(out), 0) << "a file that did not open cannot be read";
}

} // namespace
