#include "RowSuggestion.h"

#include "SiteStore.h"
#include "SuggestedMarkers.h"
#include "SummaryTable.h"

#include <cstring>

namespace rovana::summary {

namespace {

// The value's first byte.
constexpr char kHasLength = 0x01;
constexpr int kFixedSize = 1 + 4; // flags, the length's float bits

} // namespace

RowSuggestion RowSuggestionOf(const TestRecord& record, const BoltResult& result)
{
    RowSuggestion s;
    if (result.report.channel < 0)
        return s;
    const SavedBottomCheck check = CheckSavedBottom(record);
    s.suggestedLength = check.suggestedLength;
    s.reasons = check.reasons;
    return s;
}

// Layout: flags (kHasLength), the length's float bits (little-endian, 0 without
// one), then the reasons in UTF-8, each ended by a line feed.
QByteArray EncodeRowSuggestion(const RowSuggestion& suggestion)
{
    QByteArray bytes(kFixedSize, '\0');
    bytes[0] = suggestion.suggestedLength ? kHasLength : 0;
    std::uint32_t bits = 0;
    if (suggestion.suggestedLength)
        std::memcpy(&bits, &*suggestion.suggestedLength, sizeof bits);
    for (int i = 0; i < 4; ++i)
        bytes[1 + i] = static_cast<char>(bits >> (8 * i) & 0xff);
    for (const QString& reason : suggestion.reasons)
        bytes += reason.toUtf8() + '\n';
    return bytes;
}

std::optional<RowSuggestion> DecodeRowSuggestion(const QByteArray& bytes)
{
    if (bytes.size() < kFixedSize || (bytes[0] & ~kHasLength) != 0 ||
        (bytes.size() > kFixedSize && !bytes.endsWith('\n')))
        return std::nullopt;
    RowSuggestion s;
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[1 + i])) << (8 * i);
    if (bytes[0] & kHasLength) {
        float length = 0.0f;
        std::memcpy(&length, &bits, sizeof length);
        s.suggestedLength = length;
    } else if (bits != 0) {
        return std::nullopt;
    }
    qsizetype at = kFixedSize;
    while (at < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', at);
        s.reasons.append(QString::fromUtf8(bytes.constData() + at, end - at));
        at = end + 1;
    }
    return s;
}

std::unique_ptr<SuggestionCache> OpenSuggestionCache(const QString& folder)
{
    return SiteStore(folder).Suggestions(kRowSuggestionVersion);
}

QString FinishSuggestionCache(SuggestionCache& cache, const QString& folder)
{
    const WriteResult kept = cache.Finish();
    const QString path = folder + QLatin1Char('/') + kSuggestionCacheName;
    if (!kept)
        return QStringLiteral("%1: %2").arg(path, kept.detail);
    if (!cache.Backup().isEmpty())
        return QStringLiteral("%1: 建议缓存文件无法读取（%2），已另存为 %3 并重建")
            .arg(path, cache.Problem(), cache.Backup());
    return {};
}

} // namespace rovana::summary
