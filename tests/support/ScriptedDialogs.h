#pragma once

#include "platform/Dialogs.h"

#include <deque>
#include <stdexcept>
#include <vector>

namespace versino::testing {

// Dialogs whose answers a test queues beforehand. Every request is recorded, and a dialog shown
// without a queued answer fails the test loudly instead of blocking.
class ScriptedDialogs : public Dialogs {
public:
    struct Confirm {
        QString text;
        bool withCancel;
    };

    std::deque<MsgButton> confirmAnswers;
    std::deque<bool> yesNoAnswers; // true: Ja
    std::deque<std::optional<QString>> openAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::deque<std::optional<QStringList>> openFilesAnswers;
    std::deque<std::optional<FontSetting>> fontAnswers;
    std::deque<std::optional<transpose::Options>> transposeAnswers;

    std::vector<Confirm> confirms;
    std::vector<QString> questions; // the Ja/Nein questions asked
    std::vector<QString> messages;
    std::vector<QString> errors;
    std::vector<FileDialogOptions> openRequests;
    std::vector<FileDialogOptions> saveRequests;
    std::vector<FontSetting> fontRequests;
    struct TransposeRequest {
        transpose::Options preset;
        int unrecognised;
        std::vector<std::string> unrecognisedNames;
    };
    std::vector<TransposeRequest> transposeRequests;

    MsgButton confirm(const QString& text, bool withCancel) override {
        confirms.push_back({text, withCancel});
        return next(confirmAnswers, "confirm");
    }
    bool askYesNo(const QString& text) override {
        questions.push_back(text);
        return next(yesNoAnswers, "Ja/Nein question");
    }
    void message(const QString& text) override { messages.push_back(text); }
    void error(const QString& text) override { errors.push_back(text); }
    std::optional<QString> openFile(const FileDialogOptions& options) override {
        openRequests.push_back(options);
        return next(openAnswers, "open dialog");
    }
    std::optional<QString> saveFile(const FileDialogOptions& options) override {
        saveRequests.push_back(options);
        return next(saveAnswers, "save dialog");
    }
    std::optional<QStringList> openFiles(const FileDialogOptions& options) override {
        openRequests.push_back(options);
        return next(openFilesAnswers, "open dialog for several files");
    }
    std::optional<FontSetting> chooseFont(const FontSetting& preset) override {
        fontRequests.push_back(preset);
        return next(fontAnswers, "font dialog");
    }
    std::optional<transpose::Options> askTranspose(const transpose::Options& preset,
                                                   const transpose::Count& unrecognised) override {
        transposeRequests.push_back({preset, unrecognised.unrecognised, unrecognised.unrecognisedNames});
        return next(transposeAnswers, "transposition dialog");
    }

private:
    template <typename T> static T next(std::deque<T>& answers, const char* what) {
        if (answers.empty())
            throw std::logic_error(std::string("unexpected ") + what + ": no answer queued");
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace versino::testing
