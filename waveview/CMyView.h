#pragma once

#include "DrawList.h"
#include "WaveGeometry.h"

#include <QAbstractScrollArea>

#include <array>
#include <cstdint>

namespace rovana {

class CMyViewHost;

// One channel of the current test: time-domain trace with markers and anchor sketch,
// amplitude spectrum, phase, or instantaneous energy, and a measurement line.
// Buffers and markers are public: the loading path, the report view and the save path
// read and write them directly.
class CMyView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    CMyView(int channel, CMyViewHost* host, QWidget* parent = nullptr);

    // The horizontal scroll range: the document is `width` pixels wide (the loading
    // path sets it to the sample count), the page is the viewport width.
    void SetScrollWidth(int width);
    int ScrollPosition() const; // s, in pixels = samples

    // The horizontal compression factor f of the current state; stored in m_fCompress.
    float CompressFactor();
    // Length in metres between two sample positions, with the compression rule.
    float MarkerLength(int a, int b);
    float BottomLength();  // L: bottom to end
    float FreeEndLength(); // L0: free end to end, truncated to centimetres

    // The state a drawing reads, as plain values (viewport size, scroll position, record,
    // display switches, this view's buffers and markers).
    wave::WaveInput DrawingInput() const;
    // What OnDraw does apart from painting: computes the picture of the current state and
    // keeps its side effects (m_fCompress, m_fScaleX/Y, m_nEnergy, m_nWaveSpeedCopy and the
    // cached lengths of Part 3.2). paintEvent paints the returned list.
    wave::DrawList ComputeDrawing();

    const int m_nChannel;
    int m_bCursorShown = 0;
    int m_bEndSet = 0;
    int m_bFreeEndSet = 0;
    int m_bBottomSet = 0;
    int m_bDefectStartSet = 0;
    int m_bDefectEndSet = 0;
    int m_nCursor = 0;
    int m_nEndPos = 0;
    int m_nFreeEndPos = 0;
    int m_nBottomPos = 0;
    int m_nDefectStartPos = 0;
    int m_nDefectEndPos = 0;
    std::array<std::int16_t, 10240> m_nWave{};
    std::array<std::int16_t, 2048> m_nSpectrum{};
    std::array<std::int32_t, 2048> m_nPhase{};
    std::array<std::int64_t, 2048> m_nEnergy{};
    std::array<std::int16_t, 2048> m_nRaw{};
    int m_nMaxAmplitude = 1700;
    int m_nMagnify = 0;
    float m_fCompress = 1.0f;
    float m_fScaleX = 1.0f;
    float m_fScaleY = 1.0f;
    float m_fMeasuredL0 = 0.0f;
    float m_fMeasuredLr = 0.0f;
    int m_nWaveSpeedCopy = 0;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void UpdateScrollRange();
    int ScreenHeight() const;

    CMyViewHost* m_pHost;
    int m_nScrollWidth = 0; // document width in pixels; 0 until the loading path sets it
};

} // namespace rovana
