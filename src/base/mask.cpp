#include "base/mask.h"

#include <QDir>
#include <QDirIterator>

namespace nimbrel {

bool MatchesMask(const QString& name, const QString& mask) {
    // Iterative glob matching with one backtrack point: linear in practice and no
    // recursion, whatever a mask holds.
    const qsizetype n = name.size(), m = mask.size();
    qsizetype i = 0, j = 0, starJ = -1, starI = 0;
    while (i < n) {
        if (j < m && mask[j] == QLatin1Char('*')) {
            starJ = j++;
            starI = i;
        } else if (j < m && (mask[j] == QLatin1Char('?') ||
                             mask[j].toCaseFolded() == name[i].toCaseFolded())) {
            ++i;
            ++j;
        } else if (starJ >= 0) {
            j = starJ + 1;
            i = ++starI;
        } else {
            return false;
        }
    }
    while (j < m && mask[j] == QLatin1Char('*'))
        ++j;
    return j == m;
}

QStringList ListMatching(const QString& folder, const QString& mask, int limit) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (!MatchesMask(name, mask)) continue;
        if (limit >= 0 && out.size() >= limit) break;
        out << name;
    }
    return out;
}

} // namespace nimbrel
