#include "print/ComposedPage.h"

#include "print/SelectFont.h"

namespace versino {

std::vector<PageBox> ComposedPage::occupied() const {
    std::vector<PageBox> out;
    out.reserve(texts.size() + diagrams.size() + 1);
    for (const PlacedText& t : texts)
        out.push_back({t.x, t.y, t.x + t.width, t.y + t.height});
    for (const PlacedDiagram& d : diagrams)
        out.push_back(d.box);
    if (picture)
        out.push_back(picture->box);
    return out;
}

void drawPage(const ComposedPage& page, PrintSurface& target) {
    // Only the attributes that change between two texts are set: a page switches between a few
    // fonts hundreds of times.
    const FontSetting* current = nullptr;
    for (const PlacedText& t : page.texts) {
        if (!current) {
            selectFont(target, t.font);
        } else if (*current != t.font) {
            if (current->name != t.font.name)
                target.setFontName(t.font.name);
            if (current->size != t.font.size)
                target.setFontSize(t.font.size);
            if (current->style != t.font.style)
                target.setFontStyle(t.font.style);
            if (current->color != t.font.color)
                target.setFontColor(t.font.color);
        }
        current = &t.font;
        target.drawText(t.x, t.y, t.text);
    }
    for (const PageShape& shape : page.shapes)
        target.drawShape(shape);
    if (page.picture)
        target.stretchDraw(page.picture->box, page.picture->bitmap);
}

} // namespace versino
