#include "cases/random_pick.h"

namespace nimbrel {
namespace {

bool HasAnyLetter(const QString& codes, const QString& letters) {
    for (QChar letter : letters)
        if (codes.contains(letter, Qt::CaseSensitive)) return true;
    return false;
}

} // namespace

bool PassesFilter(const CaseEntry& entry, const CaseFilter& filter) {
    if (entry.Ranking < filter.MinimumRanking) return false;
    const int year = LeadingNumber(entry.CaseDate.left(4));
    if (year < LeadingNumber(filter.YearMin) || year > LeadingNumber(filter.YearMax)) return false;
    return HasAnyLetter(entry.Codes, filter.EventLetters) &&
           HasAnyLetter(entry.Codes, filter.RegimeLetters);
}

QString RandomCasePick(const QString& catalogPath, const CaseFilter& filter, RandomGenerator& rng) {
    int passing = 0;
    ForEachCaseEntry(catalogPath, [&](const CaseEntry& e) {
        if (PassesFilter(e, filter)) ++passing;
    });
    if (passing == 0) return QString();
    const int k = rng.Random(passing) + 1;

    // Reading the file again (rather than keeping the first pass in memory) keeps the
    // pick's cost flat however large the catalogue grows.
    QString chosen;
    int seen = 0;
    ForEachCaseEntry(catalogPath, [&](const CaseEntry& e) {
        if (chosen.isEmpty() && PassesFilter(e, filter) && ++seen == k) chosen = CaseListLine(e);
    });
    return chosen;
}

} // namespace nimbrel
