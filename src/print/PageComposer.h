#pragma once

#include "document/SongDocument.h"
#include "platform/PrintSurface.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace versino {

// The print's own copy of the song, taken once the job has begun. The chord font is not part of
// it: the renderer reads it from the song at each use.
struct PrintSnapshot {
    FontSetting titelFont;
    FontSetting interpretFont;
    FontSetting textFont;
    std::string title;
    std::string performer;
    std::string remark;
    std::string capo;
    std::string closingRemark;
    std::vector<std::string> chorusLines;
    std::vector<std::string> bridgeLines;
    std::vector<std::string> lyricLines;
    std::string pictureFile;
};

PrintSnapshot TakePrintSnapshot(const SongDocument& doc);

// Composes the song's page with the measures of an open surface and draws it there (composePage,
// then drawPage). Returns the error to report about a picture file that could not be opened; the
// page itself is complete either way.
std::optional<QString> ComposePage(PrintSurface& surface, const SongDocument& doc);

} // namespace versino
