#include "MainSplitter.h"

#include <algorithm>

namespace rovana {

MainSplitter::MainSplitter(int rightWidth, QWidget* parent)
    : QSplitter(Qt::Horizontal, parent), m_nRightWidth(rightWidth)
{
    setChildrenCollapsible(false);
    connect(this, &QSplitter::splitterMoved, this, [this] {
        if (count() == 3)
            m_nLeftWidth = sizes().value(0);
    });
}

void MainSplitter::SetInitialWidths(int left, int middle, int right)
{
    m_nLeftWidth = left;
    setSizes({left, middle, right});
    m_bReady = true;
}

void MainSplitter::SetTreeWidth(int width)
{
    m_nLeftWidth = std::max(0, width);
    ApplyLayout();
}

void MainSplitter::ApplyLayout()
{
    if (!m_bReady || count() != 3)
        return;
    const int W = width();
    const int T = m_nLeftWidth;
    const int middle = std::max(0, W - T - m_nRightWidth - 2 * handleWidth());
    setSizes({T, middle, m_nRightWidth});
}

void MainSplitter::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    ApplyLayout();
}

} // namespace rovana
