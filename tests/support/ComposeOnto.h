#pragma once

#include "print/ComposedPage.h"

#include <utility>

namespace versino::testing {

// Composes the song's page with the surface's own measures and draws it there, as printing does,
// and hands back what the page could not hold.
inline PageReport composeOnto(PrintSurface& surface, const SongDocument& doc) {
    ComposedPage page = composePage(doc, surface);
    drawPage(page, surface);
    return std::move(page.report);
}

} // namespace versino::testing
