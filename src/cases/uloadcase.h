#pragma once
// The load-case dialog: lists every case of the catalogue and hands back the line of
// the one picked. Created once, so its two option boxes keep the trainee's settings.
#include <QDialog>
#include <QString>

class QCheckBox;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace nimbrel {

class TfLoadCase : public QDialog {
    Q_OBJECT
public:
    explicit TfLoadCase(QWidget* parent = nullptr);

    /// The catalogue to list at the next showing.
    void SetCatalogPath(const QString& path) { catalogPath_ = path; }
    /// The chosen case's list line, or "" when nothing was chosen.
    const QString& DialogResult() const { return dialogResult_; }
    /// The message of the last listing's failure, "" when the whole catalogue was read.
    const QString& ListError() const { return listError_; }

    QListWidget* ListBox1 = nullptr;
    QCheckBox* HideDate = nullptr;
    QCheckBox* StartCaseInMorning = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    /// Empties the result and the selection and lists the catalogue afresh.
    void FillList();
    void ListBox1DblClick(QListWidgetItem* item);
    void OKButtonClick();

    QString catalogPath_;
    QString dialogResult_;
    QString listError_;
};

} // namespace nimbrel
