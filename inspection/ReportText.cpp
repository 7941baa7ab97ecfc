#include "ReportText.h"

#include "SummaryTable.h"

namespace rovana::inspection {

namespace {

QString Or(const QString& text, const QString& fallback = QStringLiteral("—"))
{
    return text.trimmed().isEmpty() ? fallback : text;
}

std::pair<QString, QString> Field(const ReportSettings& s, ReportField f)
{
    return {FieldLabel(f), Or(s[f])};
}

QString Names(const std::vector<BoltMention>& bolts)
{
    QStringList names;
    names.reserve(static_cast<qsizetype>(bolts.size()));
    for (const BoltMention& b : bolts)
        names << (b.boltNo.isEmpty() ? b.fileName : b.boltNo);
    return names.join(QStringLiteral("、"));
}

Block Paragraph(const QString& text)
{
    Block b;
    b.text = text;
    return b;
}

Block Fields(std::vector<std::pair<QString, QString>> fields)
{
    Block b;
    b.kind = Block::Kind::Fields;
    b.fields = std::move(fields);
    return b;
}

Chapter Overview(const ReportContent& c)
{
    const ReportSettings& s = c.Settings();
    Chapter chapter{QStringLiteral("一、工程概况"), {}};
    std::vector<std::pair<QString, QString>> rows;
    for (ReportField f : {ReportField::ProjectName, ReportField::ProjectSite, ReportField::Client,
                          ReportField::Owner, ReportField::Designer, ReportField::Contractor,
                          ReportField::Supervisor, ReportField::TestUnit})
        rows.push_back(Field(s, f));
    rows.push_back({QStringLiteral("检测数量"), QStringLiteral("%1 根").arg(c.files.size())});
    rows.push_back({QStringLiteral("锚杆类型"), CountsText(c.facts.boltTypes.Values(), "根")});
    rows.push_back(
        {QStringLiteral("设计长度(m)"), CountsText(c.facts.designLengths.Values(), "根", true)});
    QString dates = QStringLiteral("—");
    if (!c.testDates.isEmpty())
        dates = c.testDates.size() == 1
                    ? c.testDates.front()
                    : QStringLiteral("%1 至 %2").arg(c.testDates.front(), c.testDates.back());
    rows.push_back({QStringLiteral("检测日期"), dates});
    chapter.blocks.push_back(Fields(std::move(rows)));
    return chapter;
}

Chapter Method(const ReportContent& c)
{
    const ReportSettings& s = c.Settings();
    Chapter chapter{QStringLiteral("三、检测方法与仪器"), {}};
    chapter.blocks.push_back(Paragraph(QStringLiteral(
        "采用声波反射法检测：在锚杆外露端激振，应力波沿杆体传播，在杆体与锚固体的波阻抗"
        "变化处及杆底产生反射，由反射波到达的时间与波速计算锚杆长度和缺陷位置。根据反射波"
        "的特征评定锚固密实度，并由密实度与实测长度确定锚固质量等级。")));
    chapter.blocks.push_back(Fields({
        Field(s, ReportField::Instrument),
        {QStringLiteral("采样间隔(µs)"), CountsText(c.facts.intervals.Values(), "个文件", true)},
        {QStringLiteral("采样点数"), CountsText(c.facts.sampleCounts.Values(), "个文件", true)},
        Field(s, ReportField::Testers),
    }));
    return chapter;
}

Chapter Results(const ReportContent& c)
{
    Chapter chapter{QStringLiteral("四、检测结果"), {}};
    const summary::SummaryStatistics& st = c.summary.statistics;
    std::vector<std::pair<QString, QString>> rows;
    for (const summary::StatisticsLine& line : summary::StatisticsLines(st)) {
        QString value = line.ValueText();
        if (line.hasShare)
            value += QStringLiteral("（%1）").arg(line.ShareText());
        rows.push_back({line.label, value});
    }
    chapter.blocks.push_back(Fields(std::move(rows)));
    Block bars;
    bars.kind = Block::Kind::Chart;
    bars.chart = Chart::ClassCounts;
    bars.caption = QStringLiteral("图 1　锚固质量等级分布（已评定 %1 根）").arg(st.evaluated);
    chapter.blocks.push_back(bars);
    Block ratios;
    ratios.kind = Block::Kind::Chart;
    ratios.chart = Chart::LengthRatios;
    ratios.caption = QStringLiteral("图 2　实测长度与设计长度之比（虚线为 %1%）")
                         .arg(kLengthRatioLine, 0, 'f', 0);
    chapter.blocks.push_back(ratios);
    return chapter;
}

Chapter Conclusion(const ReportContent& c)
{
    Chapter chapter{QStringLiteral("五、结论"), {}};
    for (const QString& paragraph : c.Conclusion().split(QLatin1Char('\n')))
        if (!paragraph.trimmed().isEmpty())
            chapter.blocks.push_back(Paragraph(paragraph.trimmed()));
    const auto names = [&chapter](const QString& heading, const std::vector<BoltMention>& bolts) {
        if (bolts.empty())
            return;
        Block b;
        b.kind = Block::Kind::Names;
        b.text = heading.arg(bolts.size());
        b.fields = {{QString(), Names(bolts)}};
        chapter.blocks.push_back(std::move(b));
    };
    names(QStringLiteral("未评定的锚杆（%1 根）："), c.notEvaluated);
    names(QStringLiteral("请复核的锚杆（%1 根）："), c.review);
    names(QStringLiteral("无法读取的文件（%1 个）："), c.unreadable);
    if (const QString remarks = c.Settings()[ReportField::Remarks]; !remarks.trimmed().isEmpty()) {
        Block b;
        b.kind = Block::Kind::Names;
        b.text = FieldLabel(ReportField::Remarks) + QStringLiteral("：");
        b.fields = {{QString(), remarks.trimmed()}};
        chapter.blocks.push_back(std::move(b));
    }
    return chapter;
}

} // namespace

std::vector<Chapter> Chapters(const ReportContent& c)
{
    Chapter basis{QStringLiteral("二、检测依据"), {}};
    basis.blocks.push_back(Paragraph(Or(c.Settings()[ReportField::Basis])));
    return {Overview(c), std::move(basis), Method(c), Results(c), Conclusion(c)};
}

std::vector<std::pair<QString, QString>> CoverFields(const ReportSettings& s)
{
    std::vector<std::pair<QString, QString>> rows;
    for (ReportField f : {ReportField::ReportNo, ReportField::ProjectName, ReportField::Client,
                          ReportField::TestUnit, ReportField::ReportDate})
        rows.push_back({FieldLabel(f), s[f].trimmed()});
    return rows;
}

std::vector<std::pair<QString, QString>> Signatures(const ReportSettings& s)
{
    return {{QStringLiteral("检测"), s[ReportField::Testers].trimmed()},
            {FieldLabel(ReportField::Reviewer), s[ReportField::Reviewer].trimmed()},
            {FieldLabel(ReportField::Approver), s[ReportField::Approver].trimmed()}};
}

QString PageFooter(int page, int pages)
{
    return QStringLiteral("第 %1 页 共 %2 页").arg(page).arg(pages);
}

QString ReportNumberText(const ReportSettings& s)
{
    return FieldLabel(ReportField::ReportNo) + QStringLiteral("：") +
           s[ReportField::ReportNo].trimmed();
}

} // namespace rovana::inspection
