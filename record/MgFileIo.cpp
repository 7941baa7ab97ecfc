#include "MgFileIo.h"

#include "MgLayout.h"
#include "TestFileCheck.h"

#include <cerrno>

namespace rovana {

QString WriteResult::message() const
{
    switch (status) {
    case WriteStatus::Ok:
        return {};
    case WriteStatus::CannotRead:
        return QStringLiteral("无法读取文件");
    case WriteStatus::CannotCreate:
        switch (error) {
        case ENOSPC:
        case EFBIG:
        case EDQUOT:
            return QStringLiteral("磁盘已满，无法创建文件");
        case EACCES:
        case EPERM:
        case EROFS:
            return QStringLiteral("没有写入权限，无法创建文件");
        default:
            return QStringLiteral("无法创建文件");
        }
    case WriteStatus::TextTooLong:
        return detail;
    }
    return {};
}

std::optional<QByteArray> ReadWholeTestFile(const QString& path)
{
    bool tooLong = false;
    RegularFileRead read = ReadRegularFile(path, kMaxTestFileBytes, &tooLong);
    if (read.check != TestFileCheck::Ok || tooLong || read.bytes.size() < mg::kFileSize)
        return std::nullopt;
    return std::move(read.bytes);
}

WriteResult WriteWholeFileSafely(const QString& path, const QByteArray& bytes,
                                 const WriteOptions& options)
{
    SafeFileWriter writer(path, options);
    if (!writer.open() || !writer.write(bytes))
        return writer.result();
    return writer.commit();
}

} // namespace rovana
