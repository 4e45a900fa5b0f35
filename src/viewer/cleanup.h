#pragma once
// The maintenance tool that clears raw files off the case folders of a disc tree.
#include <functional>

#include <QString>

#include "base/prompts.h"

namespace nimbrel {

/// Case folders taken per run, and entries taken per folder and pattern.
inline constexpr int CleanupLimit = 300;

/// Walks the case folders ("????-??-??") directly under `caseRoot` and, in each, deletes
/// the files matching *AREA*, *BAND*, *robots*, *.meta, *metar*, *upper* and *index*,
/// and moves the *.mcv files into `archiveFolder` (copied whole, then deleted), in that
/// order of patterns. A raw file whose name the archive already holds (the same name in
/// another day's folder) is archived as "day_name" (then "day_name-2", ...), never over
/// the other, and one message at the end lists the files so renamed. Before each deletion
/// `setCaption` receives "Deleting " + path; a deletion that fails is reported through `prompts`
/// ("Had trouble deleting " + path) and the run goes on. A copy into the archive that fails throws
/// FileError and stops the run; what was done before stays. The archive folder is not created here.
/// Only regular files whose real place is inside the real case root are touched; any
/// other entry (a folder, a device, a link out of the disc, a case folder that is such a
/// link) is reported ("Skipped " + path + ": " + why) and left alone.
/// Both folders end in a separator. Returns the caption for the end of the run, "Done!".
QString RunCleanup(const QString& caseRoot, const QString& archiveFolder, Prompts& prompts,
                   const std::function<void(const QString&)>& setCaption);

} // namespace nimbrel
