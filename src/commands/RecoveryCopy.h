#pragma once

// The recovery copy: what keeps typing alive through a crash. While the open song has unsaved
// changes, the editor keeps a copy of it in the private folder `<cache>/versino/recovery`, written
// through the atomic writer a few seconds after typing pauses and at most every ten seconds while
// it goes on, and removes it when the song is saved, discarded or closed. An editor that starts
// later finds the copies of editors that ended without removing theirs and offers them back.
//
// Each editor's copy is three files named by one id: `ID.lock` (held with flock while the editor
// runs: a copy whose lock nobody holds was left behind), `ID.vsn` (the song as a layout file) and
// `ID.name` (the song's path and the name the caption showed, one a line). The editor that offers
// a left copy holds its lock while it asks, so that no editor started meanwhile offers it too.

#include "document/SongDocument.h"
#include "platform/Dialogs.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace versino {

class DocumentCommands;

inline const char* const kRecoveryQuestion = "Ungesicherte \u00C4nderungen an \u201E%1\u201C vom %2 wiederherstellen?";
// Said below the question: what the copy holds and where it lies.
inline const char* const kRecoveryDetails = "Titel: \u201E%1\u201C\nKopie: %2";

// A copy left by an editor that no longer runs.
struct RecoveryOffer {
    QString id;
    QString copyPath;  // the song as it was, a layout file
    QString songPath;  // the file it belongs to; empty for an untitled or imported song
    QString shownName; // what the caption showed
    QString importedFrom; // the file an imported song was read from; empty otherwise
    QDateTime made;
    std::string title; // the song's title (Windows-1252), empty when the copy does not read
};

// The recovery folder: this editor's own copy and the copies left by others.
class RecoveryStore {
public:
    // `folder` is created private to the user when first needed; a folder that is not the user's
    // alone is not used (nothing is kept then).
    explicit RecoveryStore(QString folder = defaultFolder());
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore&) = delete;
    RecoveryStore& operator=(const RecoveryStore&) = delete;

    static QString defaultFolder();
    const QString& folder() const { return folder_; }

    // Writes the copy of `doc`, which belongs to the file `songPath` (empty: none). Throws FileError.
    void keep(const SongDocument& doc, const QString& songPath);
    // Removes this editor's copy; the editor keeps its id and lock for the next one.
    void drop();
    bool keeping() const { return kept_; }

    // The copies whose editor no longer runs, newest first, each held from here on so that no
    // other editor offers it as well, until it is released or removed.
    std::vector<RecoveryOffer> claimLeftCopies();
    // Removes a claimed copy (restored or declined).
    void remove(const RecoveryOffer& offer);
    // Lets go of the claimed copies that are left, for the next editor to offer.
    void releaseClaims();

private:
    bool openOwnLock();
    QString pathOf(const QString& id, const char* extension) const;
    void removeFiles(const QString& id);

    QString folder_;
    QString id_;      // empty until the first copy is kept
    int lockFd_ = -1; // held while this editor runs
    bool kept_ = false;
    std::map<QString, int> claims_; // id of a left copy -> the descriptor holding its lock
};

// When the copy is written: the clock and a single-shot wake-up, which tests drive by hand.
class RecoverySchedule {
public:
    virtual ~RecoverySchedule() = default;
    virtual qint64 nowMs() const = 0;
    // Calls the keeper's due() once, after `ms` milliseconds; a new call replaces the pending one.
    virtual void wakeIn(qint64 ms) = 0;
    virtual void cancel() = 0;
};

// Keeps the copy in step with the song: told of every change and every command, it writes after a
// pause in typing, at most kAtMostMs after the first change not yet in the copy, and removes the
// copy when the song has no unsaved changes any more.
class RecoveryKeeper {
public:
    static constexpr qint64 kPauseMs = 3000;
    static constexpr qint64 kAtMostMs = 10000;

    // `songPath` gives the file the song belongs to at the time of writing.
    RecoveryKeeper(const SongDocument& doc, RecoveryStore& store, RecoverySchedule& schedule,
                   std::function<QString()> songPath);

    void songChanged();
    // The wake-up: writes the copy. A failed write is kept quiet (the song itself is untouched)
    // and tried again at the next change.
    void due();
    // Writes the copy now when the song has unsaved changes (a song just restored from a copy).
    void keepNow();
    // The window closes, or the song is discarded: no copy stays.
    void stop();

private:
    const SongDocument& doc_;
    RecoveryStore& store_;
    RecoverySchedule& schedule_;
    std::function<QString()> songPath_;
    qint64 pendingSince_ = -1; // the first change not yet in the copy; -1: none
};

// The schedule on Qt's clock and a single-shot timer.
class TimerSchedule : public QObject, public RecoverySchedule {
public:
    explicit TimerSchedule(std::function<void()> onDue);
    qint64 nowMs() const override;
    void wakeIn(qint64 ms) override;
    void cancel() override;

private:
    QTimer timer_;
};

// At start: offers each copy left by an editor that no longer runs, newest first (Yes restores it
// into the window as an unsaved change, No removes it, Cancel keeps it for the next start). After
// one is restored the rest are kept. `restored` runs after a copy was put into the window and
// before it is removed, so that the editor's own copy can take its place first. Returns true when
// a copy was restored.
bool offerLeftCopies(RecoveryStore& store, DocumentCommands& commands, Questions& questions,
                     const std::function<void()>& restored = {});

} // namespace versino
