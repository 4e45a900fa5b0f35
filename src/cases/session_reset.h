#pragma once
// Puts the session back into its starting state: at start-up and at every case load.
#include "app/session.h"

namespace nimbrel {

/// In this order: the sounding station table, the chaser table (homes, everyone back
/// home undecided and awaiting, no product yet), the five product items enabled and no
/// product record kept, the target map's starting viewport. Leaves the forecast polygon, the report
/// layer, the statistics labels, the product of this hour, the loop player and the clock alone.
void ResetSessionState(Session& session);

} // namespace nimbrel
