#pragma once

// TBuehneForm, the stage view ("Bühnenansicht"): the songs of an evening full screen, each page as
// it prints, turned by keys, a foot pedal or a tap. It shows what its StageModel holds and hands
// it every key; the file keeps the German name the window goes by.

#include "commands/Stage.h"
#include "platform/PageMetrics.h"

#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

class QLabel;
class QToolButton;

namespace versino::ui {

class StagePageArea;

inline const char* const kNoStageSongs = "Keiner der genannten Songs ist lesbar.";

class TBuehneForm : public QWidget {
    Q_OBJECT
public:
    // Where the night mode is remembered for the next stage view.
    inline static const char* const kNightSetting = "Buehne/Nachtmodus";

    explicit TBuehneForm(std::vector<StageSong> songs, QWidget* parent = nullptr);
    ~TBuehneForm() override;

    // Full screen on the screen that `from` stands on, or on another screen when there is one (a
    // stage monitor beside the laptop).
    void showOnStage(const QWidget* from);

    StageModel& model() { return *model_; }
    bool night() const { return night_; }
    void setNight(bool night);
    void setMode(StageModel::Mode mode);
    // Whether the screen is wide enough for two pages side by side.
    bool twoSongsFit() const;
    // The page area as the stage shows it now, without the bar.
    QImage grabPageArea();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    friend class StagePageArea;
    void setupWidgets();
    void turned();
    void showBar();
    void showClock();
    void tapped(int x, int width);

    PageMetrics metrics_;
    std::unique_ptr<StageModel> model_;
    bool night_ = false;
    StagePageArea* area_ = nullptr;
    QWidget* bar_ = nullptr;
    QLabel* info_ = nullptr;
    QLabel* note_ = nullptr;
    QLabel* check_ = nullptr;
    QLabel* clock_ = nullptr;
    QToolButton* pageWidth_ = nullptr;
    QToolButton* twoSongs_ = nullptr;
    QToolButton* nightButton_ = nullptr;
    QTimer clockTimer_;
    QTimer ahead_; // composes the neighbours once the turn is painted
};

// `versino --buehne FILE...`: the stage view of the songs and song lists named, alone, until it
// is left. Files that cannot be read are named on standard error; returns the exit status.
int runStageView(const QStringList& files);

} // namespace versino::ui
