#include "ui/save_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace nimbrel {

QString AskSaveFileName(QWidget* parent, const QString& caption, const QString& suggested,
                        const QString& filter, const QString& suffix) {
    QFileDialog dialog(parent, caption, suggested, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    QString path = dialog.selectedFiles().constFirst();
    // A dialog of the desktop may hand the name back as typed, past its own question.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QLatin1Char('.') + suffix;
        if (!ConfirmReplacing(parent, caption, {path})) return {};
    }
    return path;
}

bool ConfirmReplacing(QWidget* parent, const QString& caption, const QStringList& paths) {
    QStringList names;
    for (const QString& path : paths)
        if (QFileInfo::exists(path)) names << QFileInfo(path).fileName();
    if (names.isEmpty()) return true;
    const QString text =
        names.size() == 1
            ? QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(names[0])
            : QStringLiteral("These files already exist:\n%1\nDo you want to replace them?")
                  .arg(names.join(QLatin1Char('\n')));
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

} // namespace nimbrel
