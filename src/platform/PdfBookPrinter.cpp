// The PDF book printer: Qt's PDF writer only, so that a program writing PDF files needs none of
// Qt's print support.
#include "platform/QtPrinter.h"

#include "document/ShownText.h"

#include "platform/AtomicFileDevice.h"
#include "platform/FreedMemory.h"
#include "platform/PainterSurface.h"
#include "platform/PdfOutline.h"

#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryFile>
#include <cerrno>

namespace versino {

PdfBookPrinter::PdfBookPrinter(const QString& fileName, QPageSize::PageSizeId paper, bool withOutline, bool landscape)
    : paper_(paper), landscape_(landscape), file_(std::make_unique<AtomicFileDevice>(fileName)) {
    if (withOutline) {
        pending_ = std::make_unique<QTemporaryFile>();
        if (!pending_->open())
            throw FileError(FileError::Kind::Io, EIO);
    }
}

void PdfBookPrinter::setTitle(const QString& title) {
    title_ = shownTitle(title);
    if (writer_)
        static_cast<QPdfWriter*>(writer_.get())->setTitle(title);
}

void PdfBookPrinter::cancel() {
    finished_ = true;
    failed_ = true;
    surface_.reset();
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    writer_.reset();
    pending_.reset();
    file_.reset();
}

PdfBookPrinter::~PdfBookPrinter() {
    try {
        finish();
    } catch (const FileError&) {
        // Whoever wanted to hear about a failure called finish() first.
    }
}

PrintSurface& PdfBookPrinter::beginDocument() {
    if (!writer_) {
        auto pdf = pending_ ? std::make_unique<QPdfWriter>(pending_.get()) : std::make_unique<QPdfWriter>(file_.get());
        pdf->setTitle(title_);
        pdf->setResolution(kPrintResolution);
        pdf->setCreator(QStringLiteral("versino-print"));
        pdf->setPageLayout(
            QPageLayout(QPageSize(paper_), landscape_ ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                        QPageLayout::Millimeter));
        writer_ = std::move(pdf);
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(writer_.get())) {
            failed_ = true;
            throw PrinterError(PrinterError::Kind::JobFailed);
        }
    } else if (!writer_->newPage()) {
        throw PrinterError(PrinterError::Kind::JobFailed);
    }
    ++pages_;
    // One surface for the whole book, so that the fonts its pages share are resolved once.
    if (!surface_)
        surface_ = std::make_unique<PainterSurface>(*painter_);
    return *surface_;
}

QPainter& PdfBookPrinter::nextSheet() {
    beginDocument();
    return *painter_;
}

void PdfBookPrinter::finish() {
    if (finished_)
        return;
    finished_ = true;
    surface_.reset();
    // The pages are drawn: what they left for reuse goes back before the fonts are embedded.
    releaseFreedMemory();
    if (painter_ && painter_->isActive())
        failed_ = !painter_->end() || failed_;
    painter_.reset();
    writer_.reset();
    // Without a commit the temporary file goes with the device, and an older book stays as it was.
    const std::unique_ptr<AtomicFileDevice> file = std::move(file_);
    if (file->error())
        throw *file->error();
    if (failed_)
        throw FileError(FileError::Kind::Io, EIO);
    if (pages_ == 0)
        return;
    if (pending_) {
        const std::unique_ptr<QTemporaryFile> pages = std::move(pending_);
        if (!pages->flush())
            throw FileError(FileError::Kind::Io, EIO);
        const std::string update = pdfUpdate(pages->fileName(), outline_, move_);
        // Qt's pages as they are, a piece at a time, then what the update adds.
        if (!pages->seek(0))
            throw FileError(FileError::Kind::Io, EIO);
        constexpr qint64 kPiece = 1 << 20;
        while (!pages->atEnd() && !file->error()) {
            const QByteArray piece = pages->read(kPiece);
            if (piece.isEmpty())
                throw FileError(FileError::Kind::Io, EIO);
            file->write(piece.constData(), piece.size());
        }
        file->write(update.data(), qint64(update.size()));
        if (file->error())
            throw *file->error();
    }
    file->commit();
}

} // namespace versino
