#include "ui/messageprompts.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace nimbrel {

void MessagePrompts::Information(const QString& text) {
    QMessageBox::information(parent_, QStringLiteral("Information"), text, QMessageBox::Ok);
}

void MessagePrompts::Warning(const QString& text) {
    QMessageBox::warning(parent_, QStringLiteral("Warning"), text, QMessageBox::Ok);
}

bool MessagePrompts::Confirm(const QString& text) {
    return QMessageBox::information(parent_, QStringLiteral("Confirm"), text,
                                    QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

void MessagePrompts::ProcessEvents() {
    QCoreApplication::processEvents();
}

} // namespace nimbrel
