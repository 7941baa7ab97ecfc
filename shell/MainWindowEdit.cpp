// The main window's Edit menu (the history of the test on screen), the gain reset of the
// View menu and the user manual of the Help menu.
#include "MainWindow.h"

#include "CommandIds.h"
#include "ManualWindow.h"
#include "ReportView.h"

#include <QMenuBar>
#include <QUndoStack>

namespace rovana {

void MainWindow::CreateEditActions()
{
    QAction* a = AddAction(ID_EDIT_UNDO, QStringLiteral("撤销"));
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    a->setStatusTip(QStringLiteral("撤销上一步操作"));
    a->setEnabled(false);

    a = AddAction(ID_EDIT_REDO, QStringLiteral("重做"));
    a->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    a->setStatusTip(QStringLiteral("重做撤销的操作"));
    a->setEnabled(false);

    a = AddAction(ID_VIEW_RESET_GAIN, QStringLiteral("恢复原始放大\tCtrl+0"));
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    a->setStatusTip(QStringLiteral("所选通道不再随深度放大"));
    connect(a, &QAction::triggered, this, [this] { m_pReportView->ResetActiveMagnification(); });

    a = AddAction(ID_VIEW_FIT_AMPLITUDE, QStringLiteral("适合幅值\tCtrl+F"));
    a->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    a->setStatusTip(QStringLiteral("所选通道的幅值随波形：敲击后的最大振幅占半高的 90%，"
                                   "本文件夹的测试与打印均照此"));
    connect(a, &QAction::triggered, this, [this] { m_pReportView->FitActiveAmplitude(); });

    a = AddAction(ID_HELP_MANUAL, QStringLiteral("使用说明\tF1"));
    a->setShortcut(QKeySequence(Qt::Key_F1));
    a->setStatusTip(QStringLiteral("打开使用说明"));
    connect(a, &QAction::triggered, this, [this] { ShowManual(this); });
}

void MainWindow::ConnectHistory()
{
    // The actions name the step they undo or redo: "撤销 底部", "重做 底部".
    QUndoStack* history = m_pReportView->m_pUndo;
    const auto follow = [this, history](int id, const QString& verb, auto canSignal,
                                        auto textSignal, auto run) {
        QAction* a = Action(id);
        connect(a, &QAction::triggered, history, run);
        connect(history, canSignal, a, &QAction::setEnabled);
        connect(history, textSignal, a, [a, verb](const QString& step) {
            a->setText(step.isEmpty() ? verb : verb + QLatin1Char(' ') + step);
        });
    };
    follow(ID_EDIT_UNDO, QStringLiteral("撤销"), &QUndoStack::canUndoChanged,
           &QUndoStack::undoTextChanged, &QUndoStack::undo);
    follow(ID_EDIT_REDO, QStringLiteral("重做"), &QUndoStack::canRedoChanged,
           &QUndoStack::redoTextChanged, &QUndoStack::redo);
}

QMenu* MainWindow::CreateEditMenu()
{
    QMenu* edit = menuBar()->addMenu(QStringLiteral("编辑(&E)"));
    edit->addAction(Action(ID_EDIT_UNDO));
    edit->addAction(Action(ID_EDIT_REDO));
    return edit;
}

} // namespace rovana
