#pragma once
// Reads a PDF back as text lines with poppler's pdftotext, the independent reader of what we print.
#include <QStringList>

namespace qlnrec::test {

// The non-empty text lines of the PDF, trimmed, in reading order; empty when pdftotext is
// missing or fails.
QStringList pdfTextLines(const QString& pdfPath);
// The page count that pdfinfo reports, or -1.
int pdfPageCount(const QString& pdfPath);
bool havePdfTools();

} // namespace qlnrec::test
