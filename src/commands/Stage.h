#pragma once

#include "document/SongDocument.h"
#include "formats/SongList.h"
#include "platform/PrintSurface.h"
#include "print/ComposedPage.h"
#include "print/PageCheck.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <vector>

// The stage: the songs of an evening in their running order, the song and half on view, and the
// pages of the few songs around it composed ahead, so that a turn only draws. Knows no widget: the
// stage window hands it keys and asks it for pictures.
namespace versino {

inline const char* const kStageNextPrefix = "Als N\u00E4chstes: ";
inline const char* const kStageSeparator = " \u00B7 ";

// One song of the evening, transposed as its entry asks.
struct StageSong {
    QString file;
    int transpose = 0;
    QString note;
    std::unique_ptr<SongDocument> doc;
    QString key; // "G (+2)"

    // Its title, or its file name when it has none.
    QString title() const;
};

// A song already in memory (the editor's current one), copied.
StageSong stageSong(const SongDocument& doc, const QString& file, int transpose = 0, const QString& note = {});

// The songs that files name: each entry of a song list with its options, and song files.
// `problems` gets a line for each file that cannot be read.
std::vector<StageSong> loadStageSongs(const QStringList& files, std::vector<QString>& problems);
// The songs of set-list entries, each with its entry's options; `listFile` names them in problems.
std::vector<StageSong> loadStageEntries(const std::vector<songlist::Entry>& entries, const QString& listFile,
                                        std::vector<QString>& problems);

// A song's page as the stage shows it: composed once, checked, and drawn at the size last asked for.
struct StagePage {
    ComposedPage page;
    std::vector<PageFinding> findings;
    QImage image;
    QSize imageSize;
    bool imageNight = false;
};

// The page drawn into an image of `size` pixels. At night the sheet is dark, the text light and
// the chords amber; a picture keeps its own colours.
QImage stageImage(const ComposedPage& page, const FontSetting& chordFont, QSize size, bool night);

class StageModel {
public:
    enum class Mode {
        WholePage, // the page at the screen's height
        PageWidth, // as wide as the screen allows, turning in halves: top, then bottom
        TwoSongs,  // the song and the next one side by side
    };
    // What a key press did.
    enum class Outcome { Ignored, Turned, Typing, Leave };
    // Songs composed at most at one time, whatever the list's length.
    static constexpr std::size_t kMaxComposed = 5;

    StageModel(std::vector<StageSong> songs, PageMeasures& measures);

    int count() const { return int(songs_.size()); }
    int current() const { return current_; }
    int half() const { return half_; }
    const StageSong& song(int index) const { return songs_[std::size_t(index)]; }
    Mode mode() const { return mode_; }
    void setMode(Mode mode);

    // The next half, else the next song; the previous half, else the previous song's last half.
    // Return whether the view changed.
    bool forward();
    bool back();
    bool jumpTo(int index);

    // A key as Qt names it (Qt::Key), with the event's auto-repeat mark and timestamp. A key held
    // down turns once: auto-repeated presses, a press while the key is down, and a press that
    // comes with the same timestamp as the key's last release (how X11 repeats a held key) are
    // ignored (a timestamp of 0 says nothing). Digits collect a number that Return jumps to.
    Outcome keyPress(int key, bool autoRepeat = false, std::uint64_t timestamp = 0);
    void keyRelease(int key, bool autoRepeat = false, std::uint64_t timestamp = 0);
    // Keys held down are forgotten (the window lost the keyboard and will not see their release).
    void forgetHeldKeys();
    // The digits typed so far.
    const QString& typedNumber() const { return typed_; }

    // The song's page, composed now if it is not yet.
    StagePage& page(int index);
    // The page drawn at `size`, drawn now if it is not yet.
    const QImage& image(int index, QSize size, bool night);
    // Composes and draws the songs around the view at the size last asked for, and forgets the
    // others.
    void composeAhead();
    bool isComposed(int index) const { return pages_.count(index) != 0; }
    std::size_t composedCount() const { return pages_.size(); }

    // "7/12 · Heimweg · G (+2) · Als Nächstes: Abschied"
    QString barText() const;
    // "Versino – Bühne – 7/12 Heimweg"
    QString windowTitle() const;

private:
    bool halves() const { return mode_ == Mode::PageWidth; }
    void keepAround(int coming = -1);

    std::vector<StageSong> songs_;
    PageMeasures& measures_;
    int current_ = 0;
    int half_ = 0;
    Mode mode_ = Mode::WholePage;
    QString typed_;
    std::set<int> held_;
    std::map<int, std::uint64_t> released_;
    std::map<int, StagePage> pages_;
    QSize lastSize_;
    bool lastNight_ = false;
};

} // namespace versino
