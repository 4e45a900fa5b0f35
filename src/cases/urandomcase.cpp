#include "cases/urandomcase.h"

namespace nimbrel {

TfRandomCase::TfRandomCase(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Load random case")); }

} // namespace nimbrel
