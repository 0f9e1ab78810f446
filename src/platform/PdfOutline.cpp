#include "platform/PdfOutline.h"

#include "io/FileError.h"

// Qt's PDF writer makes pages but no outline, and writes the pages in the order they are drawn.
// The outline and the pages' final order are added afterwards as an incremental update: the file
// as Qt wrote it stays byte for byte, followed by the objects that change (the catalogue, the page
// list) or are new (the outline), their cross-reference section and a trailer that points back to
// Qt's own. libqpdf reads Qt's file (only the objects the update touches) and spells the objects:
// their numbers, references and string encodings. Nothing of the book is held in memory, whatever
// its length; rewriting the whole file would keep every object of every page.
// Only the standard smart pointers are used with qpdf here.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace versino {

namespace {

constexpr std::size_t kReadBuffer = 1 << 16;

// Where the file's last cross-reference section starts, as its final "startxref" line says.
long long lastXrefOffset(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("the file cannot be read back");
    const qint64 tail = std::min<qint64>(file.size(), 1024);
    file.seek(file.size() - tail);
    const QByteArray end = file.read(tail);
    const qsizetype at = end.lastIndexOf("startxref");
    if (at < 0)
        throw std::runtime_error("no startxref");
    bool ok = false;
    const long long offset = end.mid(at + 9).trimmed().split('\n').value(0).trimmed().toLongLong(&ok);
    if (!ok)
        throw std::runtime_error("no startxref offset");
    return offset;
}

std::string xrefEntry(long long offset, int generation) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010lld %05d n\r\n", offset, generation);
    return entry;
}

} // namespace

std::string pdfUpdate(const QString& source, const std::vector<PdfOutlineEntry>& entries, const PdfPageMove& move) {
    try {
        const long long base = QFileInfo(source).size();
        const long long previous = lastXrefOffset(source);
        // The library reads the cross-reference table line by line, seeking before each read; with
        // the C library's usual 4 KB buffer that made every other read a system call. A larger
        // buffer serves those seeks from memory. It outlives the library's use of the file.
        std::vector<char> buffer(kReadBuffer);
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        const QByteArray name = QFile::encodeName(source);
        FILE* file = std::fopen(name.constData(), "rb");
        if (!file)
            throw std::runtime_error("the file cannot be read back");
        std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
        pdf.processFile(name.constData(), file, true);
        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle root = pdf.getRoot();
        QPDFObjectHandle pageList = root.getKey("/Pages");
        QPDFObjectHandle kids = pageList.getKey("/Kids");
        // Qt writes one flat list of pages; its entries are read as references, not resolved.
        if (!pageList.isIndirect() || !kids.isArray() || !pageList.getKey("/Count").isInteger() ||
            pageList.getKey("/Count").getIntValue() != kids.getArrayNItems())
            throw std::runtime_error("the pages are not one list");
        std::vector<QPDFObjectHandle> pages = kids.getArrayAsVector();
        if (move.count > 0) {
            const std::size_t from = std::size_t(move.from), count = std::size_t(move.count);
            if (move.to < 0 || move.to >= move.from || from + count > pages.size())
                throw std::runtime_error("pages to move that the file lacks");
            std::rotate(pages.begin() + move.to, pages.begin() + move.from, pages.begin() + move.from + move.count);
        }
        std::vector<std::size_t> shown; // the entries that name a page of the file
        for (std::size_t k = 0; k < entries.size(); ++k)
            if (entries[k].page >= 0 && std::size_t(entries[k].page) < pages.size())
                shown.push_back(k);

        // The objects of the update, by number: the changed ones keep theirs, the outline's come
        // after the last number the file uses. Numbers are given here rather than by the library,
        // which would look at every object of the file to find a free one.
        struct Object {
            int id = 0;
            int generation = 0;
            std::string text;
            bool operator<(const Object& o) const { return id < o.id; }
        };
        std::vector<Object> objects;
        const auto ref = [](int id) { return std::to_string(id) + " 0 R"; };
        // A dictionary of the file spelled again without `skip` keys, with `extra` added.
        const auto respelled = [](QPDFObjectHandle dict, const std::vector<std::string>& skip, const std::string& extra) {
            std::string out = "<<";
            for (const std::string& key : dict.getKeys())
                if (std::find(skip.begin(), skip.end(), key) == skip.end())
                    out += " " + QPDFObjectHandle::newName(key).unparse() + " " + dict.getKey(key).unparse();
            return out + extra + " >>";
        };
        if (move.count > 0) {
            std::string list = " /Kids [";
            for (QPDFObjectHandle& page : pages)
                list += " " + page.unparse();
            objects.push_back({pageList.getObjectID(), pageList.getGeneration(), respelled(pageList, {"/Kids"}, list + " ]")});
        }
        long long size = trailer.getKey("/Size").isInteger() ? trailer.getKey("/Size").getIntValue() : 0;
        if (!shown.empty()) {
            const int outlines = int(size);
            const int first = outlines + 1;
            const int last = first + int(shown.size()) - 1;
            objects.push_back({root.getObjectID(), root.getGeneration(),
                               respelled(root, {"/Outlines", "/PageMode"},
                                         " /Outlines " + ref(outlines) + " /PageMode /UseOutlines")});
            objects.push_back({outlines, 0, "<< /Type /Outlines /First " + ref(first) + " /Last " + ref(last) +
                                             " /Count " + std::to_string(shown.size()) + " >>"});
            for (std::size_t n = 0; n < shown.size(); ++n) {
                const PdfOutlineEntry& e = entries[shown[n]];
                const int id = first + int(n);
                std::string item = "<< /Title " + QPDFObjectHandle::newUnicodeString(e.title.toStdString()).unparse() +
                                   " /Parent " + ref(outlines) + " /Dest [ " +
                                   pages[std::size_t(e.page)].unparse() + " /Fit ]";
                if (id > first)
                    item += " /Prev " + ref(id - 1);
                if (id < last)
                    item += " /Next " + ref(id + 1);
                objects.push_back({id, 0, item + " >>"});
            }
            size = last + 1;
        }
        if (objects.empty())
            return {};

        std::sort(objects.begin(), objects.end());
        std::string update = "\n";
        std::vector<long long> offsets;
        for (const Object& o : objects) {
            offsets.push_back(base + static_cast<long long>(update.size()));
            update += std::to_string(o.id) + " " + std::to_string(o.generation) + " obj\n" + o.text + "\nendobj\n";
        }
        const long long xref = base + static_cast<long long>(update.size());
        update += "xref\n";
        for (std::size_t k = 0; k < objects.size(); ++k)
            update += std::to_string(objects[k].id) + " 1\n" + xrefEntry(offsets[k], objects[k].generation);
        std::string next = "<< /Size " + std::to_string(size) + " /Root " + root.unparse();
        for (const char* key : {"/Info", "/ID"})
            if (trailer.hasKey(key))
                next += std::string(" ") + key + " " + trailer.getKey(key).unparse();
        next += " /Prev " + std::to_string(previous) + " >>";
        update += "trailer\n" + next + "\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
        return update;
    } catch (const std::exception& e) {
        // The pages were written but cannot be read back: a file that did not come out as written.
        throw FileError(FileError(FileError::Kind::Io, EIO),
                        std::string("; the PDF file could not be completed: ") + e.what());
    }
}

} // namespace versino
