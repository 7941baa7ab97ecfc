#include "WavePainter.h"

#include "NameTables.h"
#include "PicturePainter.h"

namespace rovana::wave {

QFont SongFont(double pointSize)
{
    QFont font;
    font.setFamilies(SongFamilies());
    font.setStyleHint(QFont::Serif);
    font.setPointSizeF(pointSize);
    return font;
}

QFont DcDefaultFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(12);
    font.setBold(true);
    return font;
}

QFont FontFor(const FontSpec& spec)
{
    return spec.face == FontKind::Song ? SongFont(spec.pointSize) : DcDefaultFont();
}

void PaintDrawList(QPainter& painter, const DrawList& list)
{
    picture::Paint(painter, list, FontFor);
}

} // namespace rovana::wave
