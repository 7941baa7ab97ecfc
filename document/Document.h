#pragma once

#include "Picture.h"

#include <QFont>
#include <QString>

class QPaintDevice;

namespace rovana::document {

// A document: a list of pages, each a picture (picture/Picture.h) drawn when it is asked
// for, so that a document of any length holds one page at a time. The result sheets, the
// summary pages and the inspection report are documents; one painter puts any of them on
// a printer or a preview (DocumentPainter.h) and one writer into a PDF file through the
// safe writer (DocumentPdf.h).

// One page as drawn, and what went wrong making it: a file that could not be read gets a
// page that says so, and the page names the file and the reason here.
struct Page
{
    picture::Picture picture;
    QString problemPath;
    QString problem;
};

class Document
{
public:
    virtual ~Document() = default;

    // Lays the document out for pages of `device` (a PDF writer, a printer, an image) and
    // returns how many pages it has. Called before PageAt, and again for another device;
    // `device` outlives every PageAt that follows.
    virtual int Layout(const QPaintDevice& device) = 0;
    // Page `index`, 0-based below the count Layout gave.
    virtual Page PageAt(int index) = 0;
    // The QFont of each font the pictures name.
    virtual QFont FontOf(const picture::Font& font) const = 0;
    // Why the document's content could not be read back (a summary's rows spooled to a
    // file that failed); empty while it could. A document that failed is not written.
    virtual QString Failure() const { return {}; }
};

} // namespace rovana::document
