// The main window's clock display and hourly advance: thin forwarding to core.
#include <QLabel>

#include "app/umainform.h"
#include "sim/clock.h"
#include "sim/hourly_advance.h"

namespace nimbrel {

void TfMainForm::UpdateTimeDisplay() {
    CurDateLabel->setText(CurrentDateText(session_.Clock));
    CurTimeLabel->setText(CurrentTimeText(session_.Clock));
    for (QLabel* l : {CurDateLabel, CurTimeLabel}) {
        l->setFixedWidth(125);
        l->setAlignment(Qt::AlignCenter);
    }
    UpdateScoreMenuItem();
}

void TfMainForm::HourlyAdvance() {
    // The time labels follow the clock as soon as it steps, so that they are right even
    // when reading the reports fails later in the advance.
    std::optional<AdvanceResult> result;
    try {
        result = nimbrel::HourlyAdvance(session_, Ask(), [this] { UpdateTimeDisplay(); });
    } catch (...) {
        // The flashing reads the same file: a live timer would fail again under the
        // guard's message box and show it a second time. The next full refresh starts it.
        ReportsTimer.stop();
        throw;
    }
    if (!result) return;
    const ChaserCounts& n = result->Counts;
    StatAwait->setText(QString::number(n.Awaiting));
    StatEmpty->setText(QString::number(n.EmptyHanded));
    StatSvr->setText(QString::number(n.CaughtStorm));
    StatTor->setText(QString::number(n.CaughtTornado));
    StatBust->setText(QString::number(n.Busted));
    StatRange->setText(QString::number(n.OutOfRange));
    StatHome->setText(QString::number(n.NotChasing));
    RefreshView(false);
}

void TfMainForm::AdvanceHourClick() {
    HourlyAdvance();
}
void TfMainForm::Advancetonexthour1Click() {
    HourlyAdvance();
}

void TfMainForm::RefreshWorkingReports() {
    nimbrel::RefreshWorkingReports(session_.Folders, session_.WorkingReports);
}

} // namespace nimbrel
