#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <functional>

namespace versino::ui {

// The one place where an error that escapes a handler ends: it is shown in the general error report
// (error icon, caption "Versino", one OK button) and the program goes on. Every handler of the
// windows runs inside it.
class ErrorGuard {
public:
    explicit ErrorGuard(Reports& dialogs) : dialogs_(dialogs) {}

    // Runs `handler`; returns false when it ended with an error, which has then been reported.
    bool run(const std::function<void()>& handler) const noexcept;

private:
    Reports& dialogs_;
};

} // namespace versino::ui
