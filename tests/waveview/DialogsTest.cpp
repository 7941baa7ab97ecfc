// The amplitude, wave-speed and magnification dialogs as the context menu opens them,
// driven without an event loop of their own.
#include "ChannelView.h"
#include "FakeViewHost.h"
#include "GainDialog.h"
#include "ValueDialog.h"
#include "ViewCommands.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace rovana {
namespace {

class DialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        host.record.m_nSampleCount = 1024;
        host.record.m_nSampleInterval = 10;
        host.record.m_nWaveSpeed = 3500;
        host.display.m_bCompress = 0;
        view.resize(1000, 300);
    }

    // Runs `command`; the dialog it opens gets `text` (edit or combo choice) and OK.
    void Run(int command, const QString& text)
    {
        view.m_fnRunDialog = [&](QDialog& dialog) {
            opened = &dialog;
            title = dialog.windowTitle();
            name = dialog.objectName();
            if (auto* dlg = qobject_cast<ValueDialog*>(&dialog)) {
                shown = dlg->Edit()->text();
                dlg->m_fnRefuse = [&](const QString& message) { refusals << message; };
                dlg->Edit()->setText(text);
            } else if (auto* combo = dialog.findChild<QComboBox*>("1024")) {
                shown = combo->currentText();
                items.clear();
                for (int i = 0; i < combo->count(); ++i)
                    items << combo->itemText(i);
                combo->setCurrentIndex(combo->findText(text));
            }
            dialog.findChild<QPushButton*>("1")->click();
            visible = dialog.isVisible();
            return dialog.result();
        };
        view.OnCommand(command);
    }

    test::FakeViewHost host;
    ChannelView view{0, &host};
    QDialog* opened = nullptr;
    QString title, name, shown;
    QStringList items, refusals;
    bool visible = true;
};

TEST_F(DialogsTest, AmplitudeDialogShowsTheViewsValueAndSetsIt)
{
    Run(ID_SET_AMPLITUDE, "900");
    ASSERT_NE(opened, nullptr);
    EXPECT_EQ(shown, "1700");
    EXPECT_EQ(title, "设置");
    EXPECT_EQ(name, "142");
    EXPECT_EQ(view.m_nMaxAmplitude, 900);
    EXPECT_TRUE(refusals.isEmpty());
    EXPECT_FALSE(visible); // driven without being shown
}

struct EntryRow
{
    const char* text;
    int value; // the maximum amplitude after OK
    bool refused;
};

TEST_F(DialogsTest, ValuesNotAboveZeroAreRefused)
{
    const EntryRow rows[] = {
        {"0", 1700, true}, {"-5", 1700, true},  {"abc", 1700, true},
        {"", 1700, true},  {"12ab", 12, false}, {" 640", 640, false},
    };
    for (const EntryRow& r : rows) {
        view.m_nMaxAmplitude = 1700;
        refusals.clear();
        Run(ID_SET_AMPLITUDE, r.text);
        EXPECT_EQ(view.m_nMaxAmplitude, r.value) << r.text;
        EXPECT_EQ(refusals.size(), r.refused ? 1 : 0) << r.text;
        if (r.refused) {
            EXPECT_EQ(refusals.value(0), "请输入大于 0 的整数");
        }
    }
}

TEST_F(DialogsTest, WaveSpeed3600ChangesTheRecordAndTheLengths)
{
    host.SetMarker(0, kMarkerEnd, 20);
    host.SetMarker(0, kMarkerBottom, 220);
    view.ComputeDrawing(); // a repaint: the dialog starts from the record's wave speed
    EXPECT_EQ(view.BottomLength(), 3.5f);
    Run(ID_SET_WAVESPEED, "3600");
    EXPECT_EQ(shown, "3500");
    EXPECT_EQ(title, "波速设置");
    EXPECT_EQ(name, "143");
    EXPECT_EQ(host.Edit().Inputs().waveSpeed, 3600);
    EXPECT_EQ(view.BottomLength(), 3.6f);
    EXPECT_TRUE(wave::MeasurementText(view.DrawingInput()).startsWith("L=3.60m"));

    Run(ID_SET_WAVESPEED, "0"); // refused: the test keeps 3600
    EXPECT_EQ(host.Edit().Inputs().waveSpeed, 3600);
}

// Typing into a freshly opened dialog replaces the value shown, in both value dialogs.
TEST_F(DialogsTest, TypingReplacesTheShownValue)
{
    host.record.m_nWaveSpeed = 3500;
    view.ComputeDrawing();
    const struct
    {
        int command;
        int (*value)(const ChannelView&, const test::FakeViewHost&);
    } rows[] = {
        {ID_SET_WAVESPEED,
         [](const ChannelView&, const test::FakeViewHost& h) {
             return h.Edit().Inputs().waveSpeed;
         }},
        {ID_SET_AMPLITUDE,
         [](const ChannelView& v, const test::FakeViewHost&) { return v.m_nMaxAmplitude; }},
    };
    for (const auto& r : rows) {
        view.m_fnRunDialog = [](QDialog& dialog) {
            auto* edit = qobject_cast<ValueDialog*>(&dialog)->Edit();
            for (const QChar c : QStringLiteral("3600")) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (c.unicode() - '0'), Qt::NoModifier,
                                QString(c));
                QApplication::sendEvent(edit, &press);
            }
            dialog.findChild<QPushButton*>("1")->click();
            return dialog.result();
        };
        view.OnCommand(r.command);
        EXPECT_EQ(r.value(view, host), 3600) << r.command;
    }
}

TEST_F(DialogsTest, WaveSpeedsOutside100To20000AreRefused)
{
    const EntryRow rows[] = {
        {"99", 3500, true},    {"100", 100, false},      {"20000", 20000, false},
        {"20001", 3500, true}, {"35003600", 3500, true}, {"-3500", 3500, true},
    };
    for (const EntryRow& r : rows) {
        host.Edit().SetWaveSpeed(3500);
        refusals.clear();
        Run(ID_SET_WAVESPEED, r.text);
        EXPECT_EQ(host.Edit().Inputs().waveSpeed, r.value) << r.text;
        ASSERT_EQ(refusals.size(), r.refused ? 1 : 0) << r.text;
        if (r.refused) {
            EXPECT_EQ(refusals.value(0), "波速应为 100 至 20000 m/s 之间的整数");
        }
    }
}

TEST_F(DialogsTest, MagnificationOpensOnZeroAndSetsTheChosenGain)
{
    const struct
    {
        const char* choice;
        int magnify;
    } rows[] = {{"5", 5}, {"40", 40}, {"0", 0}, {"10", 10}, {"20", 20}};
    for (const auto& r : rows) {
        view.m_nMagnify = 1;
        Run(ID_SET_MAGNIFY, r.choice);
        EXPECT_EQ(shown, "0") << r.choice; // whatever the view's gain
        EXPECT_EQ(view.m_nMagnify, r.magnify) << r.choice;
    }
    EXPECT_EQ(title, "放大设置");
    EXPECT_EQ(name, "144");
    EXPECT_EQ(items, (QStringList{"0", "5", "10", "20", "40"}));
}

} // namespace
} // namespace rovana
