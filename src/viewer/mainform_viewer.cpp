// The chart viewer's part of the main window: the one refresh, frame display, the loop
// player, the View menu with the sounding picker, printing and the clipboard, and the
// raw file cleanup button. The rules live in core (viewer/*.h); these methods copy
// their results into the widgets.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>

#include "app/folders.h"
#include "app/startup.h"
#include "app/umainform.h"
#include "base/errors.h"
#include "sim/clock.h"
#include "ui/imageview.h"
#include "ui/stationmarker.h"
#include "viewer/cleanup.h"
#include "viewer/decoders.h"
#include "viewer/frames.h"
#include "viewer/picture.h"
#include "viewer/player.h"

namespace nimbrel {

namespace {

void SetCentredLabel(QLabel* label, const QString& text, int width) {
    label->setText(text);
    label->setFixedWidth(width);
    label->setAlignment(Qt::AlignCenter);
}

/// Restores the normal cursor however the print ends.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

QPrinter& PrinterOf(std::shared_ptr<QPrinter>& printer) {
    if (!printer) printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

} // namespace

// ---- the one refresh --------------------------------------------------------------

void TfMainForm::RefreshView(bool fromReportTimer) {
    if (StationMarkersExist) RemoveStationMarkers();
    UpdateMeasureItem();
    UpdateChartFit();
    Image1->SetWheelReported(session_.Kind == ChartKind::TargetMap);
    switch (session_.Kind) {
    case ChartKind::VisibleSatellite:
    case ChartKind::SurfaceAnalysis:
    case ChartKind::Chart850:
    case ChartKind::Chart700:
    case ChartKind::Chart500:
    case ChartKind::Chart250:
        ReportsTimer.stop();
        LoadFrames(FrameMask(session_.Kind));
        Image1->update();
        break;
    case ChartKind::Sounding:
        ReportsTimer.stop();
        ShowStationMap();
        break;
    case ChartKind::TargetMap: {
        ReportsTimer.stop();
        SetCentredLabel(ProdTimeLabel, CurTimeLabel->text(), 125);
        // The light refresh of the report timer draws only the moving layers over the
        // buffer as it stands, so that the last hour's reports can blink.
        // Whatever happens, the picture on screen is the one just drawn: an older one
        // left there would show another view (or a chart) while the forecast area is
        // read in this view's coordinates. A failure shows what was drawn up to it,
        // then its message; the report timer stays stopped.
        auto showDrawn = [this] {
            Image1->SetPicture(BufImg->Picture());
            // The view's picture was replaced: a rubber band remembered from before is
            // no longer on it, and toggling it again would leave a stray outline.
            ForgetRubberBand(session_.Polygon);
        };
        try {
            if (!fromReportTimer) {
                DrawBasemap();
                DrawIssuedProductsLayer(); // under the trainee's polygon
                if (session_.Polygon.IsSet()) {
                    ReprojectPolygon();
                    DrawFixedPolygon(BufImg->Picture(), session_.Polygon);
                }
            } else {
                // The view shares the buffer's picture; it lets go of its share while the
                // layers are drawn so that drawing does not first copy the whole picture,
                // and takes the picture back below however the drawing ends.
                Image1->Picture() = QImage();
            }
            DrawChasers();
            DrawReports(fromReportTimer ? 1 : 0);
        } catch (...) {
            showDrawn();
            throw;
        }
        ReportsTimer.start();
        showDrawn();
        break;
    }
    }
}

int TfMainForm::LoadFrames(const QString& mask) {
    PlayerState& player = session_.Player;
    QString& caseDirectory = session_.Folders.CaseDirectory;
    if (caseDirectory.isEmpty()) return static_cast<int>(player.Frames.size());
    if (!caseDirectory.endsWith(QLatin1Char('/'))) caseDirectory += QLatin1Char('/');
    player.Frames = BuildFrameList(caseDirectory, mask, session_.Clock.SimulationTime);
    SetCentredLabel(FramesLoaded, FramesLoadedCaption(player.Frames.size()), 130);
    FrameCommand(FrameCommandKind::GoLast);
    return static_cast<int>(player.Frames.size());
}

// ---- frame display ----------------------------------------------------------------

void TfMainForm::ShowFrame(const QString& fileName) {
    const QString path = session_.Folders.CaseDirectory + fileName;
    // The first picture of the run may have been decoded while the window was built.
    QImage ahead;
    const bool decodedAhead = TakeFirstPicture(path, ahead);
    if (fileName.contains(QStringLiteral("jpg")))
        Image1->SetPicture(decodedAhead ? std::move(ahead) : DecodeJpegFile(path));
    if (fileName.contains(QStringLiteral("gif"))) {
        const QImage decoded = DecodeGifFile(path);
        if (session_.Kind == ChartKind::Sounding)
            Image1->SetPicture(ComposeSoundingView(Image1->Picture(), decoded));
        else
            Image1->SetPicture(decoded);
    }
    // A name that is no date stops here, after the picture: the labels keep their text.
    const DateTime validTime = FrameValidTime(fileName);
    SetCentredLabel(ProdDateLabel, ProductDateText(validTime, session_.Clock.DateHidden), 125);
    SetCentredLabel(ProdTimeLabel, ProductTimeText(validTime), 125);
}

void TfMainForm::ShowBufferClick() {
    if (BufImg->isVisible()) {
        BufImg->hide();
        Image1->show();
        setWindowTitle(QStringLiteral("Regular Image"));
    } else {
        BufImg->move(0, 0);
        BufImg->show();
        BufImg->raise();
        Image1->hide();
        setWindowTitle(QStringLiteral("BUFFERED IMAGE"));
    }
    BufImg->update();
}

// ---- loop player ------------------------------------------------------------------

void TfMainForm::FrameCommand(FrameCommandKind command) {
    QtLoopTimer timer(SatelliteTimer);
    const FrameStep step =
        ApplyFrameCommand(session_.Player, timer, command, LoopSpeed->value(), DwellSpeed->value());
    if (step.NoImages) StatusPanel2->setText(NoImagesText);
    if (step.Show) ShowFrame(step.FileName);
}

void TfMainForm::SatelliteTimerTimer() {
    FrameCommand(TickCommand(session_.Player));
}

void TfMainForm::PlayerButton(FrameCommandKind command) {
    if (TimeOfDay(session_.Clock) == 0.5)
        Ask().Information(
            QStringLiteral("There are no charts to loop yet because the simulation time is "
                           "only 1200 UTC.  You must use Advance To Next Hour to reveal "
                           "more charts."));
    FrameCommand(command);
}

void TfMainForm::PlayRevButtonClick() {
    PlayerButton(FrameCommandKind::PlayReverse);
}
void TfMainForm::StepRevButtonClick() {
    PlayerButton(FrameCommandKind::StepBack);
}
void TfMainForm::PauseButtonClick() {
    PlayerButton(FrameCommandKind::Stop);
}
void TfMainForm::StepFwdButtonClick() {
    PlayerButton(FrameCommandKind::StepForward);
}
void TfMainForm::PlayFwdButtonClick() {
    PlayerButton(FrameCommandKind::PlayForward);
}

void TfMainForm::LoopSpeedChange() {
    // Applies at once, even in the middle of a dwell.
    QtLoopTimer(SatelliteTimer).SetInterval(LoopSpeed->value());
    LoopSpeedText->setText(QStringLiteral("Loop speed = ") + QString::number(LoopSpeed->value()) +
                           QStringLiteral(" ms"));
}

void TfMainForm::DwellSpeedChange() {
    // Read at the next end frame; nothing to change now.
    DwellSpeedText->setText(QStringLiteral("Dwell speed = ") +
                            QString::number(DwellSpeed->value()) + QStringLiteral(" ms"));
}

void TfMainForm::EnableLoopButtons(bool enabled) {
    for (QToolButton* b : {PlayRevButton, StepRevButton, PauseButton, StepFwdButton, PlayFwdButton})
        b->setEnabled(enabled);
}

// ---- View menu and sounding picker ------------------------------------------------

void TfMainForm::SwitchView(QAction* item, ChartKind kind, bool stopLoop) {
    const std::array<QAction*, 8> items{Visiblesatellite1, SurfaceAnalysis1, N850mb1,   N700mb1,
                                        N500mb1,           N250mb1,          Sounding1, Targeting1};
    QAction* previousItem = nullptr;
    for (QAction* a : items)
        if (a->isChecked()) previousItem = a;
    const ChartKind previousKind = session_.Kind;
    if (stopLoop) FrameCommand(FrameCommandKind::Stop);
    const PlayerState previousPlayer = session_.Player;
    auto show = [&](QAction* checked, ChartKind shown) {
        for (QAction* a : items)
            a->setChecked(a == checked);
        EnableLoopButtons(shown != ChartKind::TargetMap);
        session_.Kind = shown;
    };
    show(item, kind);
    // A failed refresh before this one stopped the timer: going back does not restart it.
    const bool flashing = ReportsTimer.isActive();
    try {
        RefreshView(false);
    } catch (...) {
        // A target map shows what was drawn before the failure, so it is the mode now.
        // A chart or station map that failed put nothing on screen: the mode, the
        // menu's check and the loop's frames go back to what is still shown.
        if (kind != ChartKind::TargetMap) {
            show(previousItem, previousKind);
            session_.Player = previousPlayer;
            if (previousKind == ChartKind::TargetMap && flashing) ReportsTimer.start();
        }
        throw;
    }
}

void TfMainForm::Visiblesatellite1Click() {
    SwitchView(Visiblesatellite1, ChartKind::VisibleSatellite, true);
}
void TfMainForm::SurfaceAnalysis1Click() {
    SwitchView(SurfaceAnalysis1, ChartKind::SurfaceAnalysis, true);
}
void TfMainForm::N850mb1Click() {
    SwitchView(N850mb1, ChartKind::Chart850, true);
}
void TfMainForm::N700mb1Click() {
    SwitchView(N700mb1, ChartKind::Chart700, true);
}
void TfMainForm::N500mb1Click() {
    SwitchView(N500mb1, ChartKind::Chart500, true);
}
// A loop that plays goes on over the 250 mb frames.
void TfMainForm::N250mb1Click() {
    SwitchView(N250mb1, ChartKind::Chart250, false);
}
void TfMainForm::Sounding1Click() {
    SwitchView(Sounding1, ChartKind::Sounding, true);
}

void TfMainForm::Targeting1Click() {
    // What the status said about charts ("No images loaded") is not about the map.
    StatusPanel2->clear();
    SwitchView(Targeting1, ChartKind::TargetMap, true);
}

void TfMainForm::UpdateChartFit() {
    // The station map keeps its size: the station circles sit on its pixels.
    const bool chart =
        session_.Kind != ChartKind::TargetMap && session_.Kind != ChartKind::Sounding;
    const bool fit = chart && Fitchartstowindow1 && Fitchartstowindow1->isChecked();
    Image1->SetFitArea(fit ? ScrollBox1->maximumViewportSize() : QSize());
}

void TfMainForm::Fitchartstowindow1Click() {
    UpdateChartFit();
}

void TfMainForm::ShowStationMap() {
    // A missing or broken map stops here, before any marker exists.
    Image1->SetPicture(
        DecodeGifFile(session_.Folders.AppDataDirectory + QStringLiteral("greatplains.gif")));
    Image1->update();
    for (std::size_t i = 0; i < StationMarkers.size(); ++i) {
        const SoundingStation& station = session_.Stations[i];
        auto* marker = new StationMarker(static_cast<int>(i) + 1, ScrollContent);
        // The view sits at the content's origin, so map pixels are content pixels.
        marker->move(Image1->x() + station.X - StationMarker::Size / 2,
                     Image1->y() + station.Y - StationMarker::Size / 2);
        connect(marker, &StationMarker::Pressed, this, [this](StationMarker* sender) {
            Guard([this, sender] { SkewMouseDown(sender); });
        });
        marker->show();
        marker->raise();
        StationMarkers[i] = marker;
    }
    StationMarkersExist = true;
}

void TfMainForm::RemoveStationMarkers() {
    for (StationMarker*& marker : StationMarkers) {
        if (!marker) continue;
        // Deferred: the removal may be reached from a marker's own press.
        marker->hide();
        marker->deleteLater();
        marker = nullptr;
    }
    StationMarkersExist = false;
}

void TfMainForm::SkewMouseDown(StationMarker* sender) {
    if (!sender || sender->Row() < 1 || sender->Row() > static_cast<int>(session_.Stations.size()))
        return;
    const QStringList masks = SoundingMasks(session_.Stations[sender->Row() - 1].Identifiers);
    // The station's soundings may be filed under its second identifier.
    if (LoadFrames(masks[0]) == 0 && masks.size() > 1) LoadFrames(masks[1]);
}

// ---- printing and clipboard -------------------------------------------------------

void TfMainForm::Print1Click() {
    const QImage picture = Image1->Picture();
    QPrinter& printer = PrinterOf(ThePrinter);
    // Without a print system Qt falls back to writing a PDF file; with no file named
    // there is nowhere to print either.
    const bool fileWithoutName =
        printer.outputFormat() == QPrinter::PdfFormat && printer.outputFileName().isEmpty();
    if (!printer.isValid() || fileWithoutName)
        throw FileError(QStringLiteral("There is no default printer currently selected"));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const QSize printed =
        PrintedSize(picture.width(), picture.height(), page.width(), page.height());

    BusyCursor busy;
    printer.setDocName(QStringLiteral("Kestrane map"));
    QPainter painter;
    if (!painter.begin(&printer)) throw FileError(QStringLiteral("Printer selected is not valid"));
    // The painter's origin is the top-left corner of the printable area.
    painter.drawImage(QRect(QPoint(0, 0), printed), picture, picture.rect());
    if (!painter.end()) throw FileError(QStringLiteral("Printing failed"));
}

void TfMainForm::Printersetup1Click() {
    // The choice of printer, and through its properties the paper, orientation and
    // margins; what is accepted stays with the run's printer for later prints.
    QPrintDialog dialog(&PrinterOf(ThePrinter), this);
    dialog.setWindowTitle(QStringLiteral("Printer setup"));
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    // Accepting keeps the choice; nothing is printed yet.
    if (auto* buttons = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QStringLiteral("OK"));
    dialog.exec();
}

void TfMainForm::Copygraphictoclipboard1Click() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) throw FileError(QStringLiteral("Cannot open clipboard"));
    clipboard->setImage(Image1->Picture());
}

// ---- raw file cleanup -------------------------------------------------------------

void TfMainForm::DeleteAreaFilesClick() {
    // The archive is the "mcv-files" folder of the shipped sample disc, the folder that
    // stands for the development machine's satellite root.
    const QString installed = InstalledDataFolder(QCoreApplication::applicationDirPath());
    const QString archive =
        installed.isEmpty() ? QString() : installed + QStringLiteral("disc/mcv-files/");
    const QString done = RunCleanup(session_.Folders.CaseRootDirectory, archive, Ask(),
                                    [this](const QString& caption) { setWindowTitle(caption); });
    setWindowTitle(done);
}

} // namespace nimbrel
