#include "cases/uloadcase.h"

namespace nimbrel {

TfLoadCase::TfLoadCase(QWidget* parent) : QDialog(parent) { setWindowTitle(QStringLiteral("Load case study")); }

} // namespace nimbrel
