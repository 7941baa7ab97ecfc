#include "AppIcon.h"

#include "ViewCommands.h"

#include "CommandIds.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include <cmath>

namespace rovana {
namespace {

QPixmap DrawProgramPixmap(int size)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    p.scale(s, s);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(224, 238, 224));
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 4, 4);
    // The bolt: a grey rod with a head plate on the left.
    p.setBrush(QColor(128, 124, 124));
    p.drawRect(QRectF(4, 22, 24, 3));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(3, 19, 2, 9));
    // The echo: a decaying wave above the rod.
    QPainterPath wave;
    wave.moveTo(4, 12);
    for (int x = 4; x <= 28; ++x) {
        const qreal decay = 1.0 - (x - 4) / 30.0;
        wave.lineTo(x, 12 - 7 * decay * std::sin((x - 4) * 0.9));
    }
    p.setPen(QPen(QColor(0, 0, 255), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
    return pm;
}

QIcon LetterIcon(const QString& letter)
{
    QPixmap pm(16, 15);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(0, 0, 15, 14);
    p.drawText(QRect(0, 0, 16, 15), Qt::AlignCenter, letter);
    return QIcon(pm);
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(DrawProgramPixmap(size));
    return icon;
}

QIcon ToolbarIcon(int id)
{
    QStyle* s = QApplication::style();
    switch (id) {
    case ID_FILE_OPEN:
        return QIcon::fromTheme(QStringLiteral("document-open"),
                                s->standardIcon(QStyle::SP_DialogOpenButton));
    case ID_FILE_SAVE:
        return QIcon::fromTheme(QStringLiteral("document-save"),
                                s->standardIcon(QStyle::SP_DialogSaveButton));
    case ID_TOOL_PRINT_SETUP:
        return QIcon::fromTheme(QStringLiteral("document-properties"),
                                s->standardIcon(QStyle::SP_FileDialogDetailedView));
    case ID_TOOL_PRINT_PREVIEW:
        return QIcon::fromTheme(QStringLiteral("document-print-preview"),
                                s->standardIcon(QStyle::SP_FileDialogContentsView));
    case ID_FILE_PRINT:
        return QIcon::fromTheme(QStringLiteral("document-print"), LetterIcon(QStringLiteral("P")));
    case ID_AUTO_PICK:
        return QIcon::fromTheme(QStringLiteral("edit-find"), LetterIcon(QStringLiteral("A")));
    case ID_VIEW_PROCESSING:
        return LetterIcon(QStringLiteral("F"));
    case ID_APP_ABOUT:
        return QIcon::fromTheme(QStringLiteral("help-about"),
                                s->standardIcon(QStyle::SP_MessageBoxQuestion));
    default:
        return {};
    }
}

} // namespace rovana
