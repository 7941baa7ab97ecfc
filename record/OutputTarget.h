#pragma once

#include <QByteArray>
#include <QString>

namespace rovana {

// Why a path the user named as an output (a PDF, CSV or Excel file) must not be written.
enum class OutputRefusal
{
    None,
    TestFile,     // a name on the way ends in ".mg" (any case): the path or a link target
    NotRegular,   // the file at the end exists and is no regular file (a folder, /dev/full)
    LinkLoop,     // the links never end: a loop, or more than kMaxOutputLinks of them
    DanglingLink, // a link whose chain ends at nothing: the write could only fail there
};

// The kernel's own limit of links in one path (MAXSYMLINKS).
inline constexpr int kMaxOutputLinks = 40;

// Where a write to an output path lands. The safe file writer keeps a symbolic link and
// replaces the file at the end of its chain, however long; so a check of an output looks
// at every name of the chain, not at the name given or at the first link's target only.
struct OutputTarget
{
    OutputRefusal refusal = OutputRefusal::None;
    QByteArray native;   // the last name reached, as bytes: the path itself when it is no link
    bool exists = false; // that name exists and is no link
    int links = 0;       // symbolic links followed
};

// Follows the symbolic links of the path's last component one by one (a relative target is
// taken from the folder of the link that holds it) and checks every name on the way. Reads
// no file, so FIFOs cannot block.
OutputTarget ExamineOutputTarget(const QString& path);

} // namespace rovana
