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
    bool capoLine = true; // false on a page for the audience
};

PrintSnapshot TakePrintSnapshot(const SongDocument& doc);

} // namespace versino
