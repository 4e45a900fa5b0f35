#include "cases/session_reset.h"

namespace nimbrel {

void ResetSessionState(Session& session) {
    FillStationTable(session.Stations);
    ResetChasers(session.Chasers, session.LastProductKind);
    session.ProductItemsEnabled.fill(true);
    session.Products.clear();
    session.Notes.clear();
    ResetViewport(session.TheViewport);
    session.Replay.Clear();
}

} // namespace nimbrel
