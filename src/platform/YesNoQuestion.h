#pragma once

#include <QString>

namespace versino {

// A question about a file that must not be answered by accident: "&Ja" and "&Nein", with "Nein" the
// default button and the answer of Esc and the close box. Kept apart from the other dialogs so that
// a command that only asks such questions needs nothing else.
class YesNoQuestion {
public:
    virtual ~YesNoQuestion() = default;

    // True when the user answered Ja.
    virtual bool askYesNo(const QString& text) = 0;
};

} // namespace versino
