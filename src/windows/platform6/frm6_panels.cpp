// The panels of the platform-6 window: functions, outputs, the digital output and trigger,
// and the application panels of the VAV, sequential and "6v3" versions.
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedLayout>

#include "windows/control_names.h"
#include "windows/edit_field.h"
#include "windows/platform5/shape_picture.h"
#include "windows/platform6/frm6.h"
#include "windows/platform6/frm6_widgets.h"

namespace kelvo {

namespace {
QFrame* panel(QWidget* parent, const QString& name) {
    auto* frame = named(new QFrame(parent), name);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}
QLabel* caption(const char* text, QWidget* parent) {
    return new QLabel(QString::fromUtf8(text), parent);
}
QLineEdit* display(QWidget* parent, const QString& name) {
    auto* field = named(new QLineEdit(parent), name);
    field->setReadOnly(true);
    setDisplayColours(field);
    return field;
}
}  // namespace

QWidget* frm6::buildFunctionPanel(int i) {
    QFrame* p = pctFunction[i] = panel(this, indexed("pctFunction", i));
    auto* grid = new QGridLayout(p);
    grid->setVerticalSpacing(2);
    auto make = [&](auto* widget, const char* name) { return named(widget, indexed(name, i)); };
    lblFunctionName[i] = make(new QLabel(QStringLiteral("F%1").arg(i + 1), p), "lblFunctionName");
    lblFchannel[i] = make(new QLabel(p), "lblFchannel");
    lblFchannel[i]->setFrameShape(QFrame::Box);  // shpFchannel: a pick list
    lblFchannel[i]->setMinimumWidth(60);
    frm6widgets::styleDisplayLabel(lblFchannel[i]);
    lblFchannel[i]->installEventFilter(this);
    txbFa[i] = make(new QLineEdit(p), "txbFa");
    txbFb[i] = make(new QLineEdit(p), "txbFb");
    lblFaUnit[i] = make(new QLabel(p), "lblFaUnit");
    lblFbUnit[i] = make(new QLabel(p), "lblFbUnit");

    // The twelve pictures share one spot; exactly one is shown.
    auto* shapes = new QWidget(p);
    auto* stack = new QStackedLayout(shapes);
    stack->setStackingMode(QStackedLayout::StackAll);
    for (int k = 0; k < kFunctionShapes; ++k) {
        auto* picture = new ShapePicture(k, shapes);
        picture->setObjectName(indexed(kShapePictureNames[k], i));
        picture->setVisible(false);
        stack->addWidget(picture);
        connect(picture, &ShapePicture::clicked, this, [this, i] {
            FunkTypeUpdate(float(i), true, true, true);
            FormRead();
            FormUpdate();
        });
        functionShape[i][k] = picture;
    }

    grid->addWidget(lblFunctionName[i], 0, 0);
    grid->addWidget(lblFchannel[i], 0, 1, 1, 2);
    grid->addWidget(shapes, 1, 0, 1, 3, Qt::AlignHCenter);
    grid->addWidget(caption("A", p), 2, 0);
    grid->addWidget(txbFa[i], 2, 1);
    grid->addWidget(lblFaUnit[i], 2, 2);
    grid->addWidget(caption("B", p), 3, 0);
    grid->addWidget(txbFb[i], 3, 1);
    grid->addWidget(lblFbUnit[i], 3, 2);
    auto* routing = new QGridLayout();
    for (int j = 0; j < kOutputs; ++j) {
        cbxFout[j][i] = named(new QCheckBox(QStringLiteral("Out %1").arg(j + 1), p),
                              indexed(QStringLiteral("cbxFout%1").arg(j + 1), i));
        routing->addWidget(cbxFout[j][i], j / 2, j % 2);
        // Routing may make the function drive a digital output, and change its shapes.
        connect(cbxFout[j][i], &QCheckBox::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }
    grid->addLayout(routing, 4, 0, 1, 3);
    return p;
}

QWidget* frm6::buildOutputPanel(int j) {
    QFrame* p = pctOut[j] = panel(this, indexed("pctOut", j));
    auto* grid = new QGridLayout(p);
    grid->setVerticalSpacing(2);
    lblOutName[j] =
        named(new QLabel(QStringLiteral("Out %1").arg(j + 1), p), indexed("lblOutName", j));
    pctOut6[j] = named(new QFrame(p), indexed("pctOut6", j));
    auto* options = new QHBoxLayout(pctOut6[j]);
    options->setContentsMargins(0, 0, 0, 0);
    optOut6Analog[j] = named(
        new QRadioButton(j < 2 ? QStringLiteral("Analog") : QStringLiteral("Normal"), pctOut6[j]),
        indexed("optOut6Analog", j));
    optOut6Digital[j] = named(new QRadioButton(QStringLiteral("Digital"), pctOut6[j]),
                              indexed("optOut6Digital", j));
    optOut6TMO[j] =
        named(new QRadioButton(QStringLiteral("TMO"), pctOut6[j]), indexed("optOut6TMO", j));
    for (QRadioButton* option : {optOut6Analog[j], optOut6Digital[j], optOut6TMO[j]}) {
        options->addWidget(option);
        connect(option, &QRadioButton::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }
    cbxOut6Invert[j] =
        named(new QCheckBox(QStringLiteral("Invert"), p), indexed("cbxOut6Invert", j));
    connect(cbxOut6Invert[j], &QCheckBox::clicked, this, [this] {
        FormRead();
        FormUpdate();
    });
    txbOutOut[j] = display(p, indexed("txbOutOut", j));
    txbOutBaseLine[j] = named(new QLineEdit(p), indexed("txbOutBaseLine", j));
    txbOutIntTime[j] = named(new QLineEdit(p), indexed("txbOutIntTime", j));

    grid->addWidget(lblOutName[j], 0, 0);
    grid->addWidget(pctOut6[j], 0, 1, 1, 4);
    grid->addWidget(caption("Output", p), 1, 0);
    grid->addWidget(txbOutOut[j], 1, 1);
    grid->addWidget(caption("%", p), 1, 2);
    grid->addWidget(cbxOut6Invert[j], 1, 3, 1, 2);
    grid->addWidget(caption("Base line", p), 2, 0);
    grid->addWidget(txbOutBaseLine[j], 2, 1);
    grid->addWidget(caption("%", p), 2, 2);
    grid->addWidget(caption("Int time", p), 2, 3);
    grid->addWidget(txbOutIntTime[j], 2, 4);
    grid->addWidget(caption("s", p), 2, 5);
    return p;
}

QWidget* frm6::buildDigitalPanel() {
    QFrame* p = pctD = panel(this, QStringLiteral("pctD"));
    auto* grid = new QGridLayout(p);
    grid->setVerticalSpacing(2);
    lblDigName = named(caption("Digital output", p), QStringLiteral("lblDigName"));
    cbxDigActive =
        named(new QCheckBox(QStringLiteral("Active"), p), QStringLiteral("cbxDigActive"));
    cbxDigActive->setVisible(false);
    connect(cbxDigActive, &QCheckBox::clicked, this, [this] {
        FormRead();
        FormUpdate();
    });
    txbDigLevel = named(new QLineEdit(p), QStringLiteral("txbDigLevel"));
    pctDigPSign = named(new ShapePicture(kPositiveLevelShape, p), QStringLiteral("pctDigPSign"));
    pctDigNSign = named(new ShapePicture(kNegativeLevelShape, p), QStringLiteral("pctDigNSign"));
    connect(pctDigPSign, &ShapePicture::clicked, this,
            [this] { flipSign(txbDigLevel, pctDigPSign, pctDigNSign, true); });
    connect(pctDigNSign, &ShapePicture::clicked, this,
            [this] { flipSign(txbDigLevel, pctDigPSign, pctDigNSign, false); });
    grid->addWidget(lblDigName, 0, 0, 1, 2);
    grid->addWidget(cbxDigActive, 0, 2, 1, 2);
    grid->addWidget(caption("Level", p), 1, 0);
    grid->addWidget(txbDigLevel, 1, 1);
    grid->addWidget(caption("%", p), 1, 2);
    grid->addWidget(pctDigPSign, 1, 3);
    grid->addWidget(pctDigNSign, 1, 3);
    for (int j = 0; j < kOutputs; ++j) {
        cbxDigout[j] = named(new QCheckBox(QStringLiteral("Out %1").arg(j + 1), p),
                             QStringLiteral("cbxDigout%1").arg(j + 1));
        grid->addWidget(cbxDigout[j], 2, j);
        connect(cbxDigout[j], &QCheckBox::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }
    return p;
}

QWidget* frm6::buildTriggerPanel() {
    QFrame* p = pctDT = panel(this, QStringLiteral("pctDT"));
    auto* grid = new QGridLayout(p);
    grid->setVerticalSpacing(2);
    lblDigTName = named(caption("Digital trigger", p), QStringLiteral("lblDigTName"));
    btnDigTrig = named(new QPushButton(QStringLiteral("trig"), p), QStringLiteral("btnDigTrig"));
    btnDigTrig->setVisible(false);
    connect(btnDigTrig, &QPushButton::clicked, this, &frm6::startTriggerTest);
    txbDigTlevel = named(new QLineEdit(p), QStringLiteral("txbDigTlevel"));
    txbDigTtime = named(new QLineEdit(p), QStringLiteral("txbDigTtime"));
    lblDigTunit = named(new QLabel(QStringLiteral("Sec"), p), QStringLiteral("lblDigTunit"));
    lblDigTunit->setFrameShape(QFrame::Box);
    frm6widgets::styleDisplayLabel(lblDigTunit);
    lblDigTunit->installEventFilter(this);
    // The sign pictures carry the test's moving line (linDigTPsign, linDigTNsign).
    pctDigTPsign = named(new ShapePicture(kPositiveLevelShape, p), QStringLiteral("pctDigTPsign"));
    pctDigTNsign = named(new ShapePicture(kNegativeLevelShape, p), QStringLiteral("pctDigTNsign"));
    connect(pctDigTPsign, &ShapePicture::clicked, this,
            [this] { flipSign(txbDigTlevel, pctDigTPsign, pctDigTNsign, true); });
    connect(pctDigTNsign, &ShapePicture::clicked, this,
            [this] { flipSign(txbDigTlevel, pctDigTPsign, pctDigTNsign, false); });
    grid->addWidget(lblDigTName, 0, 0, 1, 2);
    grid->addWidget(btnDigTrig, 0, 2, 1, 2);
    grid->addWidget(caption("Level", p), 1, 0);
    grid->addWidget(txbDigTlevel, 1, 1);
    grid->addWidget(caption("%", p), 1, 2);
    grid->addWidget(pctDigTPsign, 1, 3, 2, 1);
    grid->addWidget(pctDigTNsign, 1, 3, 2, 1);
    grid->addWidget(caption("Time", p), 2, 0);
    grid->addWidget(txbDigTtime, 2, 1);
    grid->addWidget(lblDigTunit, 2, 2);
    for (int j = 0; j < kOutputs; ++j) {
        cbxDigTout[j] = named(new QCheckBox(QStringLiteral("Out %1").arg(j + 1), p),
                              QStringLiteral("cbxDigTout%1").arg(j + 1));
        grid->addWidget(cbxDigTout[j], 3, j);
        connect(cbxDigTout[j], &QCheckBox::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }
    return p;
}

QWidget* frm6::buildVavPanels() {
    auto* holder = new QWidget(this);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(0, 0, 0, 0);

    QFrame* s = pctSetpV1 = panel(holder, QStringLiteral("pctSetpV1"));
    auto* setPoints = new QGridLayout(s);
    txbSetPV1CO2 = named(new QLineEdit(s), QStringLiteral("txbSetPV1CO2"));
    txbSetPV1Temp = named(new QLineEdit(s), QStringLiteral("txbSetPV1Temp"));
    setPoints->addWidget(caption("Set points", s), 0, 0, 1, 2);
    setPoints->addWidget(caption("CO2", s), 1, 0);
    setPoints->addWidget(txbSetPV1CO2, 1, 1);
    setPoints->addWidget(caption("Temp", s), 2, 0);
    setPoints->addWidget(txbSetPV1Temp, 2, 1);

    QFrame* v = pctOutV1VAV = panel(holder, QStringLiteral("pctOutV1VAV"));
    auto* vav = new QGridLayout(v);
    lblOutV1NameVAV = named(caption("Out 1 VAV CO2", v), QStringLiteral("lblOutV1NameVAV"));
    txbOutV1OutVAV = display(v, QStringLiteral("txbOutV1OutVAV"));
    txbOutV1IntTimeVAV = named(new QLineEdit(v), QStringLiteral("txbOutV1IntTimeVAV"));
    txbUseMin = named(new QLineEdit(v), QStringLiteral("txbUseMin"));
    txbUseMax = named(new QLineEdit(v), QStringLiteral("txbUseMax"));
    auto button = [&](const char* name, const char* text) {
        auto* b = named(new QPushButton(QString::fromLatin1(text), v), QString::fromLatin1(name));
        b->setMaximumWidth(28);
        return b;
    };
    Command1 = button("Command1", "+");
    Command2 = button("Command2", "-");
    Command6 = button("Command6", "+");
    Command5 = button("Command5", "-");
    connect(Command1, &QPushButton::clicked, this,
            [this] { stepVav(txbUseMin, true, kActionVAVMin); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { stepVav(txbUseMin, false, kActionVAVMin); });
    connect(Command6, &QPushButton::clicked, this,
            [this] { stepVav(txbUseMax, true, kActionVAVMax); });
    connect(Command5, &QPushButton::clicked, this,
            [this] { stepVav(txbUseMax, false, kActionVAVMax); });
    // Marks the field whose value the sensor now runs as a test position.
    linÄndra = named(new QFrame(v), QStringLiteral("linÄndra"));
    linÄndra->setFrameShape(QFrame::VLine);
    linÄndra->setLineWidth(3);
    linÄndra->setVisible(false);
    vav->addWidget(lblOutV1NameVAV, 0, 0, 1, 5);
    vav->addWidget(caption("Output", v), 1, 0);
    vav->addWidget(txbOutV1OutVAV, 1, 1);
    vav->addWidget(caption("Output Max", v), 2, 0);
    vav->addWidget(txbUseMax, 2, 1);
    vav->addWidget(Command6, 2, 2);
    vav->addWidget(Command5, 2, 3);
    vav->addWidget(caption("Output Min", v), 3, 0);
    vav->addWidget(txbUseMin, 3, 1);
    vav->addWidget(Command1, 3, 2);
    vav->addWidget(Command2, 3, 3);
    vav->addWidget(linÄndra, 2, 4);
    vav->addWidget(caption("Int time", v), 4, 0);
    vav->addWidget(txbOutV1IntTimeVAV, 4, 1);
    lblVavTest = named(new QLabel(v), QStringLiteral("lblVavTest"));
    lblVavTest->setWordWrap(true);
    QFont bold = lblVavTest->font();
    bold.setBold(true);
    lblVavTest->setFont(bold);
    lblVavTest->setVisible(false);
    vav->addWidget(lblVavTest, 5, 0, 1, 5);

    QFrame* o = pctOutV1 = panel(holder, QStringLiteral("pctOutV1"));
    auto* out = new QGridLayout(o);
    lblOutV1Name = named(caption("Out 2 Temp", o), QStringLiteral("lblOutV1Name"));
    txbOutV1Out = display(o, QStringLiteral("txbOutV1Out"));
    txbOutV1IntTime = named(new QLineEdit(o), QStringLiteral("txbOutV1IntTime"));
    optV1SlopePos = named(new QRadioButton(QStringLiteral("Positive slope"), o),
                          QStringLiteral("optV1SlopePos"));
    optV1SlopeNeg = named(new QRadioButton(QStringLiteral("Negative slope"), o),
                          QStringLiteral("optV1SlopeNeg"));
    for (QRadioButton* option : {optV1SlopePos, optV1SlopeNeg}) {
        connect(option, &QRadioButton::clicked, this, [this] {
            FormRead();
            FormUpdate();
        });
    }
    out->addWidget(lblOutV1Name, 0, 0, 1, 2);
    out->addWidget(caption("Output", o), 1, 0);
    out->addWidget(txbOutV1Out, 1, 1);
    out->addWidget(caption("Int time", o), 2, 0);
    out->addWidget(txbOutV1IntTime, 2, 1);
    out->addWidget(optV1SlopePos, 3, 0, 1, 2);
    out->addWidget(optV1SlopeNeg, 4, 0, 1, 2);

    row->addWidget(s, 0, Qt::AlignTop);
    row->addWidget(v, 0, Qt::AlignTop);
    row->addWidget(o, 0, Qt::AlignTop);
    return holder;
}

QWidget* frm6::buildSequentialPanel() {
    QFrame* p = pctSecCont = panel(this, QStringLiteral("pctSecCont"));
    auto* grid = new QGridLayout(p);
    grid->addWidget(caption("Sequential control settings", p), 0, 0, 1, 2);
    const struct {
        QLineEdit** field;
        const char* name;
        const char* text;
    } rows[] = {{&txbV4SetPCO2, "txbV4SetPCO2", "Set point CO2"},
                {&txbV4SetPtemp, "txbV4SetPtemp", "Set point temp"},
                {&txbV4PrangeVentTemp, "txbV4PrangeVentTemp", "Propotional range vent, temp"},
                {&txbV4PrangeCoolTemp, "txbV4PrangeCoolTemp", "Propotional range cool, temp"},
                {&txbV4PrangeVentCO2, "txbV4PrangeVentCO2", "Propotional range vent, CO2"},
                {&txbV4MinVent, "txbV4MinVent", "Minimum ventilation"}};
    int r = 1;
    for (const auto& row : rows) {
        *row.field = named(new QLineEdit(p), QString::fromLatin1(row.name));
        grid->addWidget(caption(row.text, p), r, 0);
        grid->addWidget(*row.field, r++, 1);
    }
    txbV4Out1Out = display(p, QStringLiteral("txbV4Out1Out"));
    txbV4Out2Out = display(p, QStringLiteral("txbV4Out2Out"));
    grid->addWidget(caption("Output 1 vent", p), 1, 2);
    grid->addWidget(txbV4Out1Out, 1, 3);
    grid->addWidget(caption("Output 2 cool", p), 2, 2);
    grid->addWidget(txbV4Out2Out, 2, 3);
    return p;
}

QWidget* frm6::buildSixV3Panel() {
    QFrame* p = pct6v3Settings = panel(this, QStringLiteral("pct6v3Settings"));
    auto* grid = new QGridLayout(p);
    grid->setVerticalSpacing(2);
    const char* const names[kSixV3Fields] = {"A1", "B", "C", "D1", "E", "F", "G1", "I", "K"};
    for (int k = 0; k < kSixV3Fields; ++k)
        txb6v3[k] =
            named(new QLineEdit(p), QStringLiteral("txb6v3%1").arg(QLatin1String(names[k])));
    txb6v3A2 = named(new QLineEdit(p), QStringLiteral("txb6v3A2"));
    txb6v3D2 = named(new QLineEdit(p), QStringLiteral("txb6v3D2"));
    txb6v3G2 = named(new QLineEdit(p), QStringLiteral("txb6v3G2"));
    // A pair shows one setting twice: whichever is typed in, the other follows.
    const std::pair<QLineEdit*, QLineEdit*> pairs[] = {
        {txb6v3[kA1], txb6v3A2}, {txb6v3[kD1], txb6v3D2}, {txb6v3[kG1], txb6v3G2}};
    for (auto [first, second] : pairs) {
        connect(first, &QLineEdit::textChanged, second, [second](const QString& t) {
            if (second->text() != t) second->setText(t);
        });
        connect(second, &QLineEdit::textChanged, first, [first](const QString& t) {
            if (first->text() != t) first->setText(t);
        });
    }
    for (int k = 0; k < 3; ++k) txb6v3AN[k] = display(p, indexed("txb6v3AN", k));

    grid->addWidget(caption("CO2 Range Jumper Settings", p), 0, 0, 1, 8);
    grid->addWidget(caption("Jumper", p), 1, 0);
    grid->addWidget(caption("Setting", p), 1, 1);
    const struct {
        const char* group;
        std::vector<std::pair<const char*, QLineEdit*>> fields;
    } groups[] = {
        {"Jumper SW1", {{"A1", txb6v3[kA1]}, {"B", txb6v3[kB]}, {"C", txb6v3[kC]}}},
        {"Jumper SW2", {{"D1", txb6v3[kD1]}, {"E", txb6v3[kE]}, {"F", txb6v3[kF]}}},
        {"OUT1", {{"G1", txb6v3[kG1]}, {"A2", txb6v3A2}, {"D2", txb6v3D2}, {"G2", txb6v3G2}}},
        {"RELAY", {{"I", txb6v3[kI]}, {"K", txb6v3[kK]}}},
    };
    int r = 2;
    for (const auto& g : groups) {
        grid->addWidget(caption(g.group, p), r, 0);
        int c = 1;
        for (const auto& [name, field] : g.fields) {
            grid->addWidget(caption(name, p), r, c++, Qt::AlignRight);
            grid->addWidget(field, r, c++);
        }
        ++r;
    }
    grid->addWidget(caption("Relay Switching", p), r, 0);
    for (int k = 0; k < 3; ++k) {
        const char* const outputs[] = {"OUT1", "OUT2", "RELAY"};
        grid->addWidget(caption(outputs[k], p), r + 1, 2 * k + 1, Qt::AlignRight);
        grid->addWidget(txb6v3AN[k], r + 1, 2 * k + 2);
    }
    return p;
}

}  // namespace kelvo
