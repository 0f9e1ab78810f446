#include "ui/HelpWindow.h"

#include <QWidget>

namespace versino::ui {

void showOnceCentred(QWidget* window, QWidget* owner, bool& placed) {
    if (!placed && owner) {
        // With its platform window in place the frame size is known, so the whole window is centred.
        window->winId();
        QRect frame = window->frameGeometry();
        frame.moveCenter(owner->frameGeometry().center());
        window->move(frame.topLeft());
        placed = true;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace versino::ui
