#include "windows/platform5/frm5chart.h"

#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/context.h"
#include "windows/channel_panel.h"
#include "windows/control_names.h"
#include "windows/edit_field.h"
#include "windows/window_host.h"

namespace kelvo {

namespace {
const QColor kYellow(255, 255, 0);
const QColor kGreen(0, 255, 0);
const QColor kWhite(255, 255, 255);
constexpr int kFieldWidth = 80;
}  // namespace

frm5Chart::frm5Chart(Context& ctx, WindowHost& host, QWidget* parent)
    : Platform5Window(ctx, host, parent) {
    setObjectName(QStringLiteral("frm5Chart"));
    mCalCO2->setTitle(QStringLiteral("CO2 sinle point"));
    txbVersion = named(new QLineEdit(), QStringLiteral("txbVersion"));
    txbVersion->setReadOnly(true);
    setDisplayColours(txbVersion);
    fitWidthToText(txbVersion, kFieldWidth);
    // This window keeps no shift button; its display sequence is shown, and can be picked,
    // but the sensor keeps none.
    buildGeneralPanel(
        {.displaySequence = Qt::Horizontal, .rows = {{QStringLiteral("Version"), txbVersion}}});

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    auto* left = new QVBoxLayout();
    left->addWidget(pctGeneral);
    pctChannels = new ChannelPanel(kChannelRows, cbxSimulated, central);
    // The rows keep the captions they were designed with: the sensor's channels 0, 1 and 3.
    const char* const captions[kChannelRows] = {"TEMP:", "Momentary:", "8 - hrs TWA:"};
    for (int k = 0; k < kChannelRows; ++k) {
        pctChannels->lblCH_Name[k]->setText(QString::fromLatin1(captions[k]));
        pctChannels->lblCH_Type[k]->setText(QStringLiteral("Unit"));
        QLineEdit* value = pctChannels->txbCHact[k];
        // Typed channel values feed the simulation only; nothing of them goes to the image.
        new EditFieldBehaviour(value, [this] { FormUpdate(); });
        setTextColour(value, kGreen);
        fitWidthToText(value, kFieldWidth);
        styleDisplayLabel(pctChannels->lblCH_Type[k], k == 0 ? kYellow : kWhite);
    }
    pctChannels->lblCH_Type[0]->installEventFilter(this);
    left->addWidget(pctChannels);
    left->addStretch();
    grid->addLayout(left, 0, 0);
    grid->addWidget(buildAlarmPanel(), 0, 1, Qt::AlignTop);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(btnReadFromSensor);
    buttons->addWidget(btnSendToSensor);
    grid->addLayout(buttons, 1, 0, 1, 2);
    setCentralWidget(central);
    buildFieldTable();
    setWindowTitle(QStringLiteral("Kelvo 3.09"));
}

void frm5Chart::buildAlarmRow(int k, QWidget* panel, QGridLayout* grid, int row,
                              const QString& caption) {
    QLabel* label = new QLabel(caption, panel);
    if (k == 2) lblTolvaTWA = named(label, QStringLiteral("lblTolvaTWA"));
    txbTolvaLevel[k] = named(new QLineEdit(panel), indexed("txbTolvaLevel", k));
    fitWidthToText(txbTolvaLevel[k], kFieldWidth);
    setDisplayColours(txbTolvaLevel[k]);
    lblFTolvaunit[k] = named(new QLabel(panel), indexed("lblFTolvaunit", k));
    lblFTolvaunit[k]->setMinimumWidth(30);
    txbStatus[k] = named(new QLineEdit(panel), indexed("txbStatus", k));
    txbStatus[k]->setReadOnly(true);
    txbStatus[k]->setFixedWidth(kFieldWidth);
    txbStatus[k]->setAlignment(Qt::AlignCenter);
    cbxTolvarelay[k] = named(new QCheckBox(panel), indexed("cbxTolvarelay", k));
    grid->addWidget(label, row, 0);
    grid->addWidget(txbTolvaLevel[k], row, 1);
    grid->addWidget(lblFTolvaunit[k], row, 2);
    grid->addWidget(txbStatus[k], row, 3);
    grid->addWidget(cbxTolvarelay[k], row, 4, Qt::AlignCenter);
}

QWidget* frm5Chart::buildAlarmPanel() {
    pctTolva = named(new QFrame(this), QStringLiteral("pctTolva"));
    pctTolva->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(pctTolva);
    cbxTWAonP0 =
        named(new QCheckBox(QStringLiteral("TWA on P0"), pctTolva), QStringLiteral("cbxTWAonP0"));
    grid->addWidget(cbxTWAonP0, 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("STATUS"), pctTolva), 0, 3, Qt::AlignCenter);
    grid->addWidget(new QLabel(QStringLiteral("RELAY"), pctTolva), 0, 4, Qt::AlignCenter);
    // The TWA row sits in a panel of its own; its frame lies behind the row's cells so that
    // the row keeps the columns of the others.
    pctTolvatwa = named(new QFrame(pctTolva), QStringLiteral("pctTolvatwa"));
    pctTolvatwa->setFrameShape(QFrame::Box);
    grid->addWidget(pctTolvatwa, 3, 0, 1, 5);
    const struct {
        int k;
        int row;
        const char* caption;
    } rows[] = {{0, 1, "CO2 PRE ALARM:"},
                {1, 2, "CO2 MAIN ALARM:"},
                {2, 3, "CO2 TWA ALARM:"},
                {3, 4, "TEMP ALARM LOW:"},
                {4, 5, "TEMP ALARM HIGH:"}};
    for (const auto& r : rows)
        buildAlarmRow(r.k, pctTolva, grid, r.row, QString::fromLatin1(r.caption));

    txbTolvaActTempAenable =
        named(new QLineEdit(pctTolva), QStringLiteral("txbTolvaActTempAenable"));
    txbTolvaActTempAenable->setReadOnly(true);
    setDisplayColours(txbTolvaActTempAenable);
    txbTolvaActTempAenable->setFixedWidth(kFieldWidth);
    txbTolvaActTempAenable->installEventFilter(this);
    grid->addWidget(new QLabel(QStringLiteral("Temp alarm on central unit:"), pctTolva), 6, 0, 1,
                    3);
    grid->addWidget(txbTolvaActTempAenable, 6, 3);
    grid->setColumnStretch(5, 1);
    return pctTolva;
}

void frm5Chart::SimMode(bool on) {
    SensorWindow::SimMode(on);
    pctChannels->showSimulated(on);
}

bool frm5Chart::ActionTWAReset() {
    // This window is only ever opened for TWA sensors: no product check as in frm5.
    return resetTwa();
}

bool frm5Chart::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonRelease)
        return SensorWindow::eventFilter(watched, event);
    if (watched == pctChannels->lblCH_Type[0]) {
        pickTempUnit();
        return true;
    }
    if (watched == txbTolvaActTempAenable) {
        // Only a simulated central unit can be switched by hand.
        if (cbxSimulated->isChecked()) {
            const bool enabled = txbTolvaActTempAenable->text() == QLatin1String("Enabled");
            txbTolvaActTempAenable->setText(enabled ? QStringLiteral("Disabled")
                                                    : QStringLiteral("Enabled"));
        }
        return false;
    }
    return SensorWindow::eventFilter(watched, event);
}

}  // namespace kelvo
