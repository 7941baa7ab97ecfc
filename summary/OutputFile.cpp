#include "OutputFile.h"

#include "MgFileIo.h"
#include "NativePath.h"
#include "OutputTarget.h"
#include "SafeFileDevice.h"
#include "SafeFileWriter.h"

#include <QFileInfo>
#include <QIODevice>

#include <sys/stat.h>

namespace rovana::summary {

namespace {

bool SameFile(const QByteArray& native, const QString& other)
{
    struct stat a
    {};
    struct stat b
    {};
    if (::stat(native.constData(), &a) != 0 || ::stat(NativePath(other).constData(), &b) != 0)
        return false;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

} // namespace

OutputResult CheckOutputPath(const QString& path, const QStringList& inputs)
{
    if (path.isEmpty() || QFileInfo(path).fileName().isEmpty())
        return OutputResult::fail(QStringLiteral("输出文件名为空"));
    // The writer replaces the file at the end of a chain of links: check that one.
    const OutputTarget target = ExamineOutputTarget(path);
    switch (target.refusal) {
    case OutputRefusal::None:
        break;
    case OutputRefusal::TestFile:
        return OutputResult::fail(QStringLiteral("不能写入测试文件（.mg）：%1").arg(path));
    case OutputRefusal::NotRegular:
        return OutputResult::fail(QStringLiteral("输出路径不是普通文件：%1").arg(path));
    case OutputRefusal::LinkLoop:
        return OutputResult::fail(QStringLiteral("输出路径是循环的符号链接：%1").arg(path));
    case OutputRefusal::DanglingLink:
        return OutputResult::fail(
            QStringLiteral("输出路径是指向不存在的文件的符号链接：%1").arg(path));
    }
    if (!target.exists)
        return {}; // a new file
    for (const QString& input : inputs)
        if (SameFile(target.native, input))
            return OutputResult::fail(QStringLiteral("不能写入输入文件：%1").arg(path));
    return {};
}

OutputResult WriteFileViaTemporary(const QString& path, const QByteArray& bytes)
{
    const WriteResult written = WriteWholeFileSafely(path, bytes);
    if (!written)
        return OutputResult::fail(QStringLiteral("%1 %2").arg(written.message(), path));
    return {};
}

OutputResult WriteOutputStream(const QString& path, const QStringList& inputs,
                               const OutputProducer& produce)
{
    if (OutputResult checked = CheckOutputPath(path, inputs); !checked)
        return checked;
    SafeFileWriter writer(path);
    const auto failed = [&path](const WriteResult& result) {
        return OutputResult::fail(QStringLiteral("%1 %2").arg(result.message(), path));
    };
    if (!writer.open())
        return failed(writer.result());
    SafeFileDevice device(writer);
    device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    QString why;
    const bool made = produce(device, &why);
    device.close();
    if (!writer.result()) // a write failed: that is why, whatever the producer saw
        return failed(writer.result());
    if (!made) {
        writer.discard();
        return OutputResult::fail(QStringLiteral("无法创建文件 %1: %2").arg(path, why));
    }
    if (const WriteResult committed = writer.commit(); !committed)
        return failed(committed);
    return {};
}

OutputResult WriteOutputFile(const QString& path, const QByteArray& bytes,
                             const QStringList& inputs)
{
    if (OutputResult checked = CheckOutputPath(path, inputs); !checked)
        return checked;
    return WriteFileViaTemporary(path, bytes);
}

} // namespace rovana::summary
