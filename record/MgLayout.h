#pragma once

// Byte positions inside a ".mg" file. All numbers are little-endian.
namespace rovana::mg {

// Analysis block, bytes 0..511, written by this program.
inline constexpr int kMarkedChannels = 0; // int32
inline constexpr int kMarkers = 4;        // int32 x 15: channel 1's five, then 2's, then 3's
inline constexpr int kEvaluation = 64;    // 3 x (int32 grade, int32 class, float32 anchorage)
inline constexpr int kEvaluationStride = 12;
inline constexpr int kMeasuredL0 = 100; // float32 x 3
inline constexpr int kMeasuredLr = 112; // float32 x 3
inline constexpr int kReportChannel = 124;
inline constexpr int kInfoSaved = 128;
inline constexpr int kExposedLength = 132;
inline constexpr int kAnchorLength = 136;
inline constexpr int kInfoWaveSpeed = 140;
inline constexpr int kBoltType = 144;
inline constexpr int kTextBlock = 148; // twelve zero-terminated texts, then 3 words
inline constexpr int kTextCount = 12;
inline constexpr int kTextBlockTrailer = 12; // design diameter, test diameter, design grade
inline constexpr int kAnalysisEnd = 512;     // the text block ends at or before this byte
inline constexpr int kMaxTextBytes = 255;    // a text without its terminator

// Acquisition block, bytes 512..1023, written by the instrument.
inline constexpr int kHighPass = 512;
inline constexpr int kLowPass = 516;
inline constexpr int kSampleInterval = 520;
inline constexpr int kSampleCount = 524;
inline constexpr int kReserved = 528; // int32 x 4
inline constexpr int kWaveSpeed = 544;
inline constexpr int kDesignLength = 548;
inline constexpr int kDesignL0 = 552;
inline constexpr int kAcquisitionTexts = 556; // project, file, then year, month, day
inline constexpr int kAcquisitionEnd = 1024;

// Samples: 2048 int16 per channel, channel 1 first.
inline constexpr int kSamples = 1024;
inline constexpr int kSamplesPerChannel = 2048;
inline constexpr int kFileSize = kSamples + 3 * kSamplesPerChannel * 2; // 13312

} // namespace rovana::mg
