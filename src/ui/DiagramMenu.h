#pragma once

#include "document/SongDocument.h"

#include <functional>

class QMenu;

namespace versino {

// The edit menu's "Griffbilder . . .": the song's chord diagrams, none or for one instrument, as
// four exclusive items ("keine", "Gitarre", "Ukulele", "Klavier") whose check follows the song
// each time the menu opens. Choosing one changes the song's options (and so marks it modified).
QMenu* addDiagramMenu(QMenu& edit, std::function<SongDocument&()> document);

} // namespace versino
