#include "ui/guard.h"

#include <exception>

#include <QApplication>
#include <QMessageBox>

namespace nimbrel {
namespace {

ErrorSink& Sink() {
    static ErrorSink sink;
    return sink;
}

} // namespace

void SetErrorSink(ErrorSink sink) {
    Sink() = std::move(sink);
}

void ShowErrorMessage(QWidget* parent, const QString& text) {
    if (Sink()) {
        Sink()(parent, text);
        return;
    }
    QMessageBox::critical(parent, QStringLiteral("Nimbrel"), text);
}

bool Guarded(QWidget* parent, const std::function<void()>& body) {
    QString message;
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        message = QString::fromStdString(e.what());
    } catch (...) {
        message = QStringLiteral("Unexpected error");
    }
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
    ShowErrorMessage(parent, message);
    return false;
}

} // namespace nimbrel
