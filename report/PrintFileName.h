#pragma once

#include <QString>
#include <QStringList>

namespace rovana {

// The PDF file offered when the sheets of `list` (file names in `folder`) are printed to
// a file: one sheet is named after its bolt number (ResultOf), several after the folder,
// in that folder: "<folder>/<bolt number>.pdf", "<folder>/<folder name>.pdf". A bolt
// number that cannot be a file name (empty, or a file that cannot be read) gives way to
// the test file's name; characters a file name cannot hold become "_".
QString OfferedPdfPath(const QString& folder, const QStringList& list);

} // namespace rovana
