#pragma once

#include "SiteFile.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;

namespace rovana {

// "由已知长度标定波速": the engineer types the known length of the bolt on screen; the
// dialog shows the wave speed that gives it beside the current one, and applies it to this
// test or to every test of the folder, or takes the folder's last calibration back (each
// file to its own previous speed). When the folder's site file cannot be read it says so:
// a folder calibration then writes nothing.
class CalibrationDialog : public QDialog
{
    Q_OBJECT

public:
    enum class Choice
    {
        Cancel,
        ThisTest,
        Folder,
        Restore, // the folder's last calibration taken back
    };
    // The speed for a known length, or nothing with the reason.
    using Calibrate = std::function<std::optional<int>(double knownLength, QString* why)>;

    // `canRestore`: the folder has a calibration to take back; `siteWarning`: why its site
    // file cannot be written, or empty.
    CalibrationDialog(int currentSpeed, Calibrate calibrate,
                      const std::optional<SiteCalibration>& last, bool canRestore,
                      const QString& siteWarning, QWidget* parent = nullptr);

    QLineEdit* LengthEdit() const { return m_pLength; }
    // The known length typed, the speed it gives, and what the engineer chose.
    double KnownLength() const;
    std::optional<int> Speed() const { return m_Speed; }
    Choice Chosen() const { return m_Choice; }
    // Presses a button as the engineer does ("应用于本测试", "应用于全部测试", "恢复原波速…").
    void Choose(Choice choice);

private:
    void Update();

    int m_nCurrent;
    Calibrate m_fnCalibrate;
    std::optional<SiteCalibration> m_Last;
    QLineEdit* m_pLength = nullptr;
    QLabel* m_pResult = nullptr;
    std::optional<int> m_Speed;
    Choice m_Choice = Choice::Cancel;
};

} // namespace rovana
