#include "FileIdentity.h"

#include "ContentHash.h"

namespace rovana {

FileIdentity IdentityOf(const RegularFileRead& read)
{
    const bool whole = (read.check == TestFileCheck::Ok || read.check == TestFileCheck::Empty) &&
                       read.fileSize == read.bytes.size();
    if (!whole)
        return {};
    return {read.fileSize, read.modified, HashBytes(read.bytes)};
}

DiskCheck CheckAgainstDisk(const FileIdentity& remembered, const QString& path)
{
    if (!remembered.known())
        return {};
    // One byte more than remembered is enough to see that the file grew.
    const RegularFileRead read = ReadRegularFile(path, remembered.size + 1);
    DiskCheck check;
    check.why = read.check;
    switch (read.check) {
    case TestFileCheck::Ok:
    case TestFileCheck::Empty:
        break;
    case TestFileCheck::Missing:
        check.change = DiskChange::Missing;
        return check;
    case TestFileCheck::NotRegular:
    case TestFileCheck::Unreadable:
        check.change = DiskChange::Unreadable;
        return check;
    }
    check.now = IdentityOf(read);
    if (!check.now.sameContent(remembered))
        check.change = DiskChange::Changed;
    else if (check.now.modified != remembered.modified)
        check.change = DiskChange::Touched;
    return check;
}

} // namespace rovana
