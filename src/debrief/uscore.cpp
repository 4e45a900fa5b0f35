#include "debrief/uscore.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShowEvent>
#include <QSlider>
#include <QStyle>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "base/errors.h"
#include "base/records.h"
#include "debrief/score_export.h"
#include "debrief/score_map.h"
#include "ui/guard.h"
#include "ui/save_dialog.h"
#include "viewer/gif_export.h"

namespace nimbrel {
namespace {

QString LeadText(const std::optional<double>& minutes) {
    if (!minutes) return QStringLiteral("-");
    const long m = std::lround(*minutes);
    return QStringLiteral("%1:%2").arg(m / 60).arg(std::abs(m % 60), 2, 10, QLatin1Char('0'));
}

/// The row's swatch: a short line in the product's colour and line style.
QPixmap StyleSwatch(ProductKind kind) {
    QPixmap pixmap(36, 14);
    pixmap.fill(Qt::white);
    QPainter p(&pixmap);
    const ProductStyle st = ProductStyleOf(kind);
    p.setPen(QPen(st.Colour, 3, st.Line, Qt::FlatCap));
    p.drawLine(2, 7, 34, 7);
    return pixmap;
}

QTableWidgetItem* Cell(const QString& text, bool right = true) {
    auto* item = new QTableWidgetItem(text);
    item->setTextAlignment(Qt::AlignVCenter | (right ? Qt::AlignRight : Qt::AlignLeft));
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    return item;
}

} // namespace

QString ChaserTallyText(const ChaserCounts& n) {
    return QStringLiteral("Chasers: %1 caught a tornado, %2 caught a storm, %3 empty handed, %4 "
                          "busted, %5 out of range, %6 awaiting storms, %7 not chasing.")
        .arg(n.CaughtTornado)
        .arg(n.CaughtStorm)
        .arg(n.EmptyHanded)
        .arg(n.Busted)
        .arg(n.OutOfRange)
        .arg(n.Awaiting)
        .arg(n.NotChasing);
}

TfScore::TfScore(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fScore"));
    setWindowTitle(QStringLiteral("Exercise score"));
    // As large as the map wants, within the screen.
    QSize size(1240, 940);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() - QSize(20, 40));
    resize(size);

    Heading = new QLabel(this);
    QFont big = Heading->font();
    big.setPointSize(big.pointSize() + 3);
    big.setBold(true);
    Heading->setFont(big);

    ProductTable = new QTableWidget(0, 11, this);
    ProductTable->setObjectName(QStringLiteral("ProductTable"));
    ProductTable->setHorizontalHeaderLabels(
        {QStringLiteral("Product"), QStringLiteral("Issued (UTC)"),
         QStringLiteral("Valid from (UTC)"), QStringLiteral("Valid until (UTC)"),
         QStringLiteral("Area (sq mi)"), QStringLiteral("Tornado"), QStringLiteral("Hail"),
         QStringLiteral("Wind"), QStringLiteral("Verified"), QStringLiteral("Lead time (h:mm)"),
         QStringLiteral("Reports per 10,000 sq mi")});
    ProductTable->verticalHeader()->setVisible(false);
    ProductTable->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    ProductTable->horizontalHeader()->setStretchLastSection(true);
    ProductTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ProductTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    ProductTable->setSelectionMode(QAbstractItemView::SingleSelection);
    ProductTable->setIconSize(QSize(36, 14));
    ProductTable->setToolTip(QStringLiteral("Select a row to show its product and the reports "
                                            "that verify it"));

    Summary = new QLabel(this);
    Summary->setObjectName(QStringLiteral("Summary"));
    Summary->setWordWrap(true);
    Summary->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    Summary->setFixedWidth(300);
    Summary->setTextFormat(Qt::RichText);
    Summary->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Tally = new QLabel(this);
    Tally->setObjectName(QStringLiteral("Tally"));
    Tally->setWordWrap(true);
    Tally->setFixedWidth(300);
    Notes = new QLabel(this);
    Notes->setObjectName(QStringLiteral("Notes"));
    Notes->setWordWrap(true);
    Notes->setFixedWidth(300);
    Notes->setTextFormat(Qt::PlainText);
    Notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    MapView = new QLabel(this);
    MapView->setObjectName(QStringLiteral("MapView"));
    MapView->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    MapView->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    MapView->setMinimumSize(320, 256);

    SaveButton = new QPushButton(QStringLiteral("&Save..."), this);
    SaveButton->setObjectName(QStringLiteral("SaveButton"));
    PrintButton = new QPushButton(QStringLiteral("&Print"), this);
    PrintButton->setObjectName(QStringLiteral("PrintButton"));
    CloseButton = new QPushButton(QStringLiteral("&Close"), this);
    CloseButton->setObjectName(QStringLiteral("CloseButton"));

    auto* words = new QVBoxLayout;
    // The verification blocks can outgrow the window's height: they scroll.
    auto* summaryScroll = new QScrollArea(this);
    summaryScroll->setObjectName(QStringLiteral("SummaryScroll"));
    summaryScroll->setWidget(Summary);
    summaryScroll->setWidgetResizable(true);
    summaryScroll->setFrameShape(QFrame::NoFrame);
    summaryScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    summaryScroll->setFixedWidth(Summary->width() + 20);
    words->addWidget(summaryScroll, 1);
    words->addSpacing(8);
    words->addWidget(Tally);
    words->addSpacing(8);
    words->addWidget(Notes);
    auto* middle = new QHBoxLayout;
    middle->addWidget(MapView, 1);
    middle->addLayout(words);
    // The replay of the day: play and pause, the hour, the speed, back to the score.
    ReplayPlay = new QToolButton(this);
    ReplayPlay->setObjectName(QStringLiteral("ReplayPlay"));
    ReplayPlay->setToolTip(QStringLiteral("Play the day again"));
    ReplayPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ReplaySlider = new QSlider(Qt::Horizontal, this);
    ReplaySlider->setObjectName(QStringLiteral("ReplaySlider"));
    ReplaySlider->setTickPosition(QSlider::TicksBelow);
    ReplaySlider->setTickInterval(1);
    ReplaySlider->setPageStep(1);
    ReplayHour = new QLabel(this);
    ReplayHour->setObjectName(QStringLiteral("ReplayHour"));
    ReplayHour->setMinimumWidth(70);
    ReplaySpeed = new QComboBox(this);
    ReplaySpeed->setObjectName(QStringLiteral("ReplaySpeed"));
    for (const int ms : ReplaySpeedsMs)
        ReplaySpeed->addItem(QStringLiteral("%1 s an hour").arg(ms / 1000.0), ms);
    ReplaySpeed->setCurrentIndex(1);
    ReplayExport = new QPushButton(QStringLiteral("Export replay as &GIF..."), this);
    ReplayExport->setObjectName(QStringLiteral("ReplayExport"));
    ScoreMapButton = new QPushButton(QStringLiteral("Score &map"), this);
    ScoreMapButton->setObjectName(QStringLiteral("ScoreMapButton"));
    ReplayTimer.setInterval(ReplaySpeed->currentData().toInt());
    auto* replayRow = new QHBoxLayout;
    replayRow->addWidget(new QLabel(QStringLiteral("Replay:"), this));
    replayRow->addWidget(ReplayPlay);
    replayRow->addWidget(ReplaySlider, 1);
    replayRow->addWidget(ReplayHour);
    replayRow->addWidget(ReplaySpeed);
    replayRow->addWidget(ScoreMapButton);
    replayRow->addWidget(ReplayExport);

    ExportStatus = new QLabel(this);
    ExportStatus->setObjectName(QStringLiteral("ExportStatus"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ExportStatus, 1);
    buttons->addWidget(SaveButton);
    buttons->addWidget(PrintButton);
    buttons->addWidget(CloseButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Heading);
    layout->addWidget(ProductTable);
    layout->addLayout(middle, 1);
    layout->addLayout(replayRow);
    layout->addLayout(buttons);

    connect(SaveButton, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { SaveButtonClick(); }); });
    connect(PrintButton, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { PrintButtonClick(); }); });
    connect(CloseButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(ProductTable, &QTableWidget::itemSelectionChanged, this, [this] {
        Guarded(this, [this] {
            const auto rows = ProductTable->selectionModel()->selectedRows();
            HighlightProduct(rows.isEmpty() ? -1 : rows.first().row());
        });
    });
    connect(ReplayPlay, &QToolButton::clicked, this,
            [this] { Guarded(this, [this] { ReplayPlayClick(); }); });
    connect(ReplaySlider, &QSlider::valueChanged, this,
            [this](int value) { Guarded(this, [this, value] { ShowReplayStep(value); }); });
    connect(ReplaySpeed, &QComboBox::currentIndexChanged, this,
            [this] { Guarded(this, [this] { ReplaySpeedChange(); }); });
    connect(ScoreMapButton, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { ScoreMapClick(); }); });
    connect(ReplayExport, &QPushButton::clicked, this,
            [this] { Guarded(this, [this] { ReplayExportClick(); }); });
    connect(&ReplayTimer, &QTimer::timeout, this,
            [this] { Guarded(this, [this] { ReplayTimerTick(); }); });
    // Closing stops a playing replay.
    connect(this, &QDialog::finished, this, [this] { ReplayTimer.stop(); });
}

void TfScore::SetScore(const ExerciseScore& score, DateTime caseStart, const ChaserCounts& tally,
                       const ScoreMapInputs& map) {
    score_ = score;
    caseStart_ = caseStart;
    mapInputs_ = map;
    mapInputs_.Highlight = -1;
    // The symbols made once for the map and every row's highlight (a one-to-one picture
    // only); not the background, which would hold another picture of the map's size.
    mapInputs_.Cache = devicePixelRatioF() == 1.0 ? MakeScoreMapCache(mapInputs_, false) : nullptr;
    map_ = RenderScoreMap(mapInputs_, devicePixelRatioF());
    released_ = false;
    highlighted_ = QImage();
    highlight_ = -1;
    tally_ = tally;
    Heading->setText(QStringLiteral("Exercise score: ") +
                     FormatDateTime(QStringLiteral("dddd, mmmm d, yyyy"), caseStart));

    const bool read = score.Reports.Readable;
    const QSignalBlocker quiet(ProductTable);
    ProductTable->clearSelection();
    ProductTable->setRowCount(static_cast<int>(score.Products.size()));
    int row = 0;
    for (const ProductScore& p : score.Products) {
        const ProductRecord& r = p.Record;
        const QString na = QStringLiteral("-");
        const QString cells[] = {
            ProductKindName(r.Kind), FormatDateTime(QStringLiteral("hhnn"), r.IssueTime),
            FormatDateTime(QStringLiteral("hhnn"), r.ValidFrom),
            FormatDateTime(QStringLiteral("hhnn"), r.ValidUntil),
            p.SquareMiles > 0.0
                ? QLocale(QLocale::English).toString(std::round(p.SquareMiles), 'f', 0)
                : QStringLiteral("no area"),
            read ? QString::number(p.Tornado) : na, read ? QString::number(p.Hail) : na,
            read ? QString::number(p.Wind) : na,
            read ? (p.Verified ? QStringLiteral("yes") : QStringLiteral("NO")) : na,
            // Outlooks have no lead time; a watch's runs to its first verifying report.
            read && IsWatch(r.Kind) ? LeadText(p.WarningLeadMinutes) : na,
            read && p.ReportsPer10k ? QString::number(*p.ReportsPer10k, 'f', 2) : na};
        for (int c = 0; c < 11; ++c)
            ProductTable->setItem(row, c, Cell(cells[c], c != 0));
        // The row carries its product's colour and line style on the map.
        ProductTable->item(row, 0)->setData(Qt::DecorationRole, StyleSwatch(r.Kind));
        ++row;
    }
    ProductTable->setVisible(!score.Products.empty());
    ProductTable->setFixedHeight(ProductTable->horizontalHeader()->height() +
                                 ProductTable->rowHeight(0) * ProductTable->rowCount() + 4);
    // Each line's short head ("POD 0.45") in bold, so the numbers are found at a glance.
    QStringList html;
    for (const QString& line : ScoreSummaryLines(score)) {
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (colon > 0 && colon < 40)
            html << QStringLiteral("<b>%1</b>%2")
                        .arg(line.left(colon).toHtmlEscaped(), line.mid(colon).toHtmlEscaped());
        else
            html << line.toHtmlEscaped();
    }
    Summary->setText(QStringLiteral("<p>") + html.join(QStringLiteral("</p><p>")) +
                     QStringLiteral("</p>"));
    ShowSideText(std::nullopt);
    ShowMap();
}

namespace {

/// `image` scaled into `area` (widget pixels) at the screen's density, keeping its aspect.
QImage SharpFit(const QImage& image, QSize area, qreal pixelRatio) {
    QImage shown = image.scaled(area * pixelRatio, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    shown.setDevicePixelRatio(pixelRatio);
    return shown;
}

} // namespace

void TfScore::ShowSideText(std::optional<std::size_t> index) {
    ForecastNotes notes = score_.Notes;
    if (index) {
        const auto& hours = replay_.Record.Hours;
        const bool known = *index < hours.size();
        Tally->setText(QStringLiteral("At %1: ").arg(ReplayHourText(replay_, *index)) +
                       ChaserTallyText(replay_.Recorded && known ? TallyAt(replay_.Record, *index)
                                                                 : ChaserCounts{}));
        notes = known ? NotesBy(score_.Notes, hours[*index].Clock) : ForecastNotes{};
    } else {
        Tally->setText(ChaserTallyText(tally_));
    }
    QStringList lines;
    for (const ForecastNote& n : notes)
        lines << ForecastNoteLine(n);
    Notes->setText(lines.isEmpty()
                       ? QStringLiteral("Your notes: none written.")
                       : QStringLiteral("Your notes:\n") + lines.join(QLatin1Char('\n')));
}

void TfScore::HighlightProduct(int row) {
    highlight_ = row >= 0 && row < static_cast<int>(mapInputs_.Products.size()) ? row : -1;
    highlighted_ = QImage();
    if (highlight_ >= 0) {
        ScoreMapInputs in = mapInputs_;
        in.Highlight = highlight_;
        highlighted_ = RenderScoreMap(in, devicePixelRatioF());
    }
    if (replayShown_) ScoreMapClick();
    ShowMap();
}

const QImage& TfScore::ShownPicture() const {
    if (replayShown_) return replayStep_;
    return highlight_ >= 0 ? highlighted_ : map_;
}

void TfScore::ShowMap() {
    // The scaled copy on show is replaced by the next: the old one goes first (the label
    // paints only once control returns to the event loop).
    MapView->clear();
    if (replayShown_) {
        MapView->setPixmap(QPixmap::fromImage(
            SharpFit(replayStep_, MapView->size(), MapView->devicePixelRatioF())));
        return;
    }
    const QImage& shown = ShownPicture();
    if (shown.isNull()) return;
    MapView->setPixmap(
        QPixmap::fromImage(SharpFit(shown, MapView->size(), MapView->devicePixelRatioF())));
}

void TfScore::SetReplay(ReplayDay replay) {
    ReplayTimer.stop();
    replay_ = std::move(replay);
    replayShown_ = false;
    const int hours = static_cast<int>(ReplayHours(replay_));
    const QSignalBlocker quiet(ReplaySlider);
    ReplaySlider->setRange(0, std::max(0, hours - 1));
    ReplaySlider->setValue(0);
    ReplayHour->setText(ReplayHourText(replay_, 0));
    for (QWidget* w : std::initializer_list<QWidget*>{ReplayPlay, ReplaySlider, ReplaySpeed,
                                                      ReplayExport, ScoreMapButton})
        w->setEnabled(hours > 0);
    ReplayPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ShowMap();
}

void TfScore::ShowReplayStep(int index) {
    const int hours = static_cast<int>(ReplayHours(replay_));
    if (hours == 0) return;
    index = std::clamp(index, 0, hours - 1);
    if (ReplaySlider->value() != index) {
        const QSignalBlocker quiet(ReplaySlider);
        ReplaySlider->setValue(index);
    }
    ReplayHour->setText(ReplayHourText(replay_, static_cast<std::size_t>(index)));
    // The last step goes before the next is drawn, so that the two never stand side by
    // side in memory and the next takes the last one's place.
    replayStep_ = QImage();
    replayStep_ = RenderReplayStep(replay_, static_cast<std::size_t>(index));
    replayShown_ = true;
    ShowSideText(static_cast<std::size_t>(index));
    ShowMap();
}

void TfScore::ReplayPlayClick() {
    if (ReplayTimer.isActive()) {
        ReplayTimer.stop();
        ReplayPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
        return;
    }
    if (ReplayHours(replay_) == 0) return;
    // From the start when the last hour is on show (or the score map is).
    const bool atEnd = ReplaySlider->value() >= ReplaySlider->maximum();
    ShowReplayStep(!replayShown_ || atEnd ? 0 : ReplaySlider->value());
    ReplayTimer.start();
    ReplayPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
}

void TfScore::ReplayTimerTick() {
    if (ReplaySlider->value() >= ReplaySlider->maximum()) {
        ReplayTimer.stop();
        ReplayPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
        return;
    }
    ShowReplayStep(ReplaySlider->value() + 1);
}

void TfScore::ReplaySpeedChange() {
    const int interval = ReplaySpeed->currentData().toInt();
    // A changed interval restarts the countdown; an unchanged one must not.
    if (interval > 0 && ReplayTimer.interval() != interval) ReplayTimer.setInterval(interval);
}

void TfScore::ScoreMapClick() {
    ReplayTimer.stop();
    ReplayPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    replayShown_ = false;
    ShowSideText(std::nullopt);
    ShowMap();
}

void TfScore::ReplayExportClick() {
    const int hours = static_cast<int>(ReplayHours(replay_));
    if (hours == 0) return;
    const QString path =
        pickReplaySave_
            ? pickReplaySave_()
            : AskSaveFileName(this, QStringLiteral("Export replay as GIF"),
                              QStringLiteral("replay-%1.gif")
                                  .arg(FormatDateTime(QStringLiteral("yyyy-mm-dd"), caseStart_)),
                              QStringLiteral("GIF images (*.gif)"), QStringLiteral("gif"));
    if (path.isEmpty()) return;
    QProgressDialog progress(QStringLiteral("Writing %1 hours...").arg(hours),
                             QStringLiteral("Cancel"), 0, hours, this);
    progress.setObjectName(QStringLiteral("ReplayExportProgress"));
    progress.setWindowTitle(QStringLiteral("Export replay as GIF"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    ExportStatus->clear();
    // The player's timing: the speed for every hour, the last hour held a second longer.
    const int step = ReplaySpeed->currentData().toInt();
    const ExportOutcome outcome = ExportGif(
        hours, [this](int i) { return RenderReplayStep(replay_, static_cast<std::size_t>(i)); },
        LoopDelays(hours, step, 1000), path,
        [&progress](int done, int) {
            progress.setValue(done);
            QCoreApplication::processEvents();
            return !progress.wasCanceled();
        });
    progress.reset();
    ExportStatus->setText(outcome == ExportOutcome::Written
                              ? QStringLiteral("Replay of %1 hours written to %2")
                                    .arg(hours)
                                    .arg(QFileInfo(path).fileName())
                              : QStringLiteral("Export cancelled: no file written"));
}

void TfScore::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowMap();
}

void TfScore::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown again after a close: the map is drawn anew, the same as before.
    if (released_) {
        released_ = false;
        map_ = RenderScoreMap(mapInputs_, devicePixelRatioF());
        HighlightProduct(highlight_);
    }
}

void TfScore::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // A window minimised with its parent stays open: only a real close lets go.
    if (event->spontaneous()) return;
    ReplayTimer.stop();
    // The score is set afresh at every showing; what was drawn for this one (the map,
    // the highlighted map, the replay step, the scaled copy on show: a megabyte each at
    // the usual size) goes now rather than stay for the rest of the run.
    map_ = QImage();
    highlighted_ = QImage();
    replayStep_ = QImage();
    replayShown_ = false;
    released_ = true;
    MapView->clear();
    // The native window and its screen buffer (as large as the window) go too, once the
    // hide is through; showing makes them again.
    QTimer::singleShot(0, this, [this] {
        if (!isVisible()) destroy();
#ifdef __GLIBC__
        // What was freed lies in the middle of the heap: hand its pages back.
        malloc_trim(0);
#endif
    });
}

namespace {

QString PngBeside(const QString& csvPath) {
    const QFileInfo info(csvPath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".png");
}

} // namespace

void TfScore::SaveTo(const QString& csvPath) const {
    const QString png = PngBeside(csvPath);
    QByteArray pngBytes;
    QBuffer buffer(&pngBytes);
    buffer.open(QIODevice::WriteOnly);
    if (!map_.save(&buffer, "PNG"))
        throw FileError(
            QStringLiteral("Cannot write \"%1\": the map could not be encoded").arg(png));
    WriteWholeFiles({{csvPath, ScoreCsv(score_, caseStart_)}, {png, pngBytes}});
}

void TfScore::SaveButtonClick() {
    const QString path =
        pickSave_
            ? pickSave_()
            : AskSaveFileName(this, QStringLiteral("Save the exercise score"),
                              QStringLiteral("score-%1.csv")
                                  .arg(FormatDateTime(QStringLiteral("yyyy-mm-dd"), caseStart_)),
                              QStringLiteral("Comma-separated values (*.csv)"),
                              QStringLiteral("csv"));
    if (path.isEmpty()) return;
    // The dialog asked about the CSV; the map's PNG beside it is asked about here.
    const QString png = PngBeside(path);
    if (QFileInfo::exists(png) &&
        !(replaceQuestion_
              ? replaceQuestion_(png)
              : ConfirmReplacing(this, QStringLiteral("Save the exercise score"), {png})))
        return;
    SaveTo(path);
}

void TfScore::PrintTo(QPrinter& printer) {
    printer.setDocName(QStringLiteral("Nimbrel exercise score"));
    const QImage window = grab().toImage();
    QPainter painter;
    if (!painter.begin(&printer)) throw FileError(QStringLiteral("Printer selected is not valid"));
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    auto fit = [&](const QImage& image) {
        const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
        painter.drawImage(QRect(QPoint(0, 0), size), image);
    };
    fit(window);
    if (!map_.isNull()) {
        printer.newPage();
        fit(map_);
    }
    if (!painter.end()) throw FileError(QStringLiteral("Printing failed"));
}

void TfScore::PrintButtonClick() {
    std::shared_ptr<QPrinter> printer = printer_ ? printer_() : nullptr;
    if (!printer) {
        if (!ownPrinter_) ownPrinter_ = std::make_shared<QPrinter>();
        printer = ownPrinter_;
    }
    QPrintDialog dialog(printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) return;
    PrintTo(*printer);
}

} // namespace nimbrel
