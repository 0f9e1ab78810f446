#include "print/ComposedPage.h"

#include "print/SelectFont.h"

namespace versino {

std::vector<PageBox> ComposedPage::occupied() const {
    std::vector<PageBox> out;
    out.reserve(texts.size() + 1);
    for (const PlacedText& t : texts)
        out.push_back({t.x, t.y, t.x + t.width, t.y + t.height});
    if (picture)
        out.push_back(picture->box);
    return out;
}

void drawPage(const ComposedPage& page, PrintSurface& target) {
    const FontSetting* current = nullptr;
    for (const PlacedText& t : page.texts) {
        if (!current || *current != t.font) {
            selectFont(target, t.font);
            current = &t.font;
        }
        target.drawText(t.x, t.y, t.text);
    }
    if (page.picture)
        target.stretchDraw(page.picture->box, page.picture->bitmap);
}

} // namespace versino
