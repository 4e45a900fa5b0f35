#include "cases/urandomcase.h"

#include "cases/case_options.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/centre.h"
#include "ui/guard.h"

namespace nimbrel {

namespace {

QCheckBox* Box(QWidget* parent, const char* name, const QString& caption, bool enabled) {
    auto* b = new QCheckBox(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setChecked(true);
    b->setEnabled(enabled);
    return b;
}

} // namespace

TfRandomCase::TfRandomCase(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("RandomCase"));
    setWindowTitle(QStringLiteral("Load random case"));
    setFixedSize(445, 520);
    ownRng_.SeedFromClock();

    auto* layout = new QVBoxLayout(this);
    auto* groups = new QHBoxLayout;

    GroupBox1 = new QGroupBox(QStringLiteral("Select event type"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    auto* events = new QVBoxLayout(GroupBox1);
    EventAny = Box(GroupBox1, "EventAny", QStringLiteral("Any"), true);
    EventNull = Box(GroupBox1, "EventNull", QStringLiteral("Weak storms or bust event"), false);
    EventSevere = Box(GroupBox1, "EventSevere", QStringLiteral("Severe event"), false);
    EventTornado = Box(GroupBox1, "EventTornado", QStringLiteral("Tornado event"), false);
    for (QCheckBox* b : {EventAny, EventNull, EventSevere, EventTornado})
        events->addWidget(b);
    events->addStretch();
    eventBoxes_ = {{{EventNull, 'N'}, {EventSevere, 'S'}, {EventTornado, 'T'}}};

    GroupBox2 = new QGroupBox(QStringLiteral("Select weather regime"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    auto* regimes = new QVBoxLayout(GroupBox2);
    regimes->setSpacing(2);
    RegimeAny = Box(GroupBox2, "RegimeAny", QStringLiteral("Any"), true);
    RegimeDryline = Box(GroupBox2, "RegimeDryline", QStringLiteral("Dryline"), false);
    RegimeColdCore = Box(GroupBox2, "RegimeColdCore", QStringLiteral("Cold core low"), false);
    RegimeFrontal = Box(GroupBox2, "RegimeFrontal", QStringLiteral("Frontal system"), false);
    RegimeNorthwest = Box(GroupBox2, "RegimeNorthwest", QStringLiteral("Northwest flow"), false);
    RegimeOutflow = Box(GroupBox2, "RegimeOutflow", QStringLiteral("Outflow boundary"), false);
    RegimeMCS = Box(GroupBox2, "RegimeMCS", QStringLiteral("MCS"), false);
    RegimeUpslope = Box(GroupBox2, "RegimeUpslope", QStringLiteral("Upslope flow"), false);
    RegimeDerecho = Box(GroupBox2, "RegimeDerecho", QStringLiteral("Derecho"), false);
    RegimeHighRisk = Box(GroupBox2, "RegimeHighRisk", QStringLiteral("SPC high risk"), false);
    regimeBoxes_ = {{{RegimeDryline, 'D'},
                     {RegimeColdCore, 'C'},
                     {RegimeFrontal, 'F'},
                     {RegimeNorthwest, 'W'},
                     {RegimeOutflow, 'O'},
                     {RegimeMCS, 'M'},
                     {RegimeUpslope, 'U'},
                     {RegimeDerecho, 'Z'},
                     {RegimeHighRisk, 'H'}}};
    regimes->addWidget(RegimeAny);
    for (const LetterBox& b : regimeBoxes_)
        regimes->addWidget(b.Box);

    groups->addWidget(GroupBox1, 1);
    groups->addWidget(GroupBox2, 1);
    layout->addLayout(groups);

    layout->addWidget(new QLabel(QStringLiteral("Range of years (inclusive)"), this));
    auto* years = new QHBoxLayout;
    YearMin = new QLineEdit(QStringLiteral("1979"), this);
    YearMin->setObjectName(QStringLiteral("YearMin"));
    YearMax = new QLineEdit(QStringLiteral("2009"), this);
    YearMax->setObjectName(QStringLiteral("YearMax"));
    for (QLineEdit* e : {YearMin, YearMax})
        e->setFixedWidth(60);
    years->addWidget(YearMin);
    years->addWidget(new QLabel(QStringLiteral("to"), this));
    years->addWidget(YearMax);
    years->addStretch();
    layout->addLayout(years);

    auto* rankingLabel = new QLabel(
        QStringLiteral(
            "Minimum ranking for event (busts do not necessarily  count as \"minimal events\")"),
        this);
    rankingLabel->setWordWrap(true);
    layout->addWidget(rankingLabel);
    SignificanceCombo = new QComboBox(this);
    SignificanceCombo->setObjectName(QStringLiteral("SignificanceCombo"));
    SignificanceCombo->addItems({QStringLiteral("(all events)"), QStringLiteral("Minimal"),
                                 QStringLiteral("Noteworthy"), QStringLiteral("Major"),
                                 QStringLiteral("Significant"),
                                 QStringLiteral("Highly significant")});
    layout->addWidget(SignificanceCombo);

    const CaseOptionControls options = AddCaseOptions(this, layout);
    HideDate = options.HideDate;
    StartCaseInMorning = options.StartCaseInMorning;
    OKButton = options.OKButton;
    CancelButton = options.CancelButton;

    // Only the user's clicks switch the groups; setting a box from code does not.
    connect(EventAny, &QCheckBox::clicked, this, &TfRandomCase::EventAnyClick);
    connect(RegimeAny, &QCheckBox::clicked, this, &TfRandomCase::RegimeAnyClick);
    connect(OKButton, &QPushButton::clicked, this, &TfRandomCase::OKButtonClick);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TfRandomCase::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CentreOnScreen(*this);
    SignificanceCombo->setCurrentIndex(0);
    dialogResult_.clear();
}

void TfRandomCase::EventAnyClick(bool checked) {
    for (const LetterBox& b : eventBoxes_) {
        b.Box->setEnabled(!checked);
        // Leaving "Any" starts from the usual choice, severe events only.
        b.Box->setChecked(checked || b.Box == EventSevere);
    }
}

void TfRandomCase::RegimeAnyClick(bool checked) {
    for (const LetterBox& b : regimeBoxes_) {
        b.Box->setEnabled(!checked);
        if (checked) b.Box->setChecked(true);
    }
}

CaseFilter TfRandomCase::Filter() const {
    CaseFilter f;
    f.MinimumRanking = SignificanceCombo->currentIndex();
    f.YearMin = YearMin->text();
    f.YearMax = YearMax->text();
    for (const LetterBox& b : eventBoxes_)
        if (b.Box->isChecked()) f.EventLetters += b.Letter;
    for (const LetterBox& b : regimeBoxes_)
        if (b.Box->isChecked()) f.RegimeLetters += b.Letter;
    return f;
}

void TfRandomCase::OKButtonClick() {
    // A catalogue that cannot be read is reported and the dialog stays open.
    Guarded(this, [this] {
        dialogResult_ = RandomCasePick(catalogPath_, Filter(), rng_ ? *rng_ : ownRng_);
        accept();
    });
}

} // namespace nimbrel
