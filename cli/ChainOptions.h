#pragma once

// The processing options that `process` and `sheet` share: the chain given on the command
// line overrides the site settings of each file's folder, and --raw leaves every trace as
// recorded.

#include "ProcessingChain.h"
#include "SiteFile.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <iosfwd>

namespace rovana::cli {

struct ChainChoice
{
    processing::ChainSettings settings; // what the options set
    bool given = false;                 // a filter or a gain was given
    bool raw = false;                   // --raw
    bool filterSet = false, orderSet = false, gainSet = false;
    // The site settings of each folder read so far: each site file is read once.
    mutable QHash<QString, SiteFile> sites;
};

// The options' lines for a subcommand's usage.
extern const char kChainOptionsUsage[];

// When args[i] is one of the options, reads it (and its value, moving i past it) into
// `choice` and returns true; `error` then says what is wrong with it, if anything.
bool ReadChainOption(const QStringList& args, qsizetype& i, ChainChoice& choice, QString& error);

// After the last option: what is wrong with the options taken together (--order without a
// filter, --raw with a chain, settings no sampling interval can take), or empty.
QString FinishChainOptions(ChainChoice& choice);

// The chain for one test file: the options' chain when given, none with --raw, else the
// site settings of the file's folder, as the program applies them. A site file that cannot
// be read gives no chain and, once per folder, its warning on `err` after its path.
processing::ChainSettings ChainFor(const ChainChoice& choice, const QString& file,
                                   std::ostream& err);

// The site settings of the file's folder, read once per folder; the defaults, with the
// warning on `err` once, for a site file that cannot be read.
const SiteFile& SiteFor(const ChainChoice& choice, const QString& file, std::ostream& err);

} // namespace rovana::cli
