#include "ReportSettingsEditor.h"

#include "SiteStore.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace rovana {

namespace {

QString TextOf(const QWidget* editor)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(editor))
        return line->text().trimmed();
    return static_cast<const QPlainTextEdit*>(editor)->toPlainText().trimmed();
}

// What the report prints for an empty field, from the files.
QString HintFor(ReportField field, const inspection::SiteFacts& facts)
{
    if (field == ReportField::Conclusion)
        return QStringLiteral("留空则按检测结果生成：本次共检测锚杆 N 根，其中 I 类 a 根、"
                              "II 类 b 根、III 类 c 根、IV 类 d 根，合格率 x %。");
    const std::vector<inspection::ValueCount>& values =
        facts.carried[static_cast<std::size_t>(field)].Values();
    if (values.size() == 1)
        return QStringLiteral("取自测试文件：%1").arg(values.front().value);
    if (values.size() > 1) {
        QStringList seen;
        for (const inspection::ValueCount& v : values)
            seen << QStringLiteral("%1（%2 个）").arg(v.value).arg(v.count);
        return QStringLiteral("测试文件不一致：%1").arg(seen.join(QStringLiteral(" / ")));
    }
    return {};
}

} // namespace

ReportSettingsEditor::ReportSettingsEditor(SiteStore& store, const inspection::SiteFacts& facts,
                                           QWidget* parent)
    : QDialog(parent), m_Store(store)
{
    setWindowTitle(QStringLiteral("检测报告设置"));
    store.Refresh(); // show what the file holds now
    const ReportSettings& kept = store.Site().report;
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (int f = 0; f < kReportFieldCount; ++f) {
        const auto field = static_cast<ReportField>(f);
        const auto i = static_cast<std::size_t>(f);
        m_Hints[i] = HintFor(field, facts);
        QWidget* editor = nullptr;
        if (FieldInfo(field).multiLine) {
            auto* text = new QPlainTextEdit(kept[field], this);
            text->setPlaceholderText(m_Hints[i]);
            text->setTabChangesFocus(true);
            text->setFixedHeight(fontMetrics().lineSpacing() * 4 + 12);
            editor = text;
        } else {
            auto* line = new QLineEdit(kept[field], this);
            line->setPlaceholderText(m_Hints[i]);
            line->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) * 40);
            editor = line;
        }
        editor->setObjectName(QLatin1String(FieldInfo(field).key));
        m_Editors[i] = editor;
        form->addRow(FieldLabel(field) + QStringLiteral("："), editor);
    }
    layout->addLayout(form);

    m_pWarning = new QLabel(this);
    m_pWarning->setWordWrap(true);
    m_pWarning->setText(store.Writable() ? QStringLiteral("留空的项取各测试文件一致的报告信息。")
                                         : store.Warning());
    layout->addWidget(m_pWarning);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pOk->setText(QStringLiteral("确定"));
    m_pOk->setEnabled(store.Writable());
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    m_fnMessage = [this](const QString& text) { QMessageBox::warning(this, windowTitle(), text); };
}

ReportSettings ReportSettingsEditor::Edited() const
{
    ReportSettings s;
    for (std::size_t f = 0; f < m_Editors.size(); ++f)
        s.values[f] = TextOf(m_Editors[f]);
    return s;
}

QWidget* ReportSettingsEditor::Editor(ReportField field) const
{
    return m_Editors[static_cast<std::size_t>(field)];
}

QString ReportSettingsEditor::Hint(ReportField field) const
{
    return m_Hints[static_cast<std::size_t>(field)];
}

bool ReportSettingsEditor::Save()
{
    const ReportSettings edited = Edited();
    const WriteResult written = m_Store.Change([&edited](SiteFile& site) { site.report = edited; });
    if (!written) {
        m_fnMessage(m_Store.MessageFor(written));
        return false;
    }
    return true;
}

void ReportSettingsEditor::accept()
{
    if (Save())
        QDialog::accept();
}

} // namespace rovana
