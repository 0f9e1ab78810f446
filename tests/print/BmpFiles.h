#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>

namespace versino::testing {

// A 24-bit BMP of the given size. `claimedWidth`/`claimedHeight` (as 32-bit header fields; -1 for
// the true size) let a header lie about it.
inline QByteArray bmpBytes(int width, int height, std::int64_t claimedWidth = -1,
                           std::int64_t claimedHeight = -1) {
    const int stride = (width * 3 + 3) / 4 * 4;
    const int pixels = stride * height;
    QByteArray b;
    auto le32 = [&b](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    auto le16 = [&b](std::uint16_t v) {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    };
    b.append("BM");
    le32(std::uint32_t(54 + pixels));
    le32(0);
    le32(54);
    le32(40);
    le32(std::uint32_t(claimedWidth >= 0 ? claimedWidth : width));
    le32(std::uint32_t(claimedHeight >= 0 ? claimedHeight : height));
    le16(1);
    le16(24);
    le32(0);
    le32(std::uint32_t(pixels));
    le32(3780);
    le32(3780);
    le32(0);
    le32(0);
    for (int i = 0; i < pixels; ++i)
        b.append(char(i * 7 % 251));
    return b;
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write test file " + path.toStdString());
}

} // namespace versino::testing
