#pragma once
#include <QDialog>
#include <QStringList>

class QTextEdit;

namespace nimbrel {

/// A resizable window with an editable rich-text area (edits are not kept) and an OK button.
class TfInformation : public QDialog {
    Q_OBJECT
public:
    explicit TfInformation(QWidget* parent = nullptr);
    /// Replaces the text by these lines, one paragraph each.
    void SetLines(const QStringList& lines);
    QStringList Lines() const;
    QTextEdit* Memo = nullptr;
};

} // namespace nimbrel
