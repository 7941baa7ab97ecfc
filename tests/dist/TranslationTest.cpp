// The framework's own dialogs speak Chinese once the program has installed Qt's Chinese
// catalogue, whatever the system locale (the tests run with LC_ALL=C).
#include "ChineseTranslations.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QPrintPreviewDialog>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace rovana {
namespace {

// The texts a user reads in the save dialog, in a Yes/No message box and on the print
// preview, by what they are.
std::vector<std::pair<const char*, QString>> DialogTexts()
{
    std::vector<std::pair<const char*, QString>> texts;
    QFileDialog save;
    save.setOption(QFileDialog::DontUseNativeDialog);
    save.setAcceptMode(QFileDialog::AcceptSave);
    texts.emplace_back("save dialog title", save.windowTitle());
    texts.emplace_back("look in", save.labelText(QFileDialog::LookIn));
    texts.emplace_back("file name", save.labelText(QFileDialog::FileName));
    texts.emplace_back("file type", save.labelText(QFileDialog::FileType));
    texts.emplace_back("save button", save.labelText(QFileDialog::Accept));
    texts.emplace_back("cancel button", save.labelText(QFileDialog::Reject));

    QMessageBox box(QMessageBox::Question, QStringLiteral("Rovana"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No);
    texts.emplace_back("yes button", box.button(QMessageBox::Yes)->text());
    texts.emplace_back("no button", box.button(QMessageBox::No)->text());

    QPrintPreviewDialog preview;
    texts.emplace_back("print preview title", preview.windowTitle());
    return texts;
}

bool HasHan(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x4E00 && c.unicode() <= 0x9FFF)
            return true;
    return false;
}

TEST(ChineseTranslationsTest, WithoutCatalogueNothingIsInstalled)
{
    const auto before = DialogTexts();
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    EXPECT_FALSE(InstallChineseTranslations(empty.path()));
    EXPECT_EQ(QLocale().name(), QStringLiteral("zh_CN"));

    const auto after = DialogTexts();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].second, before[i].second) << after[i].first;
        EXPECT_FALSE(HasHan(after[i].second)) << after[i].first;
    }
}

TEST(ChineseTranslationsTest, SaveDialogAndMessageBoxSpeakChinese)
{
    ASSERT_NE(QLocale::system().language(), QLocale::Chinese)
        << "the test must start from a non-Chinese system locale";
    const auto english = DialogTexts();
    for (const auto& [what, text] : english)
        ASSERT_FALSE(HasHan(text)) << what << ": " << text.toStdString();

    ASSERT_TRUE(InstallChineseTranslations())
        << "Qt's Chinese catalogue is missing (package qt6-translations-l10n)";
    EXPECT_EQ(QLocale().name(), QStringLiteral("zh_CN"));

    const auto chinese = DialogTexts();
    ASSERT_EQ(chinese.size(), english.size());
    for (std::size_t i = 0; i < chinese.size(); ++i) {
        const auto& [what, text] = chinese[i];
        EXPECT_NE(text, english[i].second) << what;
        EXPECT_TRUE(HasHan(text)) << what << ": " << text.toStdString();
    }
}

} // namespace
} // namespace rovana
