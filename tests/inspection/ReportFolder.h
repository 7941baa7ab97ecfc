#pragma once

// Site folders for the inspection report: any number of evaluated bolts with distinct
// numbers, and the report information each file carries.
#include "summary/SummaryTestFiles.h"

#include "SiteStore.h"

#include <QDir>
#include <QTemporaryDir>

namespace rovana::test {

// "R-07": the number bolt `i` (from 1) of BoltFolder carries.
inline QString BoltNumber(int i)
{
    return QStringLiteral("R-%1").arg(i, 2, 10, QLatin1Char('0'));
}

// Bolt `i` (from 1): channel 1 marked and graded (grade (i - 1) mod 4), its bottom echo
// where the markers put it, report information with bolt number BoltNumber(i).
inline QByteArray EvaluatedBolt(int i)
{
    const int bottom = 200 + 3 * i; // samples after the blow
    QByteArray bytes = Instrument(
        10, 3500, 4.0f, QStringLiteral("MG%1").arg(i, 4, 10, QLatin1Char('0')), 1 + i % 28);
    Analyse(bytes, 0, 3500,
            {Channel({20, 60, 20 + bottom, 0, 0}, 0.7f, 3.0f, (i - 1) % 4, -1),
             Channel({0, 0, 0, 0, 0}, 0, 0), Channel({0, 0, 0, 0, 0}, 0, 0)});
    WithEchoes(bytes, 0, bottom);
    SaveInfo(bytes, 0, BoltNumber(i), QString(), QString(), QStringLiteral("隧道左线"),
             QStringLiteral("岩土检测中心"));
    return bytes;
}

// A folder of `count` evaluated bolts, "B001.mg" on, and the report number RV-<count> kept
// in its site file.
class BoltFolder
{
public:
    explicit BoltFolder(int count)
    {
        EXPECT_TRUE(m_dir.isValid());
        for (int i = 1; i <= count; ++i)
            EXPECT_TRUE(WriteBytes(Path(QStringLiteral("B%1.mg").arg(i, 3, 10, QLatin1Char('0'))),
                                   EvaluatedBolt(i)));
        SiteStore store(m_dir.path());
        EXPECT_TRUE(store.Change([count](rovana::SiteFile& s) {
            s.report[ReportField::ReportNo] = QStringLiteral("RV-%1").arg(count);
        }));
    }
    QString Folder() const { return m_dir.path(); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

} // namespace rovana::test
