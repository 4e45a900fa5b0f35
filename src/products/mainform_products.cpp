// Issuing forecast products from the Forecast menu.
#include <QAction>

#include "app/umainform.h"
#include "products/issue.h"
#include "products/product_record.h"
#include "products/uproduct.h"

namespace nimbrel {

void TfMainForm::IssueProduct(QAction* sender) {
    ProductRequest request;
    if (sender == SlightRisk1)
        request.Kind = ProductKind::SlightRiskOutlook;
    else if (sender == ModerateRisk1)
        request.Kind = ProductKind::ModerateRiskOutlook;
    else if (sender == HighRisk1)
        request.Kind = ProductKind::HighRiskOutlook;
    else if (sender == SevereWatch1)
        request.Kind = ProductKind::SevereWatch;
    else if (sender == TornadoWatch1)
        request.Kind = ProductKind::TornadoWatch;
    request.SimulationTime = session_.Clock.SimulationTime;
    request.Polygon = session_.Polygon;
    PlaceForDescription(request, session_.TheViewport);
    request.AppDataDirectory = session_.Folders.AppDataDirectory;
    request.WarningSoundsOn = WarningSoundsTag == 1;

    // The items the product closes are locked as soon as there is an area to issue for,
    // before the product is built: one that then fails (the guard shows why) records no
    // kind and shows no window, but it used its turn.
    if (request.Polygon.Vertices[0].X != MissingPixel) {
        LockProductItems(request.Kind, session_.ProductItemsEnabled);
        UpdateProductMenu();
    }
    const std::optional<BuiltProduct> product = BuildProduct(request, session_.Rng, Ask());
    if (!product) return;

    RecordIssuedProduct(product->Kind, session_.ProductItemsEnabled, session_.LastProductKind,
                        session_.ProductThisHour);
    UpdateProductMenu();
    // Kept for the score at the reveal, once the product is issued.
    session_.Products.push_back(MakeProductRecord(product->Kind, request.SimulationTime,
                                                  session_.Clock.CaseStart,
                                                  ProductCorners(request.Polygon, request.ToGeo)));
    // The target map outlines every product issued: redraw it so this one shows at once.
    if (session_.Kind == ChartKind::TargetMap && Issuedproducts1 && Issuedproducts1->isChecked())
        RefreshView(false);

    TfProduct* window = Needed(windows_.Product);
    if (!window) return;
    // The previous product's text is replaced; the sound starts as the text appears.
    if (!product->SoundPath.isEmpty()) window->PlayProductSound(product->SoundPath);
    window->SetProductText(product->Lines);
    window->SetProductStatus(QStringLiteral("Issuing weather product..."));
    window->ShowModal();
}

void TfMainForm::UpdateProductMenu() {
    QAction* const items[] = {SlightRisk1, ModerateRisk1, HighRisk1, SevereWatch1, TornadoWatch1};
    for (std::size_t i = 0; i < session_.ProductItemsEnabled.size(); ++i)
        if (items[i]) items[i]->setEnabled(session_.ProductItemsEnabled[i]);
}

} // namespace nimbrel
