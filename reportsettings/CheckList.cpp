#include "CheckList.h"

#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionViewItem>

#include <algorithm>

namespace rovana {

CheckList::CheckList(int id, QWidget* parent) : QListWidget(parent)
{
    setObjectName(QString::number(id));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUniformItemSizes(true);
}

void CheckList::SetRows(QStringList texts)
{
    std::stable_sort(texts.begin(), texts.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
    clear();
    for (const QString& text : texts) {
        auto* item = new QListWidgetItem(text, this);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

int CheckList::GetCheck(int row) const
{
    const QListWidgetItem* it = item(row);
    return it && it->checkState() == Qt::Checked ? 1 : 0;
}

void CheckList::SetCheck(int row, int check)
{
    if (QListWidgetItem* it = item(row))
        it->setCheckState(check ? Qt::Checked : Qt::Unchecked);
}

QStringList CheckList::CheckedTexts() const
{
    QStringList out;
    for (int row = 0; row < count(); ++row)
        if (GetCheck(row))
            out.append(item(row)->text());
    return out;
}

int CheckList::FindExact(const QString& text) const
{
    for (int row = 0; row < count(); ++row)
        if (item(row)->text().compare(text, Qt::CaseInsensitive) == 0)
            return row;
    return -1;
}

QRect CheckList::CheckRect(int row) const
{
    QListWidgetItem* it = item(row);
    if (!it)
        return {};
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualItemRect(it);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

int CheckList::CheckHit(const QPoint& pos) const
{
    const QListWidgetItem* it = itemAt(pos);
    if (!it)
        return -1;
    const int r = row(it);
    return CheckRect(r).contains(pos) ? r : -1;
}

void CheckList::mousePressEvent(QMouseEvent* event)
{
    const int r = event->button() == Qt::LeftButton ? CheckHit(event->position().toPoint()) : -1;
    if (r < 0) {
        QListWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    SetCheck(r, GetCheck(r) ? 0 : 1);
    m_bCheckPressed = true;
    event->accept();
}

void CheckList::mouseReleaseEvent(QMouseEvent* event)
{
    // The release of a press that toggled a check mark has nothing left to do.
    if (m_bCheckPressed && event->button() == Qt::LeftButton) {
        m_bCheckPressed = false;
        event->accept();
        return;
    }
    QListWidget::mouseReleaseEvent(event);
}

void CheckList::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second click of a double click on a check mark toggles it again.
    const int r = event->button() == Qt::LeftButton ? CheckHit(event->position().toPoint()) : -1;
    if (r < 0) {
        QListWidget::mouseDoubleClickEvent(event);
        return;
    }
    SetCheck(r, GetCheck(r) ? 0 : 1);
    m_bCheckPressed = true;
    event->accept();
}

} // namespace rovana
