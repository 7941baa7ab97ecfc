#pragma once

#include "InstrumentFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cmath>

namespace rovana::test {

// A complete, plausible test file with recognisable values everywhere.
inline InstrumentRecord SampleRecord()
{
    InstrumentRecord r;
    r.highPass = 10;
    r.lowPass = 5000;
    r.sampleInterval = 10;
    r.sampleCount = 1024;
    r.reserved = {1, 2, 3, 4};
    r.waveSpeed = 3500;
    r.designLength = 3.5f;
    r.designL0 = 0.5f;
    r.project = QStringLiteral("隧道K12");
    r.file = QStringLiteral("MG0001");
    r.year = 2026;
    r.month = 5;
    r.day = 12;
    for (int c = 0; c < 3; ++c)
        for (int i = 0; i < 2048; ++i)
            r.samples[c][i] = static_cast<std::int16_t>((i * 37 + c * 1000) % 4001 - 2000);
    return r;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

inline QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The positions at which two images of the same length differ.
inline QList<int> ChangedBytes(const QByteArray& a, const QByteArray& b)
{
    QList<int> out;
    for (int i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            out.append(i);
    return out;
}

} // namespace rovana::test
