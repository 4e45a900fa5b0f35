#include "app/umainform.h"

#include <algorithm>
#include <future>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMargins>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSlider>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/folders.h"
#include "app/preferences.h"
#include "app/startup.h"
#include "base/records.h"
#include "cases/uloadcase.h"
#include "cases/urandomcase.h"
#include "debrief/uinformation.h"
#include "map/chaser_icons.h"
#include "products/uproduct.h"
#include "sim/clock.h"
#include "ui/guard.h"
#include "ui/imageview.h"
#include "ui/messageprompts.h"
#include "ui/stationmarker.h"
#include "ui/uabout.h"
#include "viewer/frames.h"

namespace nimbrel {

TfMainForm::TfMainForm(QWidget* parent, std::unique_ptr<Prompts> prompts,
                       std::function<QString()> filePicker)
    : QMainWindow(parent), prompts_(std::move(prompts)), pickFile_(std::move(filePicker)) {
    if (!prompts_) prompts_ = std::make_unique<MessagePrompts>(this);
    if (!pickFile_) pickFile_ = [this]() { return QFileDialog::getOpenFileName(this); };
    setWindowTitle(QStringLiteral("Nimbrel V1.0"));
    resize(1227, 775);
    SatelliteTimer.setInterval(1000);
    ReportsTimer.setInterval(500);
    // A tick that fails stops its own timer before the guard shows the message: the
    // message box runs an event loop, and a live timer would fail again inside it.
    auto guardedTick = [this](QTimer& timer, void (TfMainForm::*tick)()) {
        connect(&timer, &QTimer::timeout, this, [this, &timer, tick] {
            Guard([this, &timer, tick] {
                try {
                    (this->*tick)();
                } catch (...) {
                    timer.stop();
                    throw;
                }
            });
        });
    };
    guardedTick(SatelliteTimer, &TfMainForm::SatelliteTimerTimer);
    // A window without a frame (no window manager) stops looking after five seconds.
    connect(&placementTimer_, &QTimer::timeout, this, [this] {
        if (++placementChecks_ > 50) placementTimer_.stop();
        SettlePlacement();
    });
    guardedTick(ReportsTimer, &TfMainForm::ReportsTimerTimer);
    FormCreate(); // builds the menus, the view and the left panel on its way
}

TfMainForm::~TfMainForm() {
    // The folder thread tells this window when it is done: it must be done before the
    // window goes.
    if (folderNotice_.valid()) folderNotice_.wait();
    // The event hooks reach into this window; its widgets, which go after its members,
    // may still get events (a leave as they are hidden) on the way out.
    qDeleteAll(findChildren<QObject*>(QStringLiteral("EventHook")));
}

template <typename Window> Window* TfMainForm::Needed(Window*& slot) {
    if (!slot && makeWindows_) slot = new Window(this);
    return slot;
}
template TfProduct* TfMainForm::Needed(TfProduct*&);
template TfLoadCase* TfMainForm::Needed(TfLoadCase*&);
template TfRandomCase* TfMainForm::Needed(TfRandomCase*&);
template TfAbout* TfMainForm::Needed(TfAbout*&);
template TfInformation* TfMainForm::Needed(TfInformation*&);

void TfMainForm::Guard(const std::function<void()>& body) {
    Guarded(this, body);
}

namespace {

/// Runs `action` for each event of `type` that `watched` receives; the event goes on
/// to the widget unchanged.
class EventHook final : public QObject {
public:
    EventHook(QObject* watched, QEvent::Type type, std::function<void()> action)
        : QObject(watched), type_(type), action_(std::move(action)) {
        setObjectName(QStringLiteral("EventHook")); // found by name as the window goes
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) action_();
        return false;
    }

private:
    QEvent::Type type_;
    std::function<void()> action_;
};

enum class PlayerGlyph { PlayReverse, StepBack, Stop, StepForward, PlayForward };

// The loop buttons' pictures are drawn here rather than looked up in an icon theme:
// a theme look-up searches folders on disc on the way to the first window, and the
// glyphs look the same on every desktop.
QIcon PlayerGlyphIcon(PlayerGlyph glyph) {
    constexpr int Side = 16;
    QPixmap pixmap(Side, Side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    const QPolygonF right{{4.0, 3.0}, {12.0, 8.0}, {4.0, 13.0}};
    const QPolygonF left{{12.0, 3.0}, {4.0, 8.0}, {12.0, 13.0}};
    switch (glyph) {
    case PlayerGlyph::PlayReverse:
        p.drawPolygon(left);
        break;
    case PlayerGlyph::StepBack:
        p.drawRect(QRectF(2.0, 3.0, 2.0, 10.0));
        p.drawPolygon(left.translated(1.0, 0.0));
        break;
    case PlayerGlyph::Stop:
        p.drawRect(QRectF(4.0, 4.0, 8.0, 8.0));
        break;
    case PlayerGlyph::StepForward:
        p.drawPolygon(right.translated(-1.0, 0.0));
        p.drawRect(QRectF(12.0, 3.0, 2.0, 10.0));
        break;
    case PlayerGlyph::PlayForward:
        p.drawPolygon(right);
        break;
    }
    p.end();
    return QIcon(pixmap);
}

QAction* AddItem(QMenu* menu, const QString& name, const QString& caption,
                 const QKeySequence& shortcut = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    if (!shortcut.isEmpty()) a->setShortcut(shortcut);
    return a;
}

} // namespace

void TfMainForm::BuildMenus() {
    // Every handler runs through the one error guard.
    auto on = [this](QAction* a, void (TfMainForm::*slot)()) {
        connect(a, &QAction::triggered, this,
                [this, slot] { Guard([this, slot] { (this->*slot)(); }); });
    };

    FileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    Loadcase1 = AddItem(FileMenu, "Loadcase1", QStringLiteral("&Load case..."));
    Loadrandomcase1 = AddItem(FileMenu, "Loadrandomcase1", QStringLiteral("Load &random case..."));
    Showsummaryanddiscussion1 = AddItem(FileMenu, "Showsummaryanddiscussion1",
                                        QStringLiteral("&Show summary and discussion"));
    Exercisescore1 = AddItem(FileMenu, "Exercisescore1", QStringLiteral("E&xercise score..."));
    FileMenu->addSeparator();
    Copygraphictoclipboard1 =
        AddItem(FileMenu, "Copygraphictoclipboard1", QStringLiteral("&Copy graphic to clipboard"));
    Exportloopasgif1 =
        AddItem(FileMenu, "Exportloopasgif1", QStringLiteral("Export loop as &GIF..."));
    FileMenu->addSeparator();
    Print1 = AddItem(FileMenu, "Print1", QStringLiteral("&Print graphic"));
    Printersetup1 = AddItem(FileMenu, "Printersetup1", QStringLiteral("&Printer setup..."));
    FileMenu->addSeparator();
    ChangeCDlocation1 =
        AddItem(FileMenu, "ChangeCDlocation1", QStringLiteral("&Change CD location..."));
    Folders1 = AddItem(FileMenu, "Folders1", QStringLiteral("&Folders"));
    FileMenu->addSeparator();
    Exit1 = AddItem(FileMenu, "Exit1", QStringLiteral("&Exit"));
    on(Loadcase1, &TfMainForm::Loadcase1Click);
    on(Loadrandomcase1, &TfMainForm::Loadrandomcase1Click);
    on(Showsummaryanddiscussion1, &TfMainForm::Showsummaryanddiscussion1Click);
    on(Exercisescore1, &TfMainForm::Exercisescore1Click);
    on(Copygraphictoclipboard1, &TfMainForm::Copygraphictoclipboard1Click);
    on(Exportloopasgif1, &TfMainForm::Exportloopasgif1Click);
    on(Print1, &TfMainForm::Print1Click);
    on(Printersetup1, &TfMainForm::Printersetup1Click);
    on(ChangeCDlocation1, &TfMainForm::ChangeCDlocation1Click);
    on(Folders1, &TfMainForm::Folders1Click);
    on(Exit1, &TfMainForm::Exit1Click);

    ViewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    Targeting1 = AddItem(ViewMenu, "Targeting1", QStringLiteral("&Targeting"), Qt::Key_F12);
    ViewMenu->addSeparator();
    Visiblesatellite1 =
        AddItem(ViewMenu, "Visiblesatellite1", QStringLiteral("&Visible satellite"), Qt::Key_F5);
    SurfaceAnalysis1 =
        AddItem(ViewMenu, "SurfaceAnalysis1", QStringLiteral("&Surface analysis"), Qt::Key_F6);
    N850mb1 = AddItem(ViewMenu, "N850mb1", QStringLiteral("&850 mb"), Qt::Key_F7);
    N700mb1 = AddItem(ViewMenu, "N700mb1", QStringLiteral("&700 mb"), Qt::Key_F8);
    N500mb1 = AddItem(ViewMenu, "N500mb1", QStringLiteral("&500 mb"), Qt::Key_F9);
    N250mb1 = AddItem(ViewMenu, "N250mb1", QStringLiteral("&250 mb"), Qt::Key_F10);
    Sounding1 = AddItem(ViewMenu, "Sounding1", QStringLiteral("Sou&nding"), Qt::Key_F11);
    ViewMenu->addSeparator();
    Forecastnotes1 = AddItem(ViewMenu, "Forecastnotes1", QStringLiteral("Forecast n&otes..."));
    for (QAction* a : {Targeting1, Visiblesatellite1, SurfaceAnalysis1, N850mb1, N700mb1, N500mb1,
                       N250mb1, Sounding1})
        a->setCheckable(true);
    Visiblesatellite1->setChecked(true);
    ViewMenu->addSeparator();
    Fitchartstowindow1 =
        AddItem(ViewMenu, "Fitchartstowindow1", QStringLiteral("&Fit charts to window"));
    Fitchartstowindow1->setCheckable(true); // off: charts one screen pixel per image pixel
    on(Fitchartstowindow1, &TfMainForm::Fitchartstowindow1Click);
    on(Targeting1, &TfMainForm::Targeting1Click);
    on(Visiblesatellite1, &TfMainForm::Visiblesatellite1Click);
    on(SurfaceAnalysis1, &TfMainForm::SurfaceAnalysis1Click);
    on(N850mb1, &TfMainForm::N850mb1Click);
    on(N700mb1, &TfMainForm::N700mb1Click);
    on(N500mb1, &TfMainForm::N500mb1Click);
    on(N250mb1, &TfMainForm::N250mb1Click);
    on(Sounding1, &TfMainForm::Sounding1Click);
    on(Forecastnotes1, &TfMainForm::Forecastnotes1Click);

    ForecastMenu = menuBar()->addMenu(QStringLiteral("&Forecast"));
    Advancetonexthour1 = AddItem(ForecastMenu, "Advancetonexthour1",
                                 QStringLiteral("&Advance to next hour"), Qt::Key_F4);
    WarningSounds = AddItem(ForecastMenu, "WarningSounds", QStringLiteral("Warning sounds"));
    ForecastMenu->addSeparator();
    SlightRisk1 = AddItem(ForecastMenu, "SlightRisk1", QStringLiteral("&Slight risk"));
    ModerateRisk1 = AddItem(ForecastMenu, "ModerateRisk1", QStringLiteral("&Moderate risk"));
    HighRisk1 = AddItem(ForecastMenu, "HighRisk1", QStringLiteral("&High risk"));
    ForecastMenu->addSeparator();
    SevereWatch1 = AddItem(ForecastMenu, "SevereWatch1", QStringLiteral("Se&vere watch"));
    TornadoWatch1 = AddItem(ForecastMenu, "TornadoWatch1", QStringLiteral("&Tornado watch"));
    on(Advancetonexthour1, &TfMainForm::Advancetonexthour1Click);
    on(WarningSounds, &TfMainForm::WarningSoundsClick);
    for (QAction* a : {SlightRisk1, ModerateRisk1, HighRisk1, SevereWatch1, TornadoWatch1})
        connect(a, &QAction::triggered, this, [this, a] { Guard([this, a] { IssueProduct(a); }); });

    MapMenu = menuBar()->addMenu(QStringLiteral("&Map"));
    North1 = AddItem(MapMenu, "North1", QStringLiteral("&North"), Qt::Key_N);
    South1 = AddItem(MapMenu, "South1", QStringLiteral("South"), Qt::Key_S);
    East1 = AddItem(MapMenu, "East1", QStringLiteral("East"), Qt::Key_E);
    West1 = AddItem(MapMenu, "West1", QStringLiteral("West"), Qt::Key_W);
    Zoomin1 = AddItem(MapMenu, "Zoomin1", QStringLiteral("Zoom in"), Qt::Key_Z);
    Zoomout1 = AddItem(MapMenu, "Zoomout1", QStringLiteral("Zoom out"), Qt::Key_A);
    on(North1, &TfMainForm::North1Click);
    on(South1, &TfMainForm::South1Click);
    on(East1, &TfMainForm::East1Click);
    on(West1, &TfMainForm::West1Click);
    on(Zoomin1, &TfMainForm::Zoomin1Click);
    on(Zoomout1, &TfMainForm::Zoomout1Click);
    // The arrow keys pan as the letters do.
    North1->setShortcuts({QKeySequence(Qt::Key_N), QKeySequence(Qt::Key_Up)});
    South1->setShortcuts({QKeySequence(Qt::Key_S), QKeySequence(Qt::Key_Down)});
    East1->setShortcuts({QKeySequence(Qt::Key_E), QKeySequence(Qt::Key_Right)});
    West1->setShortcuts({QKeySequence(Qt::Key_W), QKeySequence(Qt::Key_Left)});
    MapMenu->addSeparator();
    Measuredistance1 =
        AddItem(MapMenu, "Measuredistance1", QStringLiteral("&Measure distance"), Qt::Key_M);
    Measuredistance1->setCheckable(true);
    Measuredistance1->setEnabled(false); // the views start on a chart
    on(Measuredistance1, &TfMainForm::Measuredistance1Click);
    MapMenu->addSeparator();
    Cities1 = AddItem(MapMenu, "Cities1", QStringLiteral("&Cities"));
    Issuedproducts1 = AddItem(MapMenu, "Issuedproducts1", QStringLiteral("&Issued products"));
    for (QAction* a : {Cities1, Issuedproducts1}) {
        a->setCheckable(true);
        a->setChecked(true);
    }
    on(Cities1, &TfMainForm::Cities1Click);
    on(Issuedproducts1, &TfMainForm::Issuedproducts1Click);
    endMeasuring_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    endMeasuring_->setEnabled(false);
    connect(endMeasuring_, &QShortcut::activated, this,
            [this] { Guard([this] { EndMeasuring(); }); });

    HelpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    About1 = AddItem(HelpMenu, "About1", QStringLiteral("&About..."));
    on(About1, &TfMainForm::About1Click);
}

namespace {

QLabel* CentredLabel(QWidget* parent, const QString& name, int width, int pixelSize = 0) {
    auto* l = new QLabel(parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setFixedWidth(width);
    if (pixelSize > 0) {
        QFont f = l->font();
        f.setPixelSize(pixelSize);
        l->setFont(f);
    }
    return l;
}

} // namespace

void TfMainForm::BuildLeftPanel() {
    auto click = [this](QAbstractButton* b, void (TfMainForm::*slot)()) {
        connect(b, &QAbstractButton::clicked, this,
                [this, slot] { Guard([this, slot] { (this->*slot)(); }); });
    };

    auto* panel = new QWidget(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFixedWidth(157);
    auto* col = new QVBoxLayout(panel);
    col->setContentsMargins(4, 4, 4, 4);
    col->setSpacing(4);

    auto* timeBox = new QGroupBox(QStringLiteral("Current simulation time"), panel);
    auto* tl = new QVBoxLayout(timeBox);
    tl->setContentsMargins(2, 2, 2, 2);
    CurDateLabel = CentredLabel(timeBox, QStringLiteral("CurDateLabel"), 125);
    CurTimeLabel = CentredLabel(timeBox, QStringLiteral("CurTimeLabel"), 125, 21);
    AdvanceHour = new QPushButton(QStringLiteral("Advance to next hour"), timeBox);
    AdvanceHour->setObjectName(QStringLiteral("AdvanceHour"));
    tl->addWidget(CurDateLabel, 0, Qt::AlignHCenter);
    tl->addWidget(CurTimeLabel, 0, Qt::AlignHCenter);
    tl->addWidget(AdvanceHour);
    click(AdvanceHour, &TfMainForm::AdvanceHourClick);
    col->addWidget(timeBox);

    auto* prodBox = new QGroupBox(QStringLiteral("Product time"), panel);
    auto* pl = new QVBoxLayout(prodBox);
    pl->setContentsMargins(2, 2, 2, 2);
    ProdDateLabel = CentredLabel(prodBox, QStringLiteral("ProdDateLabel"), 125);
    ProdTimeLabel = CentredLabel(prodBox, QStringLiteral("ProdTimeLabel"), 125);
    pl->addWidget(ProdDateLabel, 0, Qt::AlignHCenter);
    pl->addWidget(ProdTimeLabel, 0, Qt::AlignHCenter);
    auto* loopCaption = new QLabel(QStringLiteral("Product loop control"), prodBox);
    loopCaption->setAlignment(Qt::AlignCenter);
    pl->addWidget(loopCaption);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    auto tool = [&](QToolButton*& b, const char* name, const QString& hint, PlayerGlyph glyph,
                    void (TfMainForm::*slot)()) {
        b = new QToolButton(prodBox);
        b->setObjectName(QString::fromLatin1(name));
        b->setToolTip(hint);
        b->setIcon(PlayerGlyphIcon(glyph));
        b->setFixedSize(27, 24);
        buttons->addWidget(b);
        click(b, slot);
    };
    tool(PlayRevButton, "PlayRevButton", QStringLiteral("Play in reverse"),
         PlayerGlyph::PlayReverse, &TfMainForm::PlayRevButtonClick);
    tool(StepRevButton, "StepRevButton", QStringLiteral("Step backward"), PlayerGlyph::StepBack,
         &TfMainForm::StepRevButtonClick);
    tool(PauseButton, "PauseButton", QStringLiteral("Stop"), PlayerGlyph::Stop,
         &TfMainForm::PauseButtonClick);
    tool(StepFwdButton, "StepFwdButton", QStringLiteral("Step forward"), PlayerGlyph::StepForward,
         &TfMainForm::StepFwdButtonClick);
    tool(PlayFwdButton, "PlayFwdButton", QStringLiteral("Play forward"), PlayerGlyph::PlayForward,
         &TfMainForm::PlayFwdButtonClick);
    pl->addLayout(buttons);
    FramesLoaded = CentredLabel(prodBox, QStringLiteral("FramesLoaded"), 130);
    pl->addWidget(FramesLoaded, 0, Qt::AlignHCenter);
    col->addWidget(prodBox);

    auto slider = [&](QSlider*& s, QLabel*& text, const char* name, const char* textName,
                      const QString& caption, int lo, int hi, int value, int tick,
                      void (TfMainForm::*slot)()) {
        text = new QLabel(caption, panel);
        text->setObjectName(QString::fromLatin1(textName));
        s = new QSlider(Qt::Horizontal, panel);
        s->setObjectName(QString::fromLatin1(name));
        s->setRange(lo, hi);
        s->setValue(value);
        s->setTickInterval(tick);
        s->setTickPosition(QSlider::TicksBelow);
        s->setSingleStep(tick);
        s->setPageStep(tick);
        connect(s, &QSlider::valueChanged, this,
                [this, slot] { Guard([this, slot] { (this->*slot)(); }); });
        col->addWidget(text);
        col->addWidget(s);
    };
    slider(LoopSpeed, LoopSpeedText, "LoopSpeed", "LoopSpeedText", QStringLiteral("Loop speed"),
           100, 2000, 250, 100, &TfMainForm::LoopSpeedChange);
    slider(DwellSpeed, DwellSpeedText, "DwellSpeed", "DwellSpeedText",
           QStringLiteral("Dwell speed"), 100, 5000, 1000, 250, &TfMainForm::DwellSpeedChange);

    Panel2 = new QGroupBox(QStringLiteral("Chaser statistics"), panel);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setAutoFillBackground(true);
    QPalette pal = Panel2->palette();
    pal.setColor(QPalette::Window, QColor(238, 238, 238));
    Panel2->setPalette(pal);
    auto* sl = new QGridLayout(Panel2);
    sl->setContentsMargins(2, 2, 0, 2);
    sl->setVerticalSpacing(1);
    sl->setHorizontalSpacing(3);
    struct Row {
        QLabel** Label;
        const char* Name;
        ChaserOutcome Outcome;
        const char* Caption;
    };
    const Row rows[] = {
        {&StatHome, "StatHome", ChaserOutcome::NotChasing, "Not chasing"},
        {&StatAwait, "StatAwait", ChaserOutcome::Awaiting, "Awaiting storms"},
        {&StatEmpty, "StatEmpty", ChaserOutcome::EmptyHanded, "Empty handed"},
        {&StatSvr, "StatSvr", ChaserOutcome::CaughtStorm, "Caught a storm"},
        {&StatTor, "StatTor", ChaserOutcome::CaughtTornado, "Caught tornado"},
        {&StatBust, "StatBust", ChaserOutcome::Busted, "Busted"},
        {&StatRange, "StatRange", ChaserOutcome::OutOfRange, "Out of range"},
    };
    int r = 0;
    for (const Row& row : rows) {
        auto* count = new QLabel(QStringLiteral("0"), Panel2);
        count->setObjectName(QString::fromLatin1(row.Name));
        QFont bold(QStringLiteral("Sans Serif"));
        bold.setPointSize(10);
        bold.setBold(true);
        count->setFont(bold);
        count->setFixedWidth(22);
        count->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* icon = new QLabel(Panel2);
        icon->setPixmap(QPixmap::fromImage(ChaserIcon(row.Outcome)));
        icon->setFixedSize(ChaserIconSize, ChaserIconSize);
        auto* caption = new QLabel(QString::fromLatin1(row.Caption), Panel2);
        QFont small = caption->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        caption->setFont(small);
        sl->addWidget(count, r, 0);
        sl->addWidget(icon, r, 1);
        sl->addWidget(caption, r, 2);
        *row.Label = count;
        ++r;
    }
    col->addWidget(Panel2);

    RevealDateButton = new QPushButton(QStringLiteral("Reveal the case date"), panel);
    RevealDateButton->setObjectName(QStringLiteral("RevealDateButton"));
    click(RevealDateButton, &TfMainForm::RevealDateButtonClick);
    col->addWidget(RevealDateButton);

    auto hidden = [&](QPushButton*& b, const char* name, void (TfMainForm::*slot)()) {
        b = new QPushButton(QString::fromLatin1(name), panel);
        b->setObjectName(QString::fromLatin1(name));
        b->setVisible(false);
        click(b, slot);
        col->addWidget(b);
    };
    hidden(ShowBuffer, "ShowBuffer", &TfMainForm::ShowBufferClick);
    hidden(BuildDataFilesButton, "BuildDataFilesButton", &TfMainForm::BuildDataFilesButtonClick);
    hidden(BuildManifest, "BuildManifest", &TfMainForm::BuildManifestClick);
    hidden(DeleteAreaFiles, "DeleteAreaFiles", &TfMainForm::DeleteAreaFilesClick);
    col->addStretch(1);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(panel);
    row->addWidget(ScrollBox1, 1);
    setCentralWidget(central);
}

void TfMainForm::BuildView() {
    ScrollBox1 = new QScrollArea(this);
    ScrollBox1->setObjectName(QStringLiteral("ScrollBox1"));
    ScrollBox1->setWidgetResizable(false);
    ScrollBox1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollContent = new QWidget;
    ScrollContent->setObjectName(QStringLiteral("ScrollContent"));
    Image1 = new ImageView(ScrollContent);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(0, 0);
    Image1->ResizePicture(1, 1);
    BufImg = new ImageView(ScrollContent);
    BufImg->setObjectName(QStringLiteral("BufImg"));
    BufImg->move(0, 0);
    BufImg->ResizePicture(1, 1);
    BufImg->hide();
    ScrollBox1->setWidget(ScrollContent);
    // The scrolled content follows the picture's size, so scroll bars appear exactly
    // when the picture is larger than the visible area.
    auto follow = [this] {
        ScrollContent->resize(
            std::max(Image1->width(), BufImg->isVisible() ? BufImg->width() : 0),
            std::max(Image1->height(), BufImg->isVisible() ? BufImg->height() : 0));
    };
    connect(Image1, &ImageView::MouseDown, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
                Guard([&] { Image1MouseDown(b, s, x, y); });
            });
    connect(Image1, &ImageView::MouseMove, this, [this](Qt::KeyboardModifiers s, int x, int y) {
        Guard([&] { Image1MouseMove(s, x, y); });
    });
    connect(Image1, &ImageView::MouseUp, this,
            [this](Qt::MouseButton b, Qt::KeyboardModifiers s, int x, int y) {
                Guard([&] { Image1MouseUp(b, s, x, y); });
            });
    connect(Image1, &ImageView::Wheel, this,
            [this](int steps, int x, int y) { Guard([&] { Image1Wheel(steps, x, y); }); });
    connect(Image1, &ImageView::Resized, this, follow);
    connect(BufImg, &ImageView::Resized, this, follow);
    // A fitted chart follows the view when the window (or the panel beside it) resizes.
    new EventHook(ScrollBox1, QEvent::Resize, [this] {
        if (Fitchartstowindow1 && Fitchartstowindow1->isChecked())
            Guard([this] { UpdateChartFit(); });
    });
    // The cursor's place is stale once the pointer is off the map; any other status
    // (the polygon's size, a measurement) stays.
    new EventHook(Image1, QEvent::Leave, [this] {
        static const QRegularExpression readout(QStringLiteral(R"(^\d+\.\d[NS] \d+\.\d[EW]( |$))"));
        if (session_.Kind == ChartKind::TargetMap && readout.match(StatusPanel2->text()).hasMatch())
            StatusPanel2->clear();
    });

    StatusPanel1 = new QLabel(this);
    StatusPanel1->setObjectName(QStringLiteral("StatusPanel1"));
    StatusPanel1->setFixedWidth(100);
    StatusPanel1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StatusPanel2 = new QLabel(this);
    StatusPanel2->setObjectName(QStringLiteral("StatusPanel2"));
    StatusPanel2->setMinimumWidth(50);
}

void TfMainForm::BuildStatusBar() {
    // The status bar measures its font as it is made.
    statusBar()->addWidget(StatusPanel1);
    statusBar()->addWidget(StatusPanel2, 1);
}

void TfMainForm::FormCreate() {
    // The folders come first, before any widget.
    SettleFolders(session_.Folders, SystemFolderEnvironment(), *prompts_,
                  [this](DataFolders&) { LocateDataDisc(); });
    // Temporaries a kill left behind in the folder the program writes most.
    RemoveStaleTemporaries(session_.Folders.AppDataDirectory);
    // The per-user folder is filled with the shipped files it lacks once the window is
    // up (StartFolderSettling). Until a copy is made, and where one cannot be made, the
    // file is read where it was installed: a copy takes its name only when whole, so
    // nothing read meanwhile misses a file or finds half of one.
    perUserFolder_ = session_.Folders.AppDataDirectory;
    QDir().mkpath(perUserFolder_); // the working copy is written there from the first show
    if (!session_.Folders.DevelopmentMode) {
        const QString installed = InstalledDataFolder(QCoreApplication::applicationDirPath());
        if (!installed.isEmpty()) {
            shippedFolder_ = installed + QStringLiteral("appdata/");
            SetShippedCopies(perUserFolder_, shippedFolder_);
        }
    }
    if (ProgramStarting()) {
        // The picture the first show puts up: the newest visible satellite frame at the
        // default case day's noon, decoded from now on, beside the window's building,
        // rather than after the window's layout. The show takes it only if it asks for
        // this file.
        SimClock clock;
        SetInitialClock(clock);
        const QStringList frames =
            BuildFrameList(WithSeparator(session_.Folders.CaseDirectory),
                           FrameMask(ChartKind::VisibleSatellite), clock.SimulationTime);
        if (!frames.isEmpty() && frames.back().contains(QStringLiteral("jpg")))
            DecodeFirstPictureAhead(WithSeparator(session_.Folders.CaseDirectory) + frames.back());
    }
    // The view measures no text; the left panel's group boxes and the status bar do, and
    // wait for the font configuration (Qt then waits on its own lock while the font
    // thread fills its database). The first text set on a widget, and the menu bar, wait
    // for the session bus, which is being connected meanwhile.
    BuildView();
    AwaitFontLoading();
    BuildLeftPanel();
    BuildStatusBar();
    BuildMenus();
    ResetSession();
}

void TfMainForm::StartFolderSettling() {
    if (folderNotice_.valid()) return; // once per run
    const QString shipped = shippedFolder_;
    const QString appData = perUserFolder_;
    const QString preferences = QFileInfo(PreferenceStore().fileName()).absolutePath();
    folderNotice_ = std::async(std::launch::async, [this, shipped, appData, preferences] {
        // What an installer does: fill the per-user folder with the shipped files it
        // lacks, never overwriting one.
        QStringList notCopied;
        if (!shipped.isEmpty()) SeedFolder(shipped, appData, &notCopied);
        // A folder that refuses writes is said once; the program then runs without what
        // it would have kept there.
        QStringList notices{
            RefusedFolderText(
                appData, !FolderTakesWrites(appData),
                QStringLiteral("the map cache and the working copy of the storm reports"),
                notCopied),
            RefusedFolderText(preferences, !FolderTakesWrites(preferences),
                              QStringLiteral("your preferences (window place, warning sounds, "
                                             "disc folder)"),
                              {})};
        notices.removeAll(QString());
        // Said from the window's own thread, at its next turn of the event loop (the
        // window waits for this thread before it goes, so it is still there).
        QMetaObject::invokeMethod(
            this, [this] { Guard([this] { SayFolderNotice(); }); }, Qt::QueuedConnection);
        return notices.join(QStringLiteral("\n\n"));
    });
}

void TfMainForm::SayFolderNotice() {
    if (!folderNotice_.valid()) return;
    const QString notice = folderNotice_.get();
    if (!notice.isEmpty()) prompts_->Warning(notice);
}

void TfMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    Guard([this] { FormShow(); });
    // The per-user folder is filled after the window is up: its copies, each made safe
    // on the disk, are nothing the first sight of the window needs.
    QMetaObject::invokeMethod(
        this, [this] { Guard([this] { StartFolderSettling(); }); }, Qt::QueuedConnection);
}

void TfMainForm::FormShow() {
    QSettings store = PreferenceStore();
    const WindowPlacement p = ReadPlacement(store);
    // A stored place off every screen would open a window nobody can reach.
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QScreen* primary = QGuiApplication::primaryScreen();
    // The development buttons first: showing them later grows the window's minimum
    // size, and the resize that follows would take the window out of its maximized state.
    if (session_.Folders.DevelopmentMode) {
        BuildDataFilesButton->setVisible(true);
        BuildManifest->setVisible(true);
        DeleteAreaFiles->setVisible(true);
        ShowBuffer->setVisible(true);
    }
    normalOuter_ =
        QRect(PlaceOnAScreen(p, screens, primary ? primary->availableGeometry() : QRect()),
              QSize(p.Width, p.Height));
    ApplyNormalOuter();
    if (p.Maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    else
        setWindowState(windowState() & ~Qt::WindowMaximized);
    UpdateSoundMenuItem();

    SetInitialClock(session_.Clock);
    UpdateTimeDisplay();
    session_.Rng.SeedFromClock();
    Image1->move(0, 0);
    session_.Polygon.MarkAbsent();
    session_.Kind = ChartKind::VisibleSatellite;
    RefreshWorkingReports();
    RefreshView(false);
}

QMargins TfMainForm::FrameMargins() const {
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

void TfMainForm::ApplyNormalOuter() {
    // The stored size and position are the outer ones (frame included): the inner size is
    // what remains inside the frame, and a window's move places its frame.
    const QMargins frame = FrameMargins();
    resize(std::max(1, normalOuter_.width() - frame.left() - frame.right()),
           std::max(1, normalOuter_.height() - frame.top() - frame.bottom()));
    move(normalOuter_.topLeft());
    // Before the window manager has framed the window its frame is not known, and on the
    // way back from maximized the frame of the maximized window is still reported for a
    // moment: no event says when the frame is right. Look a few times a second for a
    // while, and apply the geometry again until the frame has it.
    placementPending_ = true;
    placementChecks_ = 0;
    placementTimer_.start(100);
}

void TfMainForm::SettlePlacement() {
    if (!placementPending_) placementTimer_.stop();
    if (!placementPending_ || FrameMargins().isNull()) return;
    if (isMaximized() || isMinimized()) return; // applied when the window is normal again
    if (frameGeometry() == normalOuter_) {
        placementPending_ = false;
        normalMargins_ = FrameMargins();
        placementTimer_.stop();
        return;
    }
    const int checks = placementChecks_;
    ApplyNormalOuter();
    placementChecks_ = checks; // the checks go on counting
}

void TfMainForm::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange) return;
    if (isMaximized() || isMinimized()) {
        // The normal geometry the window leaves, frame included, to come back to: the
        // frame of the normal window, since a maximized window's frame is another.
        if (!placementPending_ && !normalMargins_.isNull())
            normalOuter_ = normalGeometry().marginsAdded(normalMargins_);
        return;
    }
    ApplyNormalOuter();
}

void TfMainForm::closeEvent(QCloseEvent* event) {
    QSettings store = PreferenceStore();
    WindowPlacement p;
    // The outer geometry of the normal state: a maximized window keeps it for its return,
    // and until the frame was known it is still the one read at show.
    QRect normal = frameGeometry();
    if (isMaximized()) normal = normalOuter_; // kept as the window was maximized
    p.Height = normal.height();
    p.Width = normal.width();
    p.Left = normal.left();
    p.Top = normal.top();
    p.Maximized = isMaximized();
    WritePlacement(store, p);
    SatelliteTimer.stop();
    ReportsTimer.stop();
    event->accept();
}

void TfMainForm::LocateDataDisc() {
    prompts_->Information(
        QStringLiteral("In the next screen you must navigate to your CD drive containing Nimbrel "
                       "(inserted) and select the nimbrel-installer.exe file on that drive."));
    const QString picked = pickFile_ ? pickFile_() : QString();
    if (picked.isEmpty()) return;
    ApplyPickedDiscFile(session_.Folders, picked);
    QSettings store = PreferenceStore();
    WriteString(store, QStringLiteral("Window"), QStringLiteral("CaseRoot"),
                session_.Folders.CaseRootDirectory);
}

void TfMainForm::ShowFolders() {
    prompts_->Information(FoldersText(session_.Folders));
}

void TfMainForm::UpdateSoundMenuItem() {
    QSettings store = PreferenceStore();
    SoundItem item{WarningSounds->text(), WarningSoundsTag};
    UpdateSoundItem(store, item);
    WarningSounds->setText(item.Caption);
    WarningSoundsTag = item.Tag;
}

void TfMainForm::WarningSoundsClick() {
    QSettings store = PreferenceStore();
    SoundItem item{WarningSounds->text(), WarningSoundsTag};
    ToggleWarningSounds(store, item);
    WarningSounds->setText(item.Caption);
    WarningSoundsTag = item.Tag;
}

void TfMainForm::ChangeCDlocation1Click() {
    LocateDataDisc();
}
void TfMainForm::Folders1Click() {
    ShowFolders();
}
void TfMainForm::Exit1Click() {
    close();
}

void TfMainForm::About1Click() {
    if (TfAbout* about = Needed(windows_.About)) about->exec();
}

} // namespace nimbrel
