// The recovery copy without a window: when it is written while typing goes on, which copies an
// editor finds at start (never one whose editor still runs or that another editor is asking
// about), and what each answer to the offer does.
#include "commands/RecoveryCopy.h"

#include "commands/DocumentCommands.h"
#include "formats/LayoutFile.h"
#include "support/Child.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <optional>
#include <random>

using namespace versino;
using namespace versino::testing;

namespace {

class HandSchedule : public RecoverySchedule {
public:
    qint64 now = 0;
    std::optional<qint64> wakeAt;
    qint64 nowMs() const override { return now; }
    void wakeIn(qint64 ms) override { wakeAt = now + ms; }
    void cancel() override { wakeAt.reset(); }
};

// The title held by the one copy in `folder`, or "(none)".
std::string keptTitle(const QString& folder) {
    const QStringList copies = QDir(folder).entryList({"*.vsn"}, QDir::Files);
    if (copies.size() != 1)
        return copies.isEmpty() ? "(none)" : "(several)";
    SongDocument doc;
    ReadLayoutFile(doc, folder + "/" + copies.front());
    return doc.TitelEdit().text();
}

// Typing in bursts and pauses of every length: each change is in a copy at most ten seconds
// later, and a copy is written only after a pause or when the ten seconds are up.
TEST(RecoveryKeeper, everyChangeIsKeptWithinTenSecondsAndOnlyAfterAPauseOrTheLimit) {
    std::mt19937 random(30);
    for (int run = 0; run < 8; ++run) {
        TempDir dir;
        RecoveryStore store(dir.path("recovery"));
        SongDocument doc;
        HandSchedule clock;
        RecoveryKeeper keeper(doc, store, clock, [] { return QString(); });
        std::uniform_int_distribution<int> gap(run % 2 ? 50 : 0, run % 3 ? 4000 : 900);
        std::vector<qint64> changes;
        struct Write {
            qint64 at;
            std::size_t changesBefore; // how many changes were made when it was written
            std::string title;
        };
        std::vector<Write> writes;
        const auto runWakes = [&](qint64 until) {
            while (clock.wakeAt && *clock.wakeAt <= until) {
                clock.now = *clock.wakeAt;
                clock.wakeAt.reset();
                keeper.due();
                writes.push_back({clock.now, changes.size(), keptTitle(dir.path("recovery"))});
            }
        };
        for (int i = 0; i < 60; ++i) {
            const qint64 at = clock.now + gap(random);
            runWakes(at);
            clock.now = at;
            doc.TitelEdit().setText("change " + std::to_string(i));
            changes.push_back(at);
            keeper.songChanged();
        }
        runWakes(clock.now + RecoveryKeeper::kAtMostMs);
        std::size_t before = 0;
        for (const Write& w : writes) {
            ASSERT_GT(w.changesBefore, before) << "a copy written without a change since the last";
            EXPECT_EQ(w.title, "change " + std::to_string(w.changesBefore - 1));
            EXPECT_LE(w.at - changes[before], RecoveryKeeper::kAtMostMs) << "change " << before << " kept too late";
            EXPECT_TRUE(w.at - changes[w.changesBefore - 1] >= RecoveryKeeper::kPauseMs ||
                        w.at - changes[before] == RecoveryKeeper::kAtMostMs)
                << "a copy at " << w.at << " while typing went on";
            before = w.changesBefore;
        }
        EXPECT_EQ(before, changes.size()) << "the last change is kept too";
        // Saved or discarded: the copy goes, and nothing more is written.
        doc.Modified = false;
        keeper.songChanged();
        EXPECT_EQ(keptTitle(dir.path("recovery")), "(none)");
        EXPECT_FALSE(clock.wakeAt.has_value());
    }
}

// An editor that keeps a copy and ends without removing it (killed), as a child process.
// `importedFrom`: the song was read from that file, which Save does not write.
void leaveCopy(const QString& folder, const std::string& title, const QString& songPath,
               const QString& importedFrom = QString()) {
    const ChildResult r = runInChild({}, [&] {
        auto* store = new RecoveryStore(folder); // never destroyed: the process ends as if killed
        SongDocument doc;
        doc.TitelEdit().setText(title);
        doc.path = songPath.isEmpty() ? importedFrom : songPath;
        doc.DocumentName = !songPath.isEmpty()       ? songPath
                           : importedFrom.isEmpty() ? QStringLiteral("unbenannt")
                                                    : QFileInfo(importedFrom).completeBaseName() + ".vsn";
        store->keep(doc, songPath);
        return std::string("kept");
    });
    ASSERT_EQ(r.output, "kept");
}

std::vector<std::string> titlesOf(const std::vector<RecoveryOffer>& offers) {
    std::vector<std::string> titles;
    for (const RecoveryOffer& o : offers)
        titles.push_back(o.title);
    return titles;
}

TEST(RecoveryStore, offersOnlyCopiesWhoseEditorEndedAndEachToOneEditorAtATime) {
    TempDir dir;
    const QString folder = dir.path("recovery");
    leaveCopy(folder, "left behind", QString());
    RecoveryStore running(folder);
    SongDocument doc;
    doc.TitelEdit().setText("still being edited");
    running.keep(doc, QString());

    RecoveryStore first(folder);
    RecoveryStore second(folder);
    EXPECT_EQ(titlesOf(first.claimLeftCopies()), std::vector<std::string>{"left behind"});
    EXPECT_EQ(titlesOf(second.claimLeftCopies()), std::vector<std::string>{}) << "the first editor is asking";
    first.releaseClaims();
    EXPECT_EQ(titlesOf(second.claimLeftCopies()), std::vector<std::string>{"left behind"});
    EXPECT_EQ(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther), 0);
}

TEST(RecoveryOffer, eachAnswerRestoresRemovesOrKeepsTheCopy) {
    struct Case {
        MsgButton answer;
        const char* titleAfter;
        bool modifiedAfter;
        const char* nameAfter;
        int copiesLeft;
        bool imported;
    };
    for (const Case& c : {Case{MsgButton::Yes, "Mein Lied", true, "lied.vsn", 0, false},
                          Case{MsgButton::Yes, "Mein Lied", true, "lied.vsn", 0, true},
                          Case{MsgButton::No, "", false, "unbenannt", 0, false},
                          Case{MsgButton::Cancel, "", false, "unbenannt", 1, false}}) {
        SCOPED_TRACE(int(c.answer) * 2 + c.imported);
        TempDir dir;
        const QString folder = dir.path("recovery");
        if (c.imported)
            leaveCopy(folder, "Mein Lied", QString(), dir.path("lied.cho"));
        else
            leaveCopy(folder, "Mein Lied", dir.path("lied.vsn"));
        SongDocument doc;
        ScriptedDialogs dialogs;
        DocumentCommands commands(doc, dialogs, {});
        commands.FormCreate();
        RecoveryStore store(folder);
        dialogs.confirmAnswers = {c.answer};
        int keptFirst = 0;
        EXPECT_EQ(offerLeftCopies(store, commands, dialogs, [&] { ++keptFirst; }), c.answer == MsgButton::Yes);
        ASSERT_EQ(dialogs.confirms.size(), 1u);
        EXPECT_TRUE(dialogs.confirms[0].text.startsWith(QString::fromUtf8("Ungesicherte Änderungen an „lied.vsn“ vom ")))
            << dialogs.confirms[0].text.toStdString();
        EXPECT_TRUE(dialogs.confirms[0].text.contains(QString::fromUtf8("„Mein Lied“")));
        EXPECT_EQ(doc.TitelEdit().text(), c.titleAfter);
        EXPECT_EQ(doc.Modified, c.modifiedAfter);
        EXPECT_EQ(QFileInfo(doc.DocumentName).fileName(), c.nameAfter);
        EXPECT_EQ(commands.filePath().isEmpty(), c.answer != MsgButton::Yes || c.imported)
            << "Save writes to the song's file, never to the file an imported song came from";
        // Restored, a song still belongs beside its file: pictures and exports are found there.
        EXPECT_EQ(commands.songFolder(), c.answer == MsgButton::Yes ? dir.path() : QString());
        EXPECT_EQ(doc.isUntitled(), c.answer != MsgButton::Yes);
        EXPECT_EQ(keptFirst, c.answer == MsgButton::Yes ? 1 : 0);
        EXPECT_EQ(QDir(folder).entryList({"*.vsn"}, QDir::Files).size(), c.copiesLeft);
    }
}

} // namespace
