#pragma once
// The random-case pick: a case drawn uniformly among the catalogue entries that pass
// the trainee's filters, so that the trainee cannot tell which day is coming.
#include <QString>

#include "base/random.h"
#include "cases/catalogue.h"

namespace nimbrel {

/// The four filters of the random-case dialog, as the dialog's controls hold them.
struct CaseFilter {
    int MinimumRanking = 0; ///< the significance combo's index, 0 to 5
    QString YearMin;        ///< the year fields' texts, read as their leading digits
    QString YearMax;
    QString EventLetters;  ///< letters of the checked event boxes (N, S, T)
    QString RegimeLetters; ///< letters of the checked regime boxes (D C F W O M U Z H)
};

/// True when the entry passes all four filters: ranking at least the minimum, the
/// year of its day within the year fields (inclusive), and at least one checked event
/// letter and one checked regime letter somewhere in its codes. The year fields are
/// read again for every entry, so an empty or non-numeric field counts as 0.
bool PassesFilter(const CaseEntry& entry, const CaseFilter& filter);

/// Counts the passing entries (first pass), draws k from 1 to n with `rng`, and reads
/// the catalogue again to return the list line of the k-th passing entry. Returns ""
/// when nothing passes (nothing is drawn then). A missing or broken catalogue throws
/// the reading's FileError.
QString RandomCasePick(const QString& catalogPath, const CaseFilter& filter, RandomGenerator& rng);

} // namespace nimbrel
