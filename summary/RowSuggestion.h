#pragma once

#include "BoltResult.h"
#include "SuggestionCache.h"
#include "TestRecord.h"

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>

namespace rovana::summary {

// What the echo picker says about one file for its summary row: the only part of a row
// that takes real time to make, so it is kept in the site's suggestion cache by the
// file's content. Everything else in a row is read from the file on every summary.
struct RowSuggestion
{
    std::optional<float> suggestedLength; // L of the report channel's suggestion, m
    QStringList reasons;                  // why the picker suggests no bottom
    friend bool operator==(const RowSuggestion&, const RowSuggestion&) = default;
};

// The version of what RowSuggestionOf gives and of its encoding: raise it with any change
// to either, so that values kept under the old one are made afresh.
inline constexpr std::uint32_t kRowSuggestionVersion = 3;

// The picker's reading of the report channel of `record`, whose result is `result`: its
// L and its reasons (CheckSavedBottom). Nothing without a report channel. Whether it
// confirms the saved bottom is judged on every summary (JudgeSavedBottom), never kept.
RowSuggestion RowSuggestionOf(const TestRecord& record, const BoltResult& result);

// The value kept in the cache, and back; nothing for bytes Encode never makes.
QByteArray EncodeRowSuggestion(const RowSuggestion& suggestion);
std::optional<RowSuggestion> DecodeRowSuggestion(const QByteArray& bytes);

// The suggestion cache of `folder`'s site store, for one summary of its test files.
std::unique_ptr<SuggestionCache> OpenSuggestionCache(const QString& folder);

// Ends a summary's complete pass over the cache (SuggestionCache::Finish): empty when it
// was kept as usual, else the message to show, which begins with the cache file's path:
// why it could not be written, or under which name a damaged one was kept before it was
// rebuilt.
QString FinishSuggestionCache(SuggestionCache& cache, const QString& folder);

} // namespace rovana::summary
