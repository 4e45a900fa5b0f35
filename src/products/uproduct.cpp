#include "products/uproduct.h"

namespace nimbrel {

TfProduct::TfProduct(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Product window")); }

} // namespace nimbrel
