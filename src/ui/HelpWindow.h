#pragma once

class QWidget;

namespace versino::ui {

// Shows a modeless help window and brings it to the front. The first time it is centred over
// `owner`; afterwards it reappears where the user left it.
void showOnceCentred(QWidget* window, QWidget* owner, bool& placed);

} // namespace versino::ui
