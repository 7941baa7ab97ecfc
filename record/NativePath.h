#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

namespace rovana {

// File names on disk are bytes. Folders unpacked from archives made on Chinese Windows
// carry names in code page 936 (GBK), which are not valid UTF-8; Qt's own file classes
// cannot reach them. The program keeps paths as QStrings and maps them to the bytes on
// disk here, component by component:
//
// - A component whose UTF-8 form exists on disk is that form.
// - Otherwise, when its code-page-936 form exists, that form.
// - Otherwise (a new file) UTF-8.
// - A component holding escaped bytes (U+DC80..U+DCFF, see PathFromNative) is exactly
//   those bytes, the other characters in UTF-8.
//
// Every open, stat, rename and temporary file of the reader and the writers goes through
// NativePath.
QByteArray NativePath(const QString& path);

// The QString path that NativePath maps back to `native`, component by component: valid
// UTF-8 is decoded as UTF-8; a name that is valid code page 936 is decoded from it, unless
// its UTF-8 twin also exists in the same folder; anything else keeps its bytes 0x80..0xFF
// as the unpaired surrogates U+DC80..U+DCFF (ASCII bytes stay themselves).
QString PathFromNative(const QByteArray& native);

// The name a user sees for a path component from PathFromNative: escaped bytes shown as
// U+FFFD.
QString DisplayName(const QString& component);

// What a folder entry is, following symbolic links.
enum class EntryKind
{
    Regular,   // a regular file, or a symbolic link to one
    Directory, // a folder, or a link to one
    Other,     // a FIFO, device, socket, or a link to one
    Broken,    // a link to nothing (or in a loop), or an entry that cannot be examined
    // Listed, but the folder cannot be entered (no search permission): what it is cannot be
    // told without the permission that reading it needs as well.
    NoAccess,
};

struct FolderEntry
{
    QString name;      // as the user sees it (DisplayName)
    QString path;      // folder + "/" + the component; NativePath gives its bytes back
    QByteArray native; // the entry's name on disk
    EntryKind kind = EntryKind::Broken;
};

// The entries of `folder` ("." and ".." left out) in the order the file system returns
// them. Examining an entry never opens it, so FIFOs and devices cannot block. Empty when
// the folder cannot be read; then `error` (when given) is set to why, as errno (ENOENT,
// ENOTDIR, EACCES, ...), else to 0. A folder that fails half-way is unreadable too.
QList<FolderEntry> ListFolder(const QString& folder, int* error = nullptr);

// The regular files (and links to regular files) of `folder` whose names end in ".mg" in
// any case, sorted by their shown names: what the file tree and the site summary list.
// In a folder that can be listed but not entered every such name counts (NoAccess): its
// load then says "没有读取权限". `error` as for ListFolder.
QList<FolderEntry> ListTestFiles(const QString& folder, int* error = nullptr);

} // namespace rovana
