#pragma once

#include <QListWidget>

namespace rovana {

// A list of texts, each row with a check mark, sorted, one row selected at a time. A
// click on a row's check mark toggles it without selecting the row; a click on the text
// selects the row. The space key toggles the current row's mark.
class CheckList : public QListWidget
{
    Q_OBJECT

public:
    explicit CheckList(int id, QWidget* parent = nullptr);

    // Replaces the rows by `texts`, sorted without regard to case; all unchecked, none
    // selected.
    void SetRows(QStringList texts);

    int GetCheck(int row) const;
    void SetCheck(int row, int check);
    // The texts of the checked rows, top to bottom.
    QStringList CheckedTexts() const;
    // The first row whose text equals `text` ignoring case, or -1.
    int FindExact(const QString& text) const;

    // The check mark's rectangle of `row` in viewport coordinates.
    QRect CheckRect(int row) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The row whose check mark lies under `pos`, or -1.
    int CheckHit(const QPoint& pos) const;

    bool m_bCheckPressed = false; // the mouse went down on a check mark
};

} // namespace rovana
