#pragma once

#include "document/SongDocument.h"

#include <QColor>
#include <QFont>
#include <cstdint>
#include <string>

// The one conversion of the song's font settings to Qt's fonts and colours, shared by the printer,
// the PDF, the images, the preview and the title and performer fields.
namespace versino {

// A 0x00BBGGRR colour (255 is pure red).
QColor toQColor(std::int32_t color);

// The pixel size of `points` at `dpi`, rounded as the printer computes it; sizes below 1 point are
// drawn at 1 point, and absurd sizes are capped.
int pixelSizeFor(int points, int dpi);

// `base` with the face (Windows-1252 bytes) and the style set of a setting; its size stays.
QFont withFaceAndStyle(QFont base, const std::string& face, std::uint8_t style);

// A setting as a font of its point size at `dpi`, in pixels.
QFont toQFont(const FontSetting& setting, int dpi);

} // namespace versino
