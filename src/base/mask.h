#pragma once
#include <QString>
#include <QStringList>

namespace nimbrel {

/// True when `name` matches `mask`: '?' is any one character, '*' any run of
/// characters (also none); letter case is ignored.
bool MatchesMask(const QString& name, const QString& mask);

/// Entries of `folder` (files and folders, hidden and system ones included, not "."
/// and "..") whose names match `mask`, in the file system's order, at most `limit`
/// of them (no limit when negative). A missing folder lists nothing.
QStringList ListMatching(const QString& folder, const QString& mask, int limit = -1);

} // namespace nimbrel
