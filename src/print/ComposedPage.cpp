#include "print/ComposedPage.h"

#include "print/PageComposer.h"
#include "print/SelectFont.h"

namespace versino {

namespace {

// Collects what the composer draws as placed cells, measuring each with the metrics' font.
class PageBuilder final : public PrintSurface {
public:
    PageBuilder(PrintSurface& metrics, ComposedPage& page) : m_(metrics), page_(page) {}

    int pageWidth() const override { return m_.pageWidth(); }
    int pageHeight() const override { return m_.pageHeight(); }
    void setFontName(const std::string& face) override { m_.setFontName(font_.name = face); }
    void setFontSize(int points) override { m_.setFontSize(font_.size = points); }
    void setFontStyle(std::uint8_t style) override { m_.setFontStyle(font_.style = style); }
    void setFontColor(std::int32_t color) override { m_.setFontColor(font_.color = color); }
    int textWidth(std::string_view text) override { return m_.textWidth(text); }
    int textHeight(std::string_view text) override { return m_.textHeight(text); }
    void drawText(int x, int y, std::string_view text) override {
        if (!text.empty())
            page_.texts.push_back({x, y, m_.textWidth(text), m_.textHeight(text), font_, std::string(text)});
    }
    void stretchDraw(const PageBox& box, const Bitmap& bitmap) override { page_.picture = {box, bitmap}; }
    BitmapCache* pictureCache() override { return m_.pictureCache(); }

private:
    PrintSurface& m_;
    ComposedPage& page_;
    FontSetting font_;
};

} // namespace

std::vector<PageBox> ComposedPage::occupied() const {
    std::vector<PageBox> out;
    out.reserve(texts.size() + 1);
    for (const PlacedText& t : texts)
        out.push_back({t.x, t.y, t.x + t.width, t.y + t.height});
    if (picture)
        out.push_back(picture->box);
    return out;
}

ComposedPage composePage(const SongDocument& doc, PrintSurface& metrics) {
    ComposedPage page;
    page.width = metrics.pageWidth();
    page.height = metrics.pageHeight();
    PageBuilder builder(metrics, page);
    page.pictureError = ComposePage(builder, doc, &page.report);
    return page;
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
