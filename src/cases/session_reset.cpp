#include "cases/session_reset.h"

namespace nimbrel {

void ResetSessionState(Session& session) {
    FillStationTable(session.Stations);
    ResetChasers(session.Chasers, session.LastProductKind);
    session.ProductItemsEnabled.fill(true);
    session.Products.clear();
    ResetViewport(session.TheViewport);
}

} // namespace nimbrel
