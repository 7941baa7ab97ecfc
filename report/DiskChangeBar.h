#pragma once

#include <QFrame>

class QLabel;
class QPushButton;

namespace rovana {

// The bar above the channel views that says the test on screen is no longer what its file
// holds: what happened, the unsaved edits a reload would drop, and 重新载入 and 忽略.
class DiskChangeBar : public QFrame
{
    Q_OBJECT

public:
    explicit DiskChangeBar(QWidget* parent = nullptr);

    // Shows `headline` ("MG0003.mg 已被其他程序修改。") with the edits not saved yet
    // (`unsaved`, named by `edits` where known) and 重新载入 where a reload is possible.
    void Show(const QString& headline, bool unsaved, const QStringList& edits, bool canReload);
    // The text as shown, for tests and for the accessible description.
    QString Text() const;

    QPushButton* ReloadButton() const { return m_pReload; }
    QPushButton* DismissButton() const { return m_pDismiss; }

signals:
    void ReloadRequested();
    void Dismissed();

private:
    QLabel* m_pIcon;
    QLabel* m_pText;
    QPushButton* m_pReload;
    QPushButton* m_pDismiss;
};

} // namespace rovana
