#include "platform/PageRecorder.h"

namespace versino {

bool PageRecorder::Op::operator==(const Op& o) const {
    return kind == o.kind && x == o.x && y == o.y && value == o.value && text == o.text &&
           box.left == o.box.left && box.top == o.box.top && box.right == o.box.right &&
           box.bottom == o.box.bottom && bitmap.width() == o.bitmap.width() &&
           bitmap.height() == o.bitmap.height();
}

void PageRecorder::setFontName(const std::string& face) {
    metrics_.setFontName(face);
    ops_.push_back({Op::Kind::FontName, 0, 0, 0, face, {}, {}});
}

void PageRecorder::setFontSize(int points) {
    metrics_.setFontSize(points);
    ops_.push_back({Op::Kind::FontSize, 0, 0, points, {}, {}, {}});
}

void PageRecorder::setFontStyle(std::uint8_t style) {
    metrics_.setFontStyle(style);
    ops_.push_back({Op::Kind::FontStyle, 0, 0, style, {}, {}, {}});
}

void PageRecorder::setFontColor(std::int32_t color) {
    metrics_.setFontColor(color);
    ops_.push_back({Op::Kind::FontColor, 0, 0, color, {}, {}, {}});
}

void PageRecorder::drawText(int x, int y, std::string_view text) {
    if (!text.empty())
        ops_.push_back({Op::Kind::Text, x, y, 0, std::string(text), {}, {}});
}

void PageRecorder::stretchDraw(const PageBox& box, const Bitmap& bitmap) {
    ops_.push_back({Op::Kind::Picture, 0, 0, 0, {}, box, bitmap});
}

void PageRecorder::replay(PrintSurface& target) const {
    for (const Op& op : ops_) {
        switch (op.kind) {
        case Op::Kind::FontName: target.setFontName(op.text); break;
        case Op::Kind::FontSize: target.setFontSize(int(op.value)); break;
        case Op::Kind::FontStyle: target.setFontStyle(std::uint8_t(op.value)); break;
        case Op::Kind::FontColor: target.setFontColor(std::int32_t(op.value)); break;
        case Op::Kind::Text: target.drawText(op.x, op.y, op.text); break;
        case Op::Kind::Picture: target.stretchDraw(op.box, op.bitmap); break;
        }
    }
}

} // namespace versino
