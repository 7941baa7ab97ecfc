#include "ProjectInfoSave.h"

#include "AnsiCodec.h"
#include "ByteBuffer.h"
#include "MgLayout.h"
#include "NativePath.h"
#include "NumberText.h"

#include <unistd.h>

namespace rovana {

std::optional<QByteArray> BuildTextBlock(const ProjectInfoValues& v, QString* why)
{
    static const char* const kNames[mg::kTextCount] = {
        "标题名称", "项目名称", "文件编号", "检测日期", "检测单位", "检测人",
        "密实度",   "锚固质量", "检测依据", "仪器型号", "安装日期", "工程名称",
    };
    const QString* const texts[mg::kTextCount] = {
        &v.title,     &v.itemName,     &v.boltNo,    &v.testDate,   &v.testUnit,    &v.tester,
        &v.gradeText, &v.qualityClass, &v.testBasis, &v.instrument, &v.installDate, &v.projectName,
    };
    constexpr int kRoom = mg::kAnalysisEnd - mg::kTextBlock - mg::kTextBlockTrailer;
    QByteArray block;
    for (int i = 0; i < mg::kTextCount; ++i) {
        const QByteArray encoded = ToAnsi(*texts[i]);
        if (encoded.size() > mg::kMaxTextBytes) {
            if (why)
                *why = QStringLiteral("“%1”过长（%2 字节），每项最多 255 字节，未保存。")
                           .arg(QString::fromUtf8(kNames[i]))
                           .arg(encoded.size());
            return std::nullopt;
        }
        block.append(encoded).append('\0');
    }
    if (block.size() > kRoom) {
        if (why)
            *why = QStringLiteral("文字信息合计 %1 字节，超出文件预留的 %2 字节（一个汉字占 2 "
                                  "字节），未保存。")
                       .arg(block.size() - mg::kTextCount)
                       .arg(kRoom - mg::kTextCount);
        return std::nullopt;
    }
    const int trailer = block.size();
    block.resize(trailer + mg::kTextBlockTrailer);
    WriteFloat(block, trailer, LenientToFloat(v.designDiameter));
    WriteFloat(block, trailer + 4, LenientToFloat(v.testDiameter));
    WriteInt32(block, trailer + 8, v.designGrade);
    return block;
}

bool PatchProjectInfo(QByteArray& bytes, const ProjectInfoValues& v, QString* why)
{
    const auto block = BuildTextBlock(v, why);
    if (!block)
        return false;
    WriteInt32(bytes, mg::kReportChannel, v.reportChannel);
    WriteInt32(bytes, mg::kInfoSaved, 1);
    WriteFloat(bytes, mg::kExposedLength, LenientToFloat(v.exposedLength));
    WriteFloat(bytes, mg::kAnchorLength, LenientToFloat(v.anchorLength));
    WriteInt32(bytes, mg::kInfoWaveSpeed, LenientToInt(v.waveSpeed));
    WriteInt32(bytes, mg::kBoltType, v.boltType);
    bytes.replace(mg::kTextBlock, block->size(), *block);
    return true;
}

void PatchReportCopies(QByteArray& bytes, const ReportCopies& copies)
{
    if (bytes.size() < mg::kAnalysisEnd)
        return;
    WriteFloat(bytes, mg::kExposedLength, copies.exposedLength);
    WriteFloat(bytes, mg::kAnchorLength, copies.anchorLength);

    constexpr int kGradeText = 6; // then the class text
    QList<QByteArray> texts;
    int pos = mg::kTextBlock;
    for (int i = 0; i < mg::kTextCount; ++i) {
        const int end = bytes.indexOf('\0', pos);
        if (end < 0 || end >= mg::kAnalysisEnd)
            return;
        texts.append(bytes.mid(pos, end - pos));
        pos = end + 1;
    }
    if (pos + mg::kTextBlockTrailer > mg::kAnalysisEnd)
        return;
    const QByteArray trailer = bytes.mid(pos, mg::kTextBlockTrailer);
    texts[kGradeText] = ToAnsi(copies.gradeText);
    texts[kGradeText + 1] = ToAnsi(copies.qualityClass);
    QByteArray block;
    for (const QByteArray& text : std::as_const(texts))
        block.append(text).append('\0');
    block.append(trailer);
    if (mg::kTextBlock + block.size() > mg::kAnalysisEnd)
        return;
    bytes.replace(mg::kTextBlock, block.size(), block);
}

WriteResult SaveProjectInfo(const QString& path, const ProjectInfoValues& values,
                            const WriteOptions& options)
{
    // The file is opened for reading and writing: a read-only file cannot be read so.
    auto bytes = ReadWholeTestFile(path);
    if (!bytes || ::access(NativePath(path).constData(), W_OK) != 0)
        return {WriteStatus::CannotRead, path};
    QString why;
    if (!PatchProjectInfo(*bytes, values, &why))
        return {WriteStatus::TextTooLong, why};
    return WriteWholeFileSafely(path, *bytes, options);
}

} // namespace rovana
