#include "ui/ErrorGuard.h"

#include <exception>

namespace versino::ui {
namespace {

// The text of the general error report: the error's text, with a full stop added when it lacks one.
QString errorReportText(const QString& what) {
    return what.endsWith(QLatin1Char('.')) ? what : what + QLatin1Char('.');
}

} // namespace

bool ErrorGuard::run(const std::function<void()>& handler) const noexcept {
    QString text;
    try {
        handler();
        return true;
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unbekannter Fehler");
    }
    try {
        dialogs_.error(errorReportText(text));
    } catch (...) {
        // The report itself failed (no display, for instance); there is nobody left to tell.
    }
    return false;
}

} // namespace versino::ui
