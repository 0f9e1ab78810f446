#include "commands/Stage.h"

#include "commands/SetList.h"
#include "commands/Songbook.h"
#include "document/Cp1252.h"
#include "io/FileError.h"
#include "platform/PainterSurface.h"
#include "platform/QtPrinter.h"
#include "print/PagePainting.h"

#include <QFileInfo>
#include <QPainter>
#include <algorithm>

namespace versino {
namespace {

// Amber on black, given before the page is inverted for the night.
constexpr std::int32_t kNightChordBeforeInversion = 0x00FF4000; // 0x00BBGGRR of RGB(0, 64, 255)

bool isChordText(const PlacedText& text, const FontSetting& chordFont) {
    return text.font.name == chordFont.name && text.font.color == chordFont.color &&
           text.font.style == chordFont.style && text.font.size <= chordFont.size;
}

void addSong(std::vector<StageSong>& out, std::unique_ptr<SongDocument> doc, const QString& file,
             const songlist::Entry* entry) {
    StageSong song;
    song.file = file;
    if (entry) {
        song.transpose = entry->transpose;
        song.note = entry->note;
    }
    song.doc = std::move(doc);
    transposeForEntry(*song.doc, song.transpose);
    song.key = keyText(*song.doc, song.transpose);
    out.push_back(std::move(song));
}

} // namespace

QString StageSong::title() const {
    const QString title = cp1252::toUnicode(doc->TitelEdit().text()).trimmed();
    return title.isEmpty() ? QFileInfo(file).fileName() : title;
}

StageSong stageSong(const SongDocument& doc, const QString& file, int transpose, const QString& note) {
    auto copy = std::make_unique<SongDocument>();
    copy->copySongFrom(doc);
    copy->DocumentName = doc.DocumentName;
    std::vector<StageSong> one;
    const songlist::Entry entry(file, 0, transpose, note);
    addSong(one, std::move(copy), file, &entry);
    return std::move(one.front());
}

std::vector<StageSong> loadStageSongs(const QStringList& files, std::vector<QString>& problems) {
    std::vector<StageSong> songs;
    for (const QString& file : files) {
        if (!songlist::isSongListFile(file)) {
            for (songlist::LoadedSong& s : songlist::loadSongs({{file, 0}}, QString(), problems)) {
                anchorPicture(*s.doc, s.file);
                addSong(songs, std::move(s.doc), s.file, nullptr);
            }
            continue;
        }
        songlist::SongList list;
        try {
            list = songlist::ReadSongListFile(file);
        } catch (const FileError& e) {
            problems.push_back(file + QStringLiteral(": ") + QString::fromStdString(e.what()));
            continue;
        }
        for (StageSong& song : loadStageEntries(list.entries, file, problems))
            songs.push_back(std::move(song));
    }
    return songs;
}

std::vector<StageSong> loadStageEntries(const std::vector<songlist::Entry>& entries, const QString& listFile,
                                        std::vector<QString>& problems) {
    std::vector<StageSong> songs;
    // One entry at a time, so that each song keeps its entry's options (a ChordPro file may hold
    // several songs).
    for (const songlist::Entry& entry : entries)
        for (songlist::LoadedSong& s : songlist::loadSongs({entry}, listFile, problems)) {
            anchorPicture(*s.doc, s.file);
            addSong(songs, std::move(s.doc), s.file, &entry);
        }
    return songs;
}

QImage stageImage(const ComposedPage& page, const FontSetting& chordFont, QSize size, bool night) {
    if (!night)
        return pageImage(page, size);
    ComposedPage dark = page;
    for (PlacedText& text : dark.texts)
        if (isChordText(text, chordFont))
            text.font.color = kNightChordBeforeInversion;
    dark.picture.reset();
    QImage image = pageImage(dark, size);
    image.invertPixels(QImage::InvertRgb);
    if (page.picture && !image.isNull() && page.width > 0 && page.height > 0) {
        QPainter painter(&image);
        painter.scale(double(size.width()) / page.width, double(size.height()) / page.height);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        PainterSurface surface(painter, QSize(page.width, page.height), kPrintResolution);
        surface.stretchDraw(page.picture->box, page.picture->bitmap);
    }
    return image;
}

StageModel::StageModel(std::vector<StageSong> songs, PageMeasures& measures)
    : songs_(std::move(songs)), measures_(measures) {}

void StageModel::setMode(Mode mode) {
    mode_ = mode;
    half_ = 0;
}

bool StageModel::forward() {
    if (halves() && half_ == 0) {
        half_ = 1;
        return true;
    }
    if (current_ + 1 >= count())
        return false;
    ++current_;
    half_ = 0;
    return true;
}

bool StageModel::back() {
    if (halves() && half_ == 1) {
        half_ = 0;
        return true;
    }
    if (current_ == 0)
        return false;
    --current_;
    half_ = halves() ? 1 : 0;
    return true;
}

bool StageModel::jumpTo(int index) {
    index = std::clamp(index, 0, std::max(0, count() - 1));
    if (index == current_ && half_ == 0)
        return false;
    current_ = index;
    half_ = 0;
    return true;
}

StageModel::Outcome StageModel::keyPress(int key, bool autoRepeat, std::uint64_t timestamp) {
    // Events without a timestamp (0) cannot be told apart by it.
    const bool repeat = autoRepeat || held_.count(key) != 0 ||
                        (timestamp != 0 && released_.count(key) != 0 && released_[key] == timestamp);
    held_.insert(key);
    released_.erase(key);
    if (repeat)
        return Outcome::Ignored;
    if (key >= Qt::Key_0 && key <= Qt::Key_9) {
        if (typed_.size() < 6)
            typed_ += QChar(u'0' + (key - Qt::Key_0));
        return Outcome::Typing;
    }
    if (!typed_.isEmpty()) {
        // A number being typed: Return jumps, Backspace takes back a digit, Escape forgets it.
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const int number = typed_.toInt();
            typed_.clear();
            return number >= 1 && number <= count() && jumpTo(number - 1) ? Outcome::Turned : Outcome::Typing;
        }
        if (key == Qt::Key_Backspace) {
            typed_.chop(1);
            return Outcome::Typing;
        }
        typed_.clear();
        if (key == Qt::Key_Escape)
            return Outcome::Typing;
    }
    switch (key) {
    case Qt::Key_PageDown:
    case Qt::Key_Down:
    case Qt::Key_Right:
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return forward() ? Outcome::Turned : Outcome::Ignored;
    case Qt::Key_PageUp:
    case Qt::Key_Up:
    case Qt::Key_Left:
    case Qt::Key_Backspace:
        return back() ? Outcome::Turned : Outcome::Ignored;
    case Qt::Key_Home:
        return jumpTo(0) ? Outcome::Turned : Outcome::Ignored;
    case Qt::Key_End:
        return jumpTo(count() - 1) ? Outcome::Turned : Outcome::Ignored;
    case Qt::Key_Escape:
        return Outcome::Leave;
    default:
        return Outcome::Ignored;
    }
}

void StageModel::keyRelease(int key, bool autoRepeat, std::uint64_t timestamp) {
    if (autoRepeat)
        return;
    held_.erase(key);
    released_[key] = timestamp;
}

void StageModel::forgetHeldKeys() {
    held_.clear();
    released_.clear();
}

StagePage& StageModel::page(int index) {
    auto it = pages_.find(index);
    if (it != pages_.end())
        return it->second;
    keepAround(index);
    StagePage& made = pages_[index];
    made.page = composePage(*songs_[std::size_t(index)].doc, measures_);
    made.findings = CheckPage(made.page);
    return made;
}

const QImage& StageModel::image(int index, QSize size, bool night) {
    lastSize_ = size;
    lastNight_ = night;
    StagePage& p = page(index);
    if (p.image.isNull() || p.imageSize != size || p.imageNight != night) {
        p.image = stageImage(p.page, songs_[std::size_t(index)].doc->AkkordFont, size, night);
        p.imageSize = size;
        p.imageNight = night;
    }
    return p.image;
}

void StageModel::keepAround(int coming) {
    // The view, the song before it and the two after it (three in two-song mode), and room for
    // the page about to be composed; the nearest win when more are composed than that.
    const int ahead = mode_ == Mode::TwoSongs ? 3 : 2;
    for (auto it = pages_.begin(); it != pages_.end();) {
        if (it->first < current_ - 1 || it->first > current_ + ahead)
            it = pages_.erase(it);
        else
            ++it;
    }
    const std::size_t room = coming >= 0 && !pages_.count(coming) ? kMaxComposed - 1 : kMaxComposed;
    while (pages_.size() > room) {
        auto far = std::max_element(pages_.begin(), pages_.end(), [this](const auto& a, const auto& b) {
            return std::abs(a.first - current_) < std::abs(b.first - current_);
        });
        pages_.erase(far);
    }
}

void StageModel::composeAhead() {
    if (songs_.empty())
        return;
    keepAround();
    const int ahead = mode_ == Mode::TwoSongs ? 3 : 2;
    for (int i : {current_, current_ + 1, current_ - 1, current_ + 2, current_ + ahead}) {
        if (i < 0 || i >= count())
            continue;
        if (lastSize_.isValid())
            image(i, lastSize_, lastNight_);
        else
            page(i);
    }
}

QString StageModel::barText() const {
    if (songs_.empty())
        return {};
    const StageSong& s = song(current_);
    QString text = QStringLiteral("%1/%2").arg(current_ + 1).arg(count()) + QString::fromUtf8(kStageSeparator) + s.title();
    if (!s.key.isEmpty())
        text += QString::fromUtf8(kStageSeparator) + s.key;
    if (current_ + 1 < count())
        text += QString::fromUtf8(kStageSeparator) + QString::fromUtf8(kStageNextPrefix) + song(current_ + 1).title();
    return text;
}

QString StageModel::windowTitle() const {
    QString title = QStringLiteral("Versino \u2013 B\u00FChne");
    if (!songs_.empty())
        title += QStringLiteral(" \u2013 %1/%2 ").arg(current_ + 1).arg(count()) + song(current_).title();
    return title;
}

} // namespace versino
