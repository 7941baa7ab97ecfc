#pragma once

#include "ReportContent.h"

#include <QString>

#include <utility>
#include <vector>

namespace rovana::inspection {

// The report's chapters before the appendices as text blocks, worded once: the PDF's pages
// lay them out as pictures (ReportPages.h), the OpenDocument copy writes them as text
// (ReportOdt.h).

enum class Chart
{
    ClassCounts,  // bolts per quality class, as bars
    LengthRatios, // measured / design length per bolt, with the 95 % line
};

struct Block
{
    enum class Kind
    {
        Paragraph, // text, first line indented by two characters
        Fields,    // label：value rows
        Chart,
        Names, // a heading line, then the names joined by "、"
    };
    Kind kind = Kind::Paragraph;
    QString text; // a paragraph; the heading line of names
    std::vector<std::pair<QString, QString>> fields;
    Chart chart = Chart::ClassCounts;
    QString caption; // a chart's title
};

struct Chapter
{
    QString title; // "一、工程概况"
    std::vector<Block> blocks;
};

// The chapters: 工程概况, 检测依据, 检测方法与仪器, 检测结果, 结论.
std::vector<Chapter> Chapters(const ReportContent& content);

// The titles of the appendices, and of the cover's and contents' pages.
inline const QString kContentsTitle = QStringLiteral("目　录");
inline const QString kAppendixSummary = QStringLiteral("附录 A　锚杆检测结果汇总表");
inline const QString kAppendixSheets = QStringLiteral("附录 B　单根锚杆检测结果表");

// The cover's lines under the title: 报告编号, 工程名称, 委托单位, 检测单位, 报告日期.
std::vector<std::pair<QString, QString>> CoverFields(const ReportSettings& settings);
// The signature block: 检测, 审核, 批准 with the names given.
std::vector<std::pair<QString, QString>> Signatures(const ReportSettings& settings);

// "第 3 页 共 12 页"
QString PageFooter(int page, int pages);
// "报告编号：RV-2026-001"
QString ReportNumberText(const ReportSettings& settings);

} // namespace rovana::inspection
