#include "platform/PdfOutline.h"

#include "platform/PrintSurface.h"

// Qt's PDF writer makes pages but no outline. The outline is added afterwards with libqpdf, a
// library made for reading and rewriting PDF files: it keeps the cross-reference table, object
// numbers and string encodings right, which a hand-written appendix to Qt's output would have to
// get right on its own for every file Qt may produce.
// Only the standard smart pointers are used with qpdf here.
#define POINTERHOLDER_TRANSITION 4
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFObjectHandle.hh>
#include <qpdf/QPDFWriter.hh>

#include <stdexcept>

namespace versino {

namespace {

// Hands what qpdf writes straight on, so that the rewritten file is never held whole in memory.
class ForwardingPipeline final : public Pipeline {
public:
    explicit ForwardingPipeline(const std::function<void(const char*, std::size_t)>& write)
        : Pipeline("versino", nullptr), write_(write) {}
    void write(unsigned char const* data, size_t len) override {
        write_(reinterpret_cast<const char*>(data), len);
    }
    void finish() override {}

private:
    const std::function<void(const char*, std::size_t)>& write_;
};

} // namespace

void addPdfOutline(std::string_view bytes, const QString& title, const std::vector<PdfOutlineEntry>& entries,
                   const std::function<void(const char*, std::size_t)>& write) {
    try {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processMemoryFile("book", bytes.data(), bytes.size());
        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle root = pdf.getRoot();
        if (!title.isEmpty()) {
            QPDFObjectHandle info = trailer.getKey("/Info");
            if (!info.isDictionary()) {
                info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
                trailer.replaceKey("/Info", info);
            }
            info.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
        }
        const std::vector<QPDFObjectHandle>& pages = pdf.getAllPages();
        std::vector<QPDFObjectHandle> items;
        QPDFObjectHandle outlines = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
        for (const PdfOutlineEntry& e : entries) {
            if (e.page < 0 || std::size_t(e.page) >= pages.size())
                continue;
            QPDFObjectHandle item = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(e.title.toStdString()));
            item.replaceKey("/Parent", outlines);
            item.replaceKey("/Dest", QPDFObjectHandle::newArray(std::vector<QPDFObjectHandle>{
                                         pages[std::size_t(e.page)], QPDFObjectHandle::newName("/Fit")}));
            if (!items.empty()) {
                item.replaceKey("/Prev", items.back());
                items.back().replaceKey("/Next", item);
            }
            items.push_back(item);
        }
        if (!items.empty()) {
            outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
            outlines.replaceKey("/First", items.front());
            outlines.replaceKey("/Last", items.back());
            outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(static_cast<long long>(items.size())));
            root.replaceKey("/Outlines", outlines);
            root.replaceKey("/PageMode", QPDFObjectHandle::newName("/UseOutlines"));
        }
        ForwardingPipeline out(write);
        QPDFWriter writer(pdf);
        writer.setOutputPipeline(&out);
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.write();
    } catch (const std::exception& e) {
        throw PrinterError(std::string("The PDF file could not be completed: ") + e.what());
    }
}

} // namespace versino
