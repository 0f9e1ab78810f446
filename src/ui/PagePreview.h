#pragma once

#include "document/SongDocument.h"
#include "platform/PageMetrics.h"
#include "print/ComposedPage.h"
#include "print/PageCheck.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;
class QScrollArea;

namespace versino::ui {

class PageView;

// The page as it will print, in a window of its own beside the main window. It is composed once per
// refresh with the printer's text measures at 600 dots per inch, drawn onto the screen at the
// chosen zoom and checked. It follows the song without holding it: each change restarts a short
// pause, after which the preview asks for the song (songWanted) and the window hands it the song's
// state to compose (showSong). Below the page the page check's findings are listed; activating one
// (click or Return) hands the keyboard to the main window, at that line. Escape closes the preview.
class PagePreview : public QWidget {
    Q_OBJECT
public:
    // How long the preview waits after the last change before it composes the page again.
    static constexpr int kPauseMs = 120;
    // How long after a finding was activated the preview gives the keyboard back when it gets it.
    static constexpr int kHandOverMs = 400;

    explicit PagePreview(QWidget* parent = nullptr);
    ~PagePreview() override;

    // The song changed: ask for it again once the changes pause.
    void songChanged();
    // Ask for the song now, without waiting for the pause.
    void refresh() { emit songWanted(); }
    // Compose and show the page of `song` now.
    void showSong(const SongDocument& song);
    // "Seitenvorschau - [NAME]", NAME as the main window shows it.
    void setDocumentName(const QString& name);

    // The zoom that shows the whole page, or the page's width, follows the window's size from then on.
    void showWholePage();
    void showPageWidth();
    void zoomIn();
    void zoomOut();

    // A line above the findings that says what a command did to the song (fitting it to the page);
    // empty hides it.
    void setNote(const QString& note);

signals:
    // The preview is due to compose: answer with showSong.
    void songWanted();
    // A finding was chosen: show line `line` (1-based) of `field`.
    void showLine(versino::FieldId field, int line);
    // The preview became the active window again while it was handing the keyboard over to the
    // main window (a window manager that finishes activating the clicked window late): take it back.
    void returnFocus();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The song's second page, when it continues on one; shown beside the first, as facing pages.
    const ComposedPage* secondPage() const { return secondPage_ ? &*secondPage_ : nullptr; }
    // What the preview shows, in device units: one page, or two side by side.
    QSize pageSize() const;
    void setupWidgets();
    void showFindings();
    void activateFinding(int index);
    void followSize();

    PageMetrics metrics_;
    ComposedPage page_;
    std::optional<ComposedPage> secondPage_;
    QSize sheet_; // the page in device units
    std::vector<PageFinding> findings_;
    QTimer pause_;
    bool stale_ = false; // the song changed while the preview was hidden
    bool shown_ = false; // shown before: the zoom is the user's
    enum class Zoom { Free, WholePage, PageWidth };
    Zoom zoomMode_ = Zoom::Free;
    QElapsedTimer handingOver_; // runs from the activation of a finding
    QScrollArea* scroll_ = nullptr;
    PageView* view_ = nullptr;
    QListWidget* findingsList_ = nullptr;
    QLabel* note_ = nullptr;
    QPushButton* wholePage_ = nullptr;
    QPushButton* pageWidth_ = nullptr;
};

} // namespace versino::ui
