#include "document/LayoutFile.h"

#include "document/AtomicFile.h"
#include "document/FileError.h"
#include "document/TextReader.h"

#include <QFile>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace versino {
namespace {

constexpr std::string_view kCrLf = "\r\n";

// The section tags in file order; index i belongs to kAllFields[i], the last one to the fonts.
constexpr std::array<std::string_view, 10> kTags = {
    "[Titel]", "[Interpret]", "[Vorspiel]", "[Kapo]",    "[Refrain]",
    "[Bridge]", "[Text]",     "[Nachspiel]", "[Graphik]", "[Fonts]",
};
constexpr std::string_view kFontsTag = "[Fonts]";

bool isTag(std::string_view line) {
    for (std::string_view tag : kTags)
        if (line == tag)
            return true;
    return false;
}

std::array<FontSetting*, 4> fontsOf(SongDocument& doc) {
    return {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont};
}

void appendLine(std::string& out, std::string_view text) {
    out.append(text);
    out.append(kCrLf);
}

// Reads one multi-line section. It ends at the end of the data or at a line that is exactly one of
// the tags, which is returned as the next current line. The lines are collected in one string and
// handed to the field once.
std::string readSection(TextReader& in, MultiLineField& field) {
    std::string text;
    std::string s;
    while (!in.atEnd()) {
        s = in.readLine();
        if (isTag(s))
            break;
        lines::add(text, s);
        s.clear();
    }
    field.setText(text);
    return s;
}

std::int32_t readNumber(TextReader& in) {
    const std::optional<std::int32_t> n = in.readNumber();
    if (!n)
        throw FileError(FileError::Kind::InvalidNumber);
    return *n;
}

} // namespace

void TrimTrailingEmptyLines(SongDocument& doc) {
    for (FieldId id : {FieldId::Refrain, FieldId::Bridge, FieldId::Text}) {
        MultiLineField& field = doc.multiLineField(id);
        std::string text = field.text();
        // Three passes over the three fields come to at most three deletions per field.
        bool trimmed = false;
        for (int pass = 0; pass < 3; ++pass)
            trimmed = lines::dropEmptyLastLine(text) || trimmed;
        if (trimmed)
            field.setText(text);
    }
}

std::string formatLayout(const SongDocument& doc) {
    std::size_t size = 256;
    for (FieldId id : kAllFields)
        size += doc.field(id).text().size();
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < kAllFields.size(); ++i) {
        appendLine(out, kTags[i]);
        appendLine(out, doc.field(kAllFields[i]).text());
    }
    appendLine(out, kFontsTag);
    for (const FontSetting* font : {&doc.TitelFont, &doc.InterpretFont, &doc.TextFont, &doc.AkkordFont}) {
        appendLine(out, font->name);
        appendLine(out, std::to_string(font->size));
        appendLine(out, std::to_string(font->color));
    }
    return out;
}

void parseLayout(std::string_view bytes, SongDocument& doc) {
    doc.ResetTexts();
    TextReader in(bytes);
    std::string s = in.readLine();
    // One pass runs every test in file order, each seeing the line the tests before it left, so a
    // file in the writer's order is read in one pass. The end is tested only at the top of a pass.
    while (!in.atEnd()) {
        for (std::size_t i = 0; i < kAllFields.size(); ++i) {
            if (s != kTags[i])
                continue;
            const FieldId id = kAllFields[i];
            if (isMultiLine(id)) {
                s = readSection(in, doc.multiLineField(id));
            } else {
                doc.field(id).setText(in.readLine());
                s = in.readLine();
            }
        }
        if (s == kFontsTag) {
            for (FontSetting* font : fontsOf(doc)) {
                font->name = in.readLine();
                font->size = readNumber(in);
                font->color = readNumber(in);
            }
            s = in.readLine();
        }
        // Empty lines, and lines that are no tag at all, are read past.
        if (!isTag(s))
            s = in.readLine();
    }
}

std::string readFileBytes(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that a FIFO given as a song cannot hang the open.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        throw FileError::fromErrno(errno, path);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        throw FileError::fromErrno(err, path);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        throw FileError::fromErrno(S_ISDIR(st.st_mode) ? EISDIR : EACCES, path);
    }
    std::string data;
    data.resize(static_cast<std::size_t>(st.st_size));
    std::size_t have = 0;
    for (;;) {
        if (have == data.size())
            data.resize(data.size() + 65536); // the file grew since fstat
        const ssize_t n = ::read(fd, data.data() + have, data.size() - have);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw FileError::fromErrno(err, path);
        }
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    data.resize(have);
    if (::close(fd) != 0)
        throw FileError::fromErrno(errno, path);
    return data;
}

void WriteLayoutFile(SongDocument& doc, const QString& path) {
    AtomicFile file(path);
    TrimTrailingEmptyLines(doc);
    file.write(formatLayout(doc));
    file.commit();
}

void ReadLayoutFile(SongDocument& doc, const QString& path) {
    const std::string bytes = readFileBytes(path);
    SongDocument staging;
    staging.TitelFont = doc.TitelFont;
    staging.InterpretFont = doc.InterpretFont;
    staging.TextFont = doc.TextFont;
    staging.AkkordFont = doc.AkkordFont;
    parseLayout(bytes, staging);
    TrimTrailingEmptyLines(staging);
    doc.assignContent(staging);
}

} // namespace versino
