// Replays the fuzz targets' seed corpora and every input that once broke a target, with the same
// checks the fuzzers make. Each file that fails names itself and the broken invariant.
#include "FuzzCheck.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <functional>

namespace {

using Target = std::function<void(const std::uint8_t*, std::size_t)>;

int replayFolder(const QString& folder, const Target& target) {
    int replayed = 0;
    for (const QString& name : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
            continue;
        }
        const QByteArray bytes = file.readAll();
        try {
            target(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
        } catch (const std::exception& e) {
            ADD_FAILURE() << file.fileName().toStdString() << ": " << e.what();
        }
        ++replayed;
    }
    return replayed;
}

void replay(const char* name, const Target& target) {
    const int seeds = replayFolder(QStringLiteral(VERSINO_FUZZ_CORPUS "/") + name, target);
    replayFolder(QStringLiteral(VERSINO_FUZZ_REGRESSIONS "/") + name, target);
    EXPECT_GT(seeds, 0) << "the seed corpus of " << name << " is missing";
}

} // namespace

TEST(FuzzReplay, layoutReaderInputs) {
    replay("layout", versino::fuzz::layoutInput);
}

TEST(FuzzReplay, pageComposerInputs) {
    replay("page", versino::fuzz::pageInput);
}

TEST(FuzzReplay, bitmapInputs) {
    replay("bitmap", versino::fuzz::bitmapInput);
}

TEST(FuzzReplay, chordSheetInputs) {
    replay("chordsheet", versino::fuzz::chordSheetInput);
}

TEST(FuzzReplay, chordProReaderInputs) {
    replay("chordpro", versino::fuzz::chordProInput);
}
