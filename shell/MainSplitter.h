#pragma once

#include <QSplitter>

namespace rovana {

// The main window's static splitter: one row, three columns. Once ready, every resize
// keeps the tree pane's width, gives the right pane a fixed width and the rest to the
// middle pane. Dragging a bar by hand moves the
// tree pane's width; the right pane returns to its fixed width at the next resize.
class MainSplitter : public QSplitter
{
    Q_OBJECT

public:
    MainSplitter(int rightWidth, QWidget* parent = nullptr);

    // Sets the initial widths of the three panes and turns the resize rule on.
    void SetInitialWidths(int left, int middle, int right);
    // Applies the rule for the current width.
    void ApplyLayout();
    // The tree pane's width the rule keeps; setting it applies the rule.
    int TreeWidth() const { return m_nLeftWidth; }
    void SetTreeWidth(int width);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_nRightWidth;
    int m_nLeftWidth = 0;
    bool m_bReady = false;
};

} // namespace rovana
