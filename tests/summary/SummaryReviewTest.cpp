// The summary's "请复核" on measured bolts: the picker's check of the saved bottom.
#include "SummaryTestFiles.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace rovana::summary {
namespace {

// "请复核" on a measured bolt is the picker's check of its saved bottom (CheckSavedBottom):
// a saved bottom where the picker finds one, or within 5 % of it, is confirmed; further
// off, or where the picker offers no bottom at all (then with its reason), the row asks for
// a second look; a bolt with nothing saved asks for none.
TEST(SummaryTableTest, ReviewWhereThePickerCannotConfirmTheSavedBottom)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    enum class Trace
    {
        Echoes,
        NoBottom,
        Silent
    };
    // Channel 0: the blow peaks at sample 30, the bottom echo 300 samples later (5.25 m).
    const auto file = [](Trace trace, int savedBottom) {
        QByteArray bytes = test::Instrument(10, 3500, 5.5f, QStringLiteral("MG0100"), 12);
        const auto zero = [&bytes](int from, int to) {
            for (int i = from; i < to; ++i)
                bytes[1024 + 2 * i] = bytes[1024 + 2 * i + 1] = 0;
        };
        if (trace == Trace::Silent)
            zero(0, 2048);
        else
            test::WithEchoes(bytes, 0, 300);
        if (trace == Trace::NoBottom)
            zero(100, 2048); // the toe sends nothing back
        if (savedBottom > 0)
            test::Analyse(bytes, 0, 3500,
                          {test::Channel({30, 70, savedBottom, 0, 0}, 0.7f, 5.0f, 0, 0),
                           test::Channel({0, 0, 0, 0, 0}, 0, 0),
                           test::Channel({0, 0, 0, 0, 0}, 0, 0)});
        return bytes;
    };
    struct Row
    {
        const char* name;
        QByteArray bytes;
        QString review; // the cell
    };
    const QString review = kReviewText;
    const Row rows[] = {
        {"saved where the picker finds the bottom", file(Trace::Echoes, 330), {}},
        {"saved 4 % long", file(Trace::Echoes, 342), {}},
        {"saved 6 % long", file(Trace::Echoes, 348), review},
        {"saved where the toe sends nothing back", file(Trace::NoBottom, 330),
         QStringLiteral("请复核（底部反射不明显）")},
        {"saved on a silent channel", file(Trace::Silent, 330),
         QStringLiteral("请复核（未找到敲击信号）")},
        {"nothing saved", file(Trace::Echoes, 0), {}},
        {"nothing saved, no bottom found", file(Trace::NoBottom, 0), {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString path = dir.filePath(QStringLiteral("R.mg"));
        ASSERT_TRUE(test::WriteBytes(path, row.bytes));
        const SummaryRow summaryRow = ReadSummaryRow(path, 1);
        EXPECT_EQ(summaryRow.review, !row.review.isEmpty());
        EXPECT_EQ(CellOf(summaryRow, Column::Review).text, row.review);
    }
}

} // namespace
} // namespace rovana::summary
