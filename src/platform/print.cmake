# PDF bookmarks are added with libqpdf (Debian: libqpdf-dev).
find_package(PkgConfig REQUIRED)
pkg_check_modules(QPDF REQUIRED IMPORTED_TARGET libqpdf)

# The print surface on QPainter, the default printer and PDF jobs, and BMP loading.
qt_add_library(versino_printsupport STATIC
  PrintSurface.h
  Bitmap.h Bitmap.cpp
  PainterSurface.h PainterSurface.cpp
  QtFont.h QtFont.cpp
  QtPrinter.h QtPrinter.cpp PdfBookPrinter.cpp
  QtBookPrinter.h QtBookPrinter.cpp
  PdfOutline.h PdfOutline.cpp
  FreedMemory.h FreedMemory.cpp
  PageMetrics.h PageMetrics.cpp
  AtomicFileDevice.h AtomicFileDevice.cpp
  ImagePrinter.h ImagePrinter.cpp
)
target_link_libraries(versino_printsupport
  PUBLIC versino_platform versino_document Qt6::Gui
  PRIVATE Qt6::PrintSupport PkgConfig::QPDF)
