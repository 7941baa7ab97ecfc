#include "InstrumentFile.h"

#include "AnsiCodec.h"
#include "ByteBuffer.h"
#include "MgLayout.h"

namespace rovana {
namespace {

void WriteFreshAnalysisBlock(QByteArray& b)
{
    for (int c = 0; c < kChannelCount; ++c) {
        const int eval = mg::kEvaluation + c * mg::kEvaluationStride;
        WriteInt32(b, eval, -1);
        WriteInt32(b, eval + 4, -1);
    }
    // Twelve empty texts are twelve zero bytes; the trailing values stay 0.
}

void WriteAcquisitionBlock(QByteArray& b, const InstrumentRecord& r)
{
    WriteInt32(b, mg::kHighPass, r.highPass);
    WriteInt32(b, mg::kLowPass, r.lowPass);
    WriteInt32(b, mg::kSampleInterval, r.sampleInterval);
    WriteInt32(b, mg::kSampleCount, r.sampleCount);
    for (int i = 0; i < 4; ++i)
        WriteInt32(b, mg::kReserved + 4 * i, r.reserved[i]);
    WriteInt32(b, mg::kWaveSpeed, r.waveSpeed);
    WriteFloat(b, mg::kDesignLength, r.designLength);
    WriteFloat(b, mg::kDesignL0, r.designL0);
    int pos = mg::kAcquisitionTexts;
    for (const QString* text : {&r.project, &r.file}) {
        const QByteArray encoded = ToAnsi(*text).left(100);
        b.replace(pos, encoded.size(), encoded);
        pos += encoded.size();
        b[pos++] = '\0';
    }
    WriteInt32(b, pos, r.year);
    WriteInt32(b, pos + 4, r.month);
    WriteInt32(b, pos + 8, r.day);
}

} // namespace

QByteArray ComposeInstrumentFile(const InstrumentRecord& r)
{
    QByteArray b(mg::kFileSize, '\0');
    WriteFreshAnalysisBlock(b);
    WriteAcquisitionBlock(b, r);
    for (int c = 0; c < kChannelCount; ++c)
        for (int i = 0; i < mg::kSamplesPerChannel; ++i)
            WriteInt16(b, mg::kSamples + 2 * (c * mg::kSamplesPerChannel + i), r.samples[c][i]);
    return b;
}

} // namespace rovana
