#include "commands/SongHistory.h"

namespace versino {
namespace {

// The four font settings in the order of SongState::fonts.
template <typename Doc> auto& fontOf(Doc& doc, int index) {
    switch (index) {
    case 0: return doc.TitelFont;
    case 1: return doc.InterpretFont;
    case 2: return doc.TextFont;
    default: return doc.AkkordFont;
    }
}

} // namespace

SongState SongState::of(const SongDocument& doc) {
    SongState s;
    for (std::size_t i = 0; i < kAllFields.size(); ++i)
        s.texts[i] = doc.field(kAllFields[i]).text();
    for (int i = 0; i < 4; ++i)
        s.fonts[std::size_t(i)] = fontOf(doc, i);
    return s;
}

void SongHistory::record(const SongDocument& doc, const SongState& before, QString name, QString note) {
    Step step{std::move(name), std::move(note), {}, {}};
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
        std::string now = doc.field(kAllFields[i]).text();
        if (now != before.texts[i])
            step.texts.push_back({kAllFields[i], before.texts[i], std::move(now)});
    }
    for (int i = 0; i < 4; ++i)
        if (fontOf(doc, i) != before.fonts[std::size_t(i)])
            step.fonts.push_back({i, before.fonts[std::size_t(i)], fontOf(doc, i)});
    if (step.texts.empty() && step.fonts.empty())
        return;
    undone_.clear();
    done_.push_back(std::move(step));
    if (done_.size() > kMaxSteps)
        done_.erase(done_.begin());
}

bool SongHistory::stands(const SongDocument& doc, const Step& step, Side side) {
    const bool after = side == Side::After;
    for (const Step::Text& t : step.texts)
        if (doc.field(t.field).text() != (after ? t.after : t.before))
            return false;
    for (const Step::Font& f : step.fonts)
        if (fontOf(doc, f.index) != (after ? f.after : f.before))
            return false;
    return true;
}

void SongHistory::apply(SongDocument& doc, const Step& step, Side side) const {
    const bool after = side == Side::After;
    for (const Step::Text& t : step.texts)
        doc.field(t.field).editText(after ? t.after : t.before);
    for (const Step::Font& f : step.fonts)
        fontOf(doc, f.index) = after ? f.after : f.before;
    doc.Modified = !saved_ || SongState::of(doc) != *saved_;
}

bool SongHistory::canUndo(const SongDocument& doc) const {
    return !done_.empty() && stands(doc, done_.back(), Side::After);
}

bool SongHistory::canRedo(const SongDocument& doc) const {
    return !undone_.empty() && stands(doc, undone_.back(), Side::Before);
}

QString SongHistory::undoName() const {
    return done_.empty() ? QString() : done_.back().name;
}

QString SongHistory::redoName() const {
    return undone_.empty() ? QString() : undone_.back().name;
}

const SongHistory::Step* SongHistory::undo(SongDocument& doc) {
    if (!canUndo(doc))
        return nullptr;
    undone_.push_back(std::move(done_.back()));
    done_.pop_back();
    apply(doc, undone_.back(), Side::Before);
    return &undone_.back();
}

const SongHistory::Step* SongHistory::redo(SongDocument& doc) {
    if (!canRedo(doc))
        return nullptr;
    done_.push_back(std::move(undone_.back()));
    undone_.pop_back();
    apply(doc, done_.back(), Side::After);
    return &done_.back();
}

void SongHistory::reset(const SongDocument& doc) {
    done_.clear();
    undone_.clear();
    markSaved(doc);
}

void SongHistory::markSaved(const SongDocument& doc) {
    saved_ = SongState::of(doc);
}

} // namespace versino
