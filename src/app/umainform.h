#pragma once
// The main window: owns the Session and the widgets, and forwards every user action
// to a core operation. Its methods are implemented by subsystem in
//   app/umainform.cpp        construction, start-up, folders, preferences, About, Exit
//   cases/mainform_cases.cpp case loading, reset, debrief, catalogue builder button
//   sim/mainform_sim.cpp     time display, hourly advance
//   viewer/mainform_viewer.cpp  refresh, frames, player, views, printing, cleanup button
//   map/mainform_map.cpp     basemap, pan/zoom, polygon editing, chaser layer
//   reports/mainform_reports.cpp  report layer, report timer, extraction button
//   products/mainform_products.cpp  issuing products
#include <array>
#include <functional>
#include <future>
#include <memory>
#include <vector>

#include <QMainWindow>
#include <QMargins>
#include <QRect>
#include <QTimer>

#include "app/session.h"
#include "base/prompts.h"
#include "map/measure.h"
#include "products/places.h"

class QAction;
class QGroupBox;
class QLabel;
class QMenu;
class QPushButton;
class QScrollArea;
class QSlider;
class QStatusBar;
class QToolButton;
class QPrinter;
class QShortcut;

namespace nimbrel {

class ImageView;
class StationMarker;
class TfProduct;
class TfLoadCase;
class TfRandomCase;
class TfAbout;
class TfInformation;
class TfScore;
class TfNotes;
class SoundPlayer;

/// The other five windows. Each lives from when it is made until the program ends.
struct Windows {
    TfProduct* Product = nullptr;
    TfLoadCase* LoadCase = nullptr;
    TfRandomCase* RandomCase = nullptr;
    TfAbout* About = nullptr;
    TfInformation* Information = nullptr;
};

class TfMainForm : public QMainWindow {
    Q_OBJECT
public:
    /// Runs the creation step: development switch, folders, session reset. Message
    /// boxes go through `prompts` (message boxes when null) and the locate step's
    /// file dialog through `filePicker` (the file-open dialog when empty), so that
    /// tests can stage start-up.
    explicit TfMainForm(QWidget* parent = nullptr, std::unique_ptr<Prompts> prompts = nullptr,
                        std::function<QString()> filePicker = {});
    ~TfMainForm() override;

    /// Hands over the other windows, made by the caller (tests stage them this way).
    void SetWindows(const Windows& windows) { windows_ = windows; }
    /// The program's way: a window not handed over is made the first time it is needed,
    /// so that start-up makes only the main window and the trainee sees it sooner.
    void MakeWindowsWhenNeeded() { makeWindows_ = true; }
    const Windows& OtherWindows() const { return windows_; }

    Session& State() { return session_; }
    const Session& State() const { return session_; }

    /// Replaces the message boxes (tests use a recorder). Takes ownership.
    void SetPrompts(std::unique_ptr<Prompts> prompts) { prompts_ = std::move(prompts); }
    Prompts& Ask() { return *prompts_; }
    /// Replaces the file-open dialog of the locate step; returns the picked path or "".
    void SetFilePicker(std::function<QString()> picker) { pickFile_ = std::move(picker); }

    // ---- operations shared between subsystems -------------------------------------
    void RefreshView(bool fromReportTimer);
    int LoadFrames(const QString& mask);
    void FrameCommand(FrameCommandKind command);
    void ShowFrame(const QString& fileName);
    void ShowStationMap();
    void RemoveStationMarkers();
    void EnableLoopButtons(bool enabled);
    void DrawBasemap();
    void DrawChasers();
    void DrawReports(int flash);
    void ReprojectPolygon();
    void HourlyAdvance();
    void LoadCase(const QString& line, bool hideDate, bool startInMorning);
    void ResetSession();
    void UpdateTimeDisplay();
    void UpdateProductMenu();
    /// "E&xercise score..." is usable only while the case date is shown.
    void UpdateScoreMenuItem();
    void LocateDataDisc();
    void ShowFolders();
    void UpdateSoundMenuItem();
    /// Brings the working copy of "rpt.dat" in line with the case's own file.
    void RefreshWorkingReports();
    QString CatalogPath() const;

    // ---- widgets (public so the subsystem files and the GUI tests reach them) -------
    QMenu* FileMenu = nullptr;
    QMenu* ViewMenu = nullptr;
    QMenu* ForecastMenu = nullptr;
    QMenu* MapMenu = nullptr;
    QMenu* HelpMenu = nullptr;
    QAction* Loadcase1 = nullptr;
    QAction* Loadrandomcase1 = nullptr;
    QAction* Showsummaryanddiscussion1 = nullptr;
    QAction* Exercisescore1 = nullptr;
    QAction* Copygraphictoclipboard1 = nullptr;
    QAction* Exportloopasgif1 = nullptr;
    QAction* Print1 = nullptr;
    QAction* Printersetup1 = nullptr;
    QAction* ChangeCDlocation1 = nullptr;
    QAction* Folders1 = nullptr;
    QAction* Exit1 = nullptr;
    QAction* Targeting1 = nullptr;
    QAction* Visiblesatellite1 = nullptr;
    QAction* SurfaceAnalysis1 = nullptr;
    QAction* N850mb1 = nullptr;
    QAction* N700mb1 = nullptr;
    QAction* N500mb1 = nullptr;
    QAction* N250mb1 = nullptr;
    QAction* Sounding1 = nullptr;
    QAction* Forecastnotes1 = nullptr;
    QAction* Advancetonexthour1 = nullptr;
    QAction* WarningSounds = nullptr;
    int WarningSoundsTag = 0;
    QAction* SlightRisk1 = nullptr;
    QAction* ModerateRisk1 = nullptr;
    QAction* HighRisk1 = nullptr;
    QAction* SevereWatch1 = nullptr;
    QAction* TornadoWatch1 = nullptr;
    QAction* North1 = nullptr;
    QAction* South1 = nullptr;
    QAction* East1 = nullptr;
    QAction* West1 = nullptr;
    QAction* Zoomin1 = nullptr;
    QAction* Zoomout1 = nullptr;
    QAction* Measuredistance1 = nullptr;
    QAction* Cities1 = nullptr;            ///< Map: city names drawn into the basemap
    QAction* Issuedproducts1 = nullptr;    ///< Map: the case's issued products outlined
    QAction* Fitchartstowindow1 = nullptr; ///< View: chart frames scaled to the view
    QAction* About1 = nullptr;

    QLabel* CurDateLabel = nullptr;
    QLabel* CurTimeLabel = nullptr;
    QPushButton* AdvanceHour = nullptr;
    QLabel* ProdDateLabel = nullptr;
    QLabel* ProdTimeLabel = nullptr;
    QToolButton* PlayRevButton = nullptr;
    QToolButton* StepRevButton = nullptr;
    QToolButton* PauseButton = nullptr;
    QToolButton* StepFwdButton = nullptr;
    QToolButton* PlayFwdButton = nullptr;
    QLabel* FramesLoaded = nullptr;
    QSlider* LoopSpeed = nullptr;
    QLabel* LoopSpeedText = nullptr;
    QSlider* DwellSpeed = nullptr;
    QLabel* DwellSpeedText = nullptr;
    QGroupBox* Panel2 = nullptr;
    QLabel* StatHome = nullptr;
    QLabel* StatAwait = nullptr;
    QLabel* StatEmpty = nullptr;
    QLabel* StatSvr = nullptr;
    QLabel* StatTor = nullptr;
    QLabel* StatBust = nullptr;
    QLabel* StatRange = nullptr;
    QPushButton* RevealDateButton = nullptr;
    QPushButton* ShowBuffer = nullptr;
    QPushButton* BuildDataFilesButton = nullptr;
    QPushButton* BuildManifest = nullptr;
    QPushButton* DeleteAreaFiles = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    QWidget* ScrollContent = nullptr;
    ImageView* Image1 = nullptr;
    ImageView* BufImg = nullptr; ///< hidden; its picture is BasemapBitmap
    QLabel* StatusPanel1 = nullptr;
    QLabel* StatusPanel2 = nullptr;

    QTimer SatelliteTimer;
    QTimer ReportsTimer;

    std::array<StationMarker*, 20> StationMarkers{};
    bool StationMarkersExist = false;
    /// The printer of the run: settings chosen in printer setup apply to later prints.
    /// Created at first use (shared_ptr, so this header needs no printing include).
    std::shared_ptr<QPrinter> ThePrinter;
    /// The measuring mode of the target map (drawn over the view, never into it).
    MeasureState Measuring;
    /// Asks where the loop GIF goes, given a suggested file name; "" cancels. The save
    /// dialog when empty (tests replace it).
    std::function<QString(const QString&)> PickExportFile;
    /// Ends the measuring mode and takes its line off the view.
    void EndMeasuring();
    /// The city list the target map names and the read-out describes with, read from the
    /// per-user folder at the first map drawn for it (empty when the folder has none).
    std::vector<City> MapCities;
    QString MapCitiesFolder;
    std::uint32_t MapCitiesHash = 0;
    /// A middle- or right-button drag panning the target map, in view pixels.
    struct PanDragState {
        bool Active = false;
        Qt::MouseButton Button = Qt::NoButton;
        int FromX = 0, FromY = 0, ToX = 0, ToY = 0;
    } PanDrag;
    /// The Exercise score window, made at its first showing.
    TfScore* ScoreWindow = nullptr;
    /// The forecast notebook, made at its first showing.
    TfNotes* NotesWindow = nullptr;

public slots:
    // File
    void Loadcase1Click();
    void Loadrandomcase1Click();
    void Showsummaryanddiscussion1Click();
    void Exercisescore1Click();
    void Copygraphictoclipboard1Click();
    void Exportloopasgif1Click();
    void Print1Click();
    void Printersetup1Click();
    void ChangeCDlocation1Click();
    void Folders1Click();
    void Exit1Click();
    // View
    void Targeting1Click();
    void Visiblesatellite1Click();
    void SurfaceAnalysis1Click();
    void N850mb1Click();
    void N700mb1Click();
    void N500mb1Click();
    void N250mb1Click();
    void Sounding1Click();
    void Forecastnotes1Click();
    // Forecast
    void Advancetonexthour1Click();
    void WarningSoundsClick();
    void IssueProduct(QAction* sender);
    // Map
    void North1Click();
    void South1Click();
    void East1Click();
    void West1Click();
    void Zoomin1Click();
    void Zoomout1Click();
    void Measuredistance1Click();
    void Cities1Click();
    void Issuedproducts1Click();
    void Fitchartstowindow1Click();
    // Help
    void About1Click();
    // Left panel
    void AdvanceHourClick();
    void PlayRevButtonClick();
    void StepRevButtonClick();
    void PauseButtonClick();
    void StepFwdButtonClick();
    void PlayFwdButtonClick();
    void LoopSpeedChange();
    void DwellSpeedChange();
    void RevealDateButtonClick();
    void ShowBufferClick();
    void BuildDataFilesButtonClick();
    void BuildManifestClick();
    void DeleteAreaFilesClick();
    // Timers and mouse
    void SatelliteTimerTimer();
    void ReportsTimerTimer();
    void Image1MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    void Image1MouseMove(Qt::KeyboardModifiers shift, int x, int y);
    void Image1MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y);
    /// Wheel notches over the target map (positive away from the user: zoom in).
    void Image1Wheel(int steps, int x, int y);
    void SkewMouseDown(nimbrel::StationMarker* sender);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenus();
    void BuildLeftPanel();
    void BuildView();
    void BuildStatusBar();
    void FormCreate();
    void FormShow();
    /// Settles the per-user folder on a thread of its own: fills it with the shipped
    /// files it lacks and checks that it and the preferences' folder take writes.
    void StartFolderSettling();
    /// Says what settling the per-user folder found (a folder that refuses writes, files
    /// not copied); called from the settling thread when it is done.
    void SayFolderNotice();
    /// The frame around the window as the window system has it (null until known).
    QMargins FrameMargins() const;
    /// Gives the normal window the outer geometry `normalOuter_`, and looks again until
    /// the window manager's frame has it.
    void ApplyNormalOuter();
    /// Applies the normal geometry again while the frame does not have it yet.
    void SettlePlacement();
    /// Runs a handler body through the general error guard.
    void Guard(const std::function<void()>& body);
    /// Shared by the View menu's chart items.
    /// Checks `item`, sets the mode and refreshes; when a chart cannot be shown, the
    /// mode and the check go back to the view still on screen.
    void SwitchView(QAction* item, ChartKind kind, bool stopLoop);
    /// Shared by the player buttons: the 1200 UTC message, then the command.
    void PlayerButton(FrameCommandKind command);
    void PanOrZoom(const std::function<void(ProjectionDescriptor&)>& change);
    /// Reads the city list when the per-user folder changed since it was read.
    void ReadMapCities();
    /// What the basemap draws over the geography (cities, scale bar) and its cache stamp.
    BasemapExtras MapExtras();
    /// The issued products on the buffer, under the trainee's polygon.
    void DrawIssuedProductsLayer();
    /// Scales chart frames to the view when "Fit charts to window" is on.
    void UpdateChartFit();
    /// The measuring item is enabled on the target map only; leaving the map ends the mode.
    void UpdateMeasureItem();
    void ShowMeasurement();
    /// The mouse while measuring; false when the mode is off and the event is the
    /// polygon's.
    bool MeasurePress(Qt::MouseButton button, int x, int y);
    bool MeasureMove(int x, int y);
    bool MeasureRelease();

    Session session_;
    Windows windows_;
    bool makeWindows_ = false;
    /// The window in `slot`, made now when it is missing and windows are made on need;
    /// null when neither.
    template <typename Window> Window* Needed(Window*& slot);
    std::unique_ptr<Prompts> prompts_;
    std::function<QString()> pickFile_;
    bool shown_ = false;
    QString perUserFolder_; ///< the per-user folder as settled at start
    QString shippedFolder_; ///< the installed copies of the per-user files ("" for none)
    /// The per-user folder's settling, started once the window is up: the warning to
    /// give, "" for none.
    std::future<QString> folderNotice_;
    QShortcut* endMeasuring_ = nullptr;
    QRect normalOuter_;             ///< the normal outer geometry, kept while maximized
    bool placementPending_ = false; ///< the frame does not have normalOuter_ yet
    QMargins normalMargins_;        ///< the frame of the normal window, once seen
    QTimer placementTimer_;         ///< looks for the frame while the placement is pending
    int placementChecks_ = 0;
};

} // namespace nimbrel
