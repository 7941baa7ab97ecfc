#include "OutputTarget.h"

#include "NativePath.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

namespace rovana {
namespace {

bool EndsInMg(const QByteArray& native)
{
    return native.size() >= 3 && native.right(3).toLower() == ".mg";
}

// The folder part of a path with its trailing '/', empty for a bare name.
QByteArray FolderPrefix(const QByteArray& native)
{
    const qsizetype slash = native.lastIndexOf('/');
    return slash < 0 ? QByteArray() : native.left(slash + 1);
}

} // namespace

OutputTarget ExamineOutputTarget(const QString& path)
{
    OutputTarget target;
    target.native = NativePath(path);
    for (;;) {
        if (EndsInMg(target.native)) {
            target.refusal = OutputRefusal::TestFile;
            return target;
        }
        struct stat st;
        if (::lstat(target.native.constData(), &st) != 0) {
            if (errno == ELOOP) // a loop among the folders on the way
                target.refusal = OutputRefusal::LinkLoop;
            else if (target.links > 0)
                target.refusal = OutputRefusal::DanglingLink;
            return target; // otherwise a new file; the writer reports what stops it
        }
        if (!S_ISLNK(st.st_mode)) {
            target.exists = true;
            if (!S_ISREG(st.st_mode))
                target.refusal = OutputRefusal::NotRegular;
            return target;
        }
        if (target.links >= kMaxOutputLinks) {
            target.refusal = OutputRefusal::LinkLoop;
            return target;
        }
        char buffer[PATH_MAX];
        const ssize_t n = ::readlink(target.native.constData(), buffer, sizeof buffer);
        if (n <= 0 || n >= static_cast<ssize_t>(sizeof buffer)) {
            target.refusal = OutputRefusal::DanglingLink; // vanished meanwhile, or unusable
            return target;
        }
        const QByteArray next(buffer, n);
        target.native = next.startsWith('/') ? next : FolderPrefix(target.native) + next;
        ++target.links;
    }
}

} // namespace rovana
