#include "MgFileIo.h"

#include "MgLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace rovana {

QString WriteResult::message() const
{
    switch (status) {
    case WriteStatus::Ok:
        return {};
    case WriteStatus::CannotRead:
        return QStringLiteral("无法读取文件");
    case WriteStatus::CannotCreate:
        return QStringLiteral("无法创建文件");
    case WriteStatus::TextTooLong:
        return detail;
    }
    return {};
}

std::optional<QByteArray> ReadWholeTestFile(const QString& path)
{
    if (QFileInfo(path).isDir())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() < mg::kFileSize)
        return std::nullopt;
    return bytes;
}

WriteResult WriteWholeFileSafely(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    // A direct write would truncate the old file first; never fall back to it.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return {WriteStatus::CannotCreate, file.errorString()};
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return {WriteStatus::CannotCreate, file.errorString()};
    }
    if (!file.commit())
        return {WriteStatus::CannotCreate, file.errorString()};
    return {};
}

} // namespace rovana
