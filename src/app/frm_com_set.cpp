#include "app/frm_com_set.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QStyle>
#include <QVBoxLayout>

#include "common/context.h"
#include "files/send_file.h"
#include "link/sensor_link.h"
#include "service/bus_scan.h"
#include "windows/window_host.h"

namespace kelvo {

namespace {
const char kSetFilter[] = "(*.Set)|*.Set";
const char kSimFilter[] = "(*.sim)|*.sim";
}  // namespace

QString frmComSet::networkIdProblem(const QString& typed) {
    const QString text = typed.trimmed();
    // Sensor 0 by default was a dead end: the read waited out its attempts, then blamed the
    // sensor rather than the missing ID.
    if (text.isEmpty())
        return QStringLiteral("Type the sensor's network ID, a number from 0 to 29.");
    bool number = false;
    const int id = text.toInt(&number);
    if (!number)
        return QStringLiteral("\"%1\" is not a network ID. Type a number from 0 to 29.").arg(text);
    if (id < 0 || id > kLastNetworkId)
        return QStringLiteral("Network ID %1 is outside 0 to 29.").arg(id);
    return {};
}

namespace {
QString boolText(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

QFrame* groupFrame(const char* name, QWidget* parent) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    return frame;
}
}  // namespace

void MouseUpCheckBox::mouseReleaseEvent(QMouseEvent* event) {
    QCheckBox::mouseReleaseEvent(event);  // toggles first, so the new value is seen
    emit mouseReleased();
}

frmComSet::frmComSet(Context& ctx, WindowHost& host, QWidget* parent)
    : QDialog(parent), ctx_(ctx), host_(host) {
    setObjectName("frmComSet");
    setWindowTitle("Communication setup");
    setModal(false);
    buildControls();
    setLayout(buildLayout());
    Form_Load();
}

void frmComSet::buildControls() {
    Label1 = new QLabel(this);
    Label2 = new QLabel("Kelvo", this);
    Label3 = new QLabel("File name:", this);
    Label4 = new QLabel("Com port", this);
    txbComPort = new QComboBox(this);
    txbComPort->setEditable(true);
    txbComPort->setInsertPolicy(QComboBox::NoInsert);
    txbComPort->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    txbComPort->setToolTip(
        "A port number (1 = COM1), a port name such as /dev/ttyUSB0, "
        "or a built-in virtual sensor such as virtual:5");
    const char* modeCaptions[] = {"Single sensor", "Network sensor", "Simulated mode"};
    for (int i = 0; i < 3; ++i) {
        optStartMode[i] = new QRadioButton(modeCaptions[i], this);
        optStartMode[i]->setObjectName(QStringLiteral("optStartMode_%1").arg(i));
        connect(optStartMode[i], &QRadioButton::toggled, this, &frmComSet::optStartMode_Click);
    }
    lblID = new QLabel("ID", this);
    txbID = new QLineEdit(this);
    txbID->setMaximumWidth(60);
    btnFindSensors = new QPushButton("Find sensors", this);
    btnFindSensors->setObjectName("btnFindSensors");
    btnFindSensors->setToolTip("Ask every network ID from 0 to 29 on this port");
    mFoundSensors = new QMenu(this);
    mFoundSensors->setObjectName("mFoundSensors");
    btnNetworkOverview = new QPushButton("Network overview", this);
    btnNetworkOverview->setObjectName("btnNetworkOverview");
    btnNetworkOverview->setToolTip("Find the sensors on this port and show them all in one table");
    cbxLoggcom = new MouseUpCheckBox("Logg communication", this);
    cbxDontShow = new QCheckBox("Don't show this dialog in the future", this);
    txbFileName = new QLineEdit(this);
    Command5 = new QPushButton("...", this);
    Command5->setMaximumWidth(40);
    cmdSendFile = new QPushButton("Send file to sensor", this);
    btnHelp = new QPushButton("Help", this);
    btnExit = new QPushButton("Exit", this);
    btnStartKelvo = new QPushButton("Start Kelvo", this);
    btnStartKelvo->setDefault(true);
    Picture1 = groupFrame("Picture1", this);
    Picture2 = groupFrame("Picture2", this);
    Picture3 = groupFrame("Picture3", this);

    Label1->setObjectName("Label1");
    Label2->setObjectName("Label2");
    Label3->setObjectName("Label3");
    Label4->setObjectName("Label4");
    txbComPort->setObjectName("txbComPort");
    lblID->setObjectName("lblID");
    txbID->setObjectName("txbID");
    cbxLoggcom->setObjectName("cbxLoggcom");
    cbxDontShow->setObjectName("cbxDontShow");
    txbFileName->setObjectName("txbFileName");
    Command5->setObjectName("Command5");
    cmdSendFile->setObjectName("cmdSendFile");
    btnHelp->setObjectName("btnHelp");
    btnExit->setObjectName("btnExit");
    btnStartKelvo->setObjectName("btnStartKelvo");

    QFont banner = Label2->font();
    banner.setPointSizeF(banner.pointSizeF() * 2);
    banner.setBold(true);
    Label2->setFont(banner);

    connect(cbxLoggcom, &MouseUpCheckBox::mouseReleased, this, &frmComSet::cbxLoggcom_MouseUp);
    connect(btnHelp, &QPushButton::clicked, this, &frmComSet::btnHelp_Click);
    connect(Command5, &QPushButton::clicked, this, &frmComSet::Command5_Click);
    connect(cmdSendFile, &QPushButton::clicked, this, &frmComSet::cmdSendFile_Click);
    connect(btnFindSensors, &QPushButton::clicked, this, &frmComSet::btnFindSensors_Click);
    connect(btnNetworkOverview, &QPushButton::clicked, this, [this] {
        const std::vector<FoundSensor> found = findSensors();
        if (!found.empty() && networkOverviewOpener_) networkOverviewOpener_(found);
    });
    connect(btnStartKelvo, &QPushButton::clicked, this, &frmComSet::btnStartKelvo_Click);
    connect(btnExit, &QPushButton::clicked, this, &frmComSet::btnExit_Click);
}

QLayout* frmComSet::buildLayout() {
    auto* port = new QHBoxLayout(Picture1);
    port->addWidget(Label4);
    port->addWidget(txbComPort, 1);

    // The ID row sits between "Network sensor" and "Simulated mode"; hiding it moves the
    // last option back up.
    auto* modes = new QGridLayout(Picture2);
    modes->addWidget(optStartMode[0], 0, 0, 1, 3);
    modes->addWidget(optStartMode[1], 1, 0, 1, 3);
    modes->addWidget(lblID, 2, 1);
    auto* id = new QHBoxLayout;
    id->addWidget(txbID);
    id->addWidget(btnFindSensors);
    id->addWidget(btnNetworkOverview);
    id->addStretch();
    modes->addLayout(id, 2, 2);
    modes->addWidget(optStartMode[2], 3, 0, 1, 3);
    modes->setColumnMinimumWidth(0, 16);
    modes->setColumnStretch(2, 1);

    auto* file = new QGridLayout(Picture3);
    file->addWidget(Label3, 0, 0);
    file->addWidget(txbFileName, 1, 0);
    file->addWidget(Command5, 1, 1);
    file->addWidget(cmdSendFile, 2, 0, 1, 2, Qt::AlignLeft);

    auto* banner = new QHBoxLayout;
    banner->addWidget(Label2);
    banner->addStretch();
    banner->addWidget(Label1, 0, Qt::AlignBottom);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnHelp);
    buttons->addStretch();
    buttons->addWidget(btnExit);
    buttons->addWidget(btnStartKelvo);

    auto* layout = new QVBoxLayout;
    layout->addLayout(banner);
    layout->addWidget(Picture1);
    layout->addWidget(Picture2);
    layout->addWidget(cbxLoggcom);
    layout->addWidget(cbxDontShow);
    layout->addWidget(Picture3);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return layout;
}

void frmComSet::setPortChoices(const QStringList& names, const QStringList& descriptions,
                               const QStringList& problems) {
    const QString typed = txbComPort->currentText();
    txbComPort->clear();
    for (qsizetype i = 0; i < names.size(); ++i) {
        const int item = static_cast<int>(i);
        txbComPort->addItem(names[i]);
        QString tip = i < descriptions.size() ? descriptions[i] : QString();
        if (i < problems.size() && !problems[i].isEmpty()) {
            txbComPort->setItemIcon(item, style()->standardIcon(QStyle::SP_MessageBoxWarning));
            tip += (tip.isEmpty() ? "" : "\n") + QStringLiteral("Cannot be opened: ") + problems[i];
        }
        if (!tip.isEmpty()) txbComPort->setItemData(item, tip, Qt::ToolTipRole);
    }
    txbComPort->setCurrentText(typed);
}

QString frmComSet::comPortText() const {
    return txbComPort->currentText();
}

int frmComSet::startMode() const {
    for (int i = 0; i < 3; ++i) {
        if (optStartMode[i]->isChecked()) return i;
    }
    return 0;
}

void frmComSet::Form_Load() {
    Label1->setText(QStringLiteral("Kelvo 3.0%1").arg(kRevision));
    QSettings store("Kelvo", "Kelvo");
    store.beginGroup("Start");
    txbComPort->setCurrentText(store.value("ComPort", "1").toString());

    // Every option is set or cleared as stored; the group would not let one be cleared.
    // Selecting one drops the others, so a store naming several keeps the last of them.
    for (auto* option : optStartMode) option->setAutoExclusive(false);
    for (int i = 0; i < 3; ++i) {
        if (store.value(QStringLiteral("StartMode%1").arg(i)).toString() == "True") {
            for (int j = 0; j < 3; ++j) optStartMode[j]->setChecked(j == i);
        } else {
            optStartMode[i]->setChecked(false);
        }
    }
    for (auto* option : optStartMode) option->setAutoExclusive(true);

    QString id = store.value("ID").toString();
    // An ID stored by hand outside 0..29 would address a sensor that cannot exist.
    if (!networkIdProblem(id).isEmpty()) id.clear();
    txbID->setText(id);
    cbxDontShow->setChecked(store.value("Dont").toString() == "1");

    // Simulated mode is stored but never offered first; with nothing stored the dialog
    // starts with the single sensor, so exactly one option is always selected.
    if (optStartMode[2]->isChecked() || startMode() == 0) optStartMode[0]->setChecked(true);
    optStartMode_Click();
}

void frmComSet::storePreferences() {
    QSettings store("Kelvo", "Kelvo");
    store.beginGroup("Start");
    store.setValue("ComPort", comPortText());
    for (int i = 0; i < 3; ++i)
        store.setValue(QStringLiteral("StartMode%1").arg(i),
                       boolText(optStartMode[i]->isChecked()));
    store.setValue("ID", txbID->text());
    store.setValue("Dont", cbxDontShow->isChecked() ? "1" : "0");
}

void frmComSet::optStartMode_Click() {
    const bool network = optStartMode[1]->isChecked();
    lblID->setVisible(network);
    txbID->setVisible(network);
    btnFindSensors->setVisible(network);
    btnNetworkOverview->setVisible(network);
}

void frmComSet::cbxLoggcom_MouseUp() {
    // Unticking leaves logging on until the program ends.
    if (cbxLoggcom->isChecked()) ctx_.ComLogEnabled = true;
}

void frmComSet::btnHelp_Click() {
    host_.openDocument(QString::fromStdString(ctx_.AppDir) + "helpComSet.html");
}

QString frmComSet::pickedSimulationFile() const {
    // Only a file picked for the purpose and still named in the field: a settings file
    // picked for sending, or a field cleared since, leaves the choice to the list.
    if (cd1FileName_.isEmpty() || txbFileName->text() != cd1FileName_) return {};
    return cd1FileName_.endsWith(QLatin1String(".sim"), Qt::CaseInsensitive) ? cd1FileName_
                                                                             : QString();
}

void frmComSet::usePortInField() {
    const std::string typed = comPortText().trimmed().toStdString();
    if (ctx_.port.portName() == typed) return;
    if (ctx_.port.isOpen()) ctx_.port.close();
    ctx_.port.setPortName(typed);
}

bool frmComSet::useSensorInFields() {
    float address = kSingleSensorAddress;
    if (startMode() == 1) {
        // Refused at once: sensor 0 by default would wait out every attempt, then blame it.
        if (const QString problem = networkIdProblem(txbID->text()); !problem.isEmpty())
            return failWith(ctx_, problem.toStdString());
        address = float(txbID->text().trimmed().toInt());
    }
    usePortInField();
    // What an earlier send read belongs to the sensor it read: another port or ID may
    // hold another sensor.
    SensorLinkInit(ctx_, static_cast<uint8_t>(address));
    return true;
}

void frmComSet::Command5_Click() {
    if (auto chosen = ctx_.prompt.openFile(startMode() == 2 ? kSimFilter : kSetFilter)) {
        cd1FileName_ = QString::fromStdString(*chosen);
        txbFileName->setText(cd1FileName_);
    }
}

void frmComSet::cmdSendFile_Click() {
    // The transfer lets events run while it waits: a second send or a start from this
    // dialog would talk over it on the same line. The progress dialog's Cancel stays live.
    setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { setEnabled(true); });
    ctx_.ErrorText.clear();  // a stale text would make the transfers give up at once
    if (txbFileName->text().trimmed().isEmpty()) {
        ctx_.ErrorText = "Please enter file name in the textbox.";
    } else {
        host_.ShowProgress("Loading settings", false, this);
        // The file sent is the one chosen with "..."; a typed path alone sends nothing.
        // A technician types the port, then sends: the fields, not the last start, say
        // where the sensor is.
        if (!cd1FileName_.isEmpty() && useSensorInFields()) {
            // The write's result needs no handling here: a failure left its message.
            const RecordedAction record(
                ctx_, "Send file to sensor " + QFileInfo(cd1FileName_).fileName().toStdString());
            SendSettingsFile(ctx_, cd1FileName_.toStdString(), [this](const std::string& caption) {
                host_.ShowProgress(QString::fromStdString(caption), false, this);
            });
        }
    }
    if (hasErrorToShow(ctx_)) ctx_.prompt.message(ctx_.ErrorText);
    ctx_.ErrorText.clear();
    host_.ShowProgress(QString(), false, this);
}

std::vector<FoundSensor> frmComSet::findSensors() {
    // Like a send, the scan lets events run while it talks: nothing else may use the line.
    setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { setEnabled(true); });
    ctx_.ErrorText.clear();
    usePortInField();
    host_.ShowProgress("Finding sensors", false, this);
    std::vector<FoundSensor> found;
    ScanNetwork(ctx_, found, [this](int id) {
        ctx_.StatusText = "Asking network ID " + std::to_string(id);
        ctx_.ProgressPercent = static_cast<uint8_t>(id * 100 / (kLastNetworkId + 1));
        return true;
    });
    const bool quiet = !ctx_.ErrorText.empty();
    if (hasErrorToShow(ctx_)) ctx_.prompt.message(ctx_.ErrorText);
    ctx_.ErrorText.clear();
    host_.ShowProgress(QString(), false, this);
    if (found.empty() && !quiet) ctx_.prompt.message("No sensor answered on network IDs 0 to 29.");
    return found;
}

void frmComSet::btnFindSensors_Click() {
    const std::vector<FoundSensor> found = findSensors();
    mFoundSensors->clear();
    if (found.empty()) return;
    for (const FoundSensor& sensor : found) {
        QAction* item = mFoundSensors->addAction(QString::fromStdString(FoundSensorLine(sensor)));
        item->setObjectName(QStringLiteral("mFoundSensor_%1").arg(sensor.id));
        connect(item, &QAction::triggered, this,
                [this, id = sensor.id] { txbID->setText(QString::number(id)); });
    }
    if (networkOverviewOpener_) {
        mFoundSensors->addSeparator();
        QAction* overview = mFoundSensors->addAction("Network overview");
        overview->setObjectName(QStringLiteral("mNetworkOverview"));
        connect(overview, &QAction::triggered, this,
                [this, found] { networkOverviewOpener_(found); });
    }
    mFoundSensors->popup(btnFindSensors->mapToGlobal(QPoint(0, btnFindSensors->height())));
}

void frmComSet::btnStartKelvo_Click() {
    if (optStartMode[1]->isChecked()) {
        if (const QString problem = networkIdProblem(txbID->text()); !problem.isEmpty()) {
            ctx_.prompt.message(problem.toStdString());
            txbID->setFocus();
            txbID->selectAll();
            return;
        }
    }
    storePreferences();
    hide();
    emit startRequested();
}

void frmComSet::btnExit_Click() {
    storePreferences();
    hide();
    emit exitRequested();
}

void frmComSet::closeEvent(QCloseEvent* event) {
    storePreferences();
    event->accept();
    emit exitRequested();
}

// Escape would only hide the dialog and leave the program without a window.
void frmComSet::reject() {}

}  // namespace kelvo
