#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace rovana {

// Name tables shared by the evaluation panel, the report settings and the report sheet.
// Indexed from 0; an index of -1 means none.
inline const std::array<QString, 5> kBoltTypeNames = {
    QStringLiteral("全长粘结锚杆"), QStringLiteral("预应力锚杆"), QStringLiteral("摩擦型锚杆"),
    QStringLiteral("自钻式锚杆"),   QStringLiteral("永久性锚杆"),
};
inline const std::array<QString, 4> kGradeNames = {
    QStringLiteral("A >=90%"),
    QStringLiteral("B 90%~80%"),
    QStringLiteral("C 80%~75%"),
    QStringLiteral("D <75%"),
};
inline const std::array<QString, 4> kQualityClassNames = {
    QStringLiteral("I"),
    QStringLiteral("II"),
    QStringLiteral("III"),
    QStringLiteral("IV"),
};

// The face "宋体" and, after it, the installed Song-style faces that stand in for it on
// Linux, best first (Debian's fonts-noto-cjk provides "Noto Serif CJK SC").
inline QStringList SongFamilies()
{
    return {QStringLiteral("宋体"),
            QStringLiteral("SimSun"),
            QStringLiteral("Noto Serif CJK SC"),
            QStringLiteral("Source Han Serif SC"),
            QStringLiteral("AR PL UMing CN"),
            QStringLiteral("Noto Sans CJK SC"),
            QStringLiteral("WenQuanYi Zen Hei")};
}

// The table entry for an index, or an empty text for -1 and other indices out of range.
template <std::size_t N> QString NameAt(const std::array<QString, N>& table, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? table[static_cast<std::size_t>(index)]
               : QString();
}

} // namespace rovana
