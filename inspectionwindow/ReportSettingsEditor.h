#pragma once

#include "ReportSettings.h"
#include "SiteFacts.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QPushButton;
class QWidget;

namespace rovana {

class SiteStore;

// "检测报告设置": the inspection report's texts of a site, edited and saved through its site
// store (OK writes them, 取消 writes nothing). A field left empty shows, greyed, what the
// report takes instead: the value every test file carrying one agrees on ("取自测试文件"),
// or the values they disagree on ("测试文件不一致"), or for the conclusion the one worded
// from the results. A site file the store cannot read is never written: the dialog says
// why and only 取消 closes it.
class ReportSettingsEditor : public QDialog
{
    Q_OBJECT

public:
    using MessageSink = std::function<void(const QString&)>;

    ReportSettingsEditor(SiteStore& store, const inspection::SiteFacts& facts,
                         QWidget* parent = nullptr);

    // The texts as edited (each trimmed at its ends).
    ReportSettings Edited() const;
    // The field's editor (a QLineEdit, or a QPlainTextEdit for remarks and conclusion).
    QWidget* Editor(ReportField field) const;
    // What an empty field shows greyed: the prefill, the disagreement, or nothing.
    QString Hint(ReportField field) const;
    QPushButton* OkButton() const { return m_pOk; }
    void SetMessageSink(MessageSink sink) { m_fnMessage = std::move(sink); }

    // Saves the texts through the store; true when they are kept (the dialog then closes).
    bool Save();
    void accept() override;

private:
    SiteStore& m_Store;
    std::array<QWidget*, kReportFieldCount> m_Editors{};
    std::array<QString, kReportFieldCount> m_Hints{};
    QLabel* m_pWarning = nullptr;
    QPushButton* m_pOk = nullptr;
    MessageSink m_fnMessage;
};

} // namespace rovana
