#include "app/frm_network.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <set>
#include <utility>

#include "common/context.h"
#include "files/file_writer.h"
#include "link/port_hold.h"
#include "service/network_id.h"
#include "service/network_send.h"

namespace kelvo {
namespace {

const char kSetFilter[] = "(*.Set)|*.Set";
const char kCsvFilter[] = "(*.csv)|*.csv";
// Short enough that a click is answered at once, long enough to idle between polls.
constexpr int kPassIntervalMs = 100;
constexpr int kIdColumn = 0;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QPushButton* button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromUtf8(name));
    return b;
}

}  // namespace

frmNetwork::frmNetwork(Context& ctx, QWidget* parent) : QMainWindow(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("frmNetwork"));
    setWindowTitle(QStringLiteral("Network overview"));
    buildControls();
    loop_ = new QTimer(this);
    loop_->setSingleShot(true);
    connect(loop_, &QTimer::timeout, this, &frmNetwork::pass);
    resize(1000, 560);
}

void frmNetwork::buildControls() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);

    grdSensors = new QTableWidget(0, static_cast<int>(OverviewColumns().size()), central);
    grdSensors->setObjectName(QStringLiteral("grdSensors"));
    QStringList headers;
    for (const std::string& column : OverviewColumns()) headers << qs(column);
    grdSensors->setHorizontalHeaderLabels(headers);
    grdSensors->verticalHeader()->setVisible(false);
    grdSensors->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdSensors->setSelectionMode(QAbstractItemView::SingleSelection);
    grdSensors->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdSensors->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    grdSensors->horizontalHeader()->setStretchLastSection(true);
    connect(grdSensors, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (passRunning_ || row < 0 || row >= static_cast<int>(rows_.size())) return;
        stopLoop();
        emit sensorChosen(rows_[static_cast<size_t>(row)].id);
    });
    layout->addWidget(grdSensors, 1);

    auto* buttons = new QHBoxLayout;
    cmdSendFile = button(central, "cmdSendFile", "Send file to ticked sensors...");
    cmdChangeId = button(central, "cmdChangeId", "Change network ID...");
    cmdExportCsv = button(central, "cmdExportCsv", "Export CSV...");
    cmdCancel = button(central, "cmdCancel", "Cancel");
    cmdClose = button(central, "cmdClose", "Close");
    cmdCancel->setEnabled(false);
    cmdCancel->setToolTip(QStringLiteral("Stops the send after the sensor it is sending to"));
    for (QPushButton* b : {cmdSendFile, cmdChangeId, cmdExportCsv, cmdCancel}) buttons->addWidget(b);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    layout->addLayout(buttons);
    connect(cmdSendFile, &QPushButton::clicked, this, [this] { request(Pending::SendFile); });
    connect(cmdChangeId, &QPushButton::clicked, this, [this] { request(Pending::ChangeId); });
    connect(cmdExportCsv, &QPushButton::clicked, this, &frmNetwork::exportCsv);
    connect(cmdCancel, &QPushButton::clicked, this, [this] {
        stopAfterSensor_ = true;
        cmdCancel->setEnabled(false);
        statusBar()->showMessage(QStringLiteral("Stopping after the sensor being sent to"));
    });
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    txbResults = new QPlainTextEdit(central);
    txbResults->setObjectName(QStringLiteral("txbResults"));
    txbResults->setReadOnly(true);
    txbResults->setMaximumHeight(150);
    layout->addWidget(txbResults);
    setCentralWidget(central);
}

void frmNetwork::showSensors(const std::vector<FoundSensor>& found) {
    rows_.clear();
    poller_ = OverviewPoller();
    for (const FoundSensor& sensor : found) rows_.push_back(OverviewRowOf(sensor));
    grdSensors->setRowCount(0);
    grdSensors->setRowCount(static_cast<int>(rows_.size()));
    for (size_t i = 0; i < rows_.size(); ++i) showRow(i);
    txbResults->clear();
    nextPoll_ = 0;
    lastPollMs_ = -1;
    showAgain();
}

void frmNetwork::showAgain() {
    show();
    raise();
    activateWindow();
    looping_ = true;
    scheduleNextPass();
}

void frmNetwork::stopLoop() {
    looping_ = false;
    loop_->stop();
}

std::vector<int> frmNetwork::tickedIds() const {
    std::vector<int> ids;
    for (int r = 0; r < grdSensors->rowCount(); ++r) {
        const QTableWidgetItem* item = grdSensors->item(r, kIdColumn);
        if (item && item->checkState() == Qt::Checked) ids.push_back(rows_[static_cast<size_t>(r)].id);
    }
    return ids;
}

void frmNetwork::setTicked(int id, bool ticked) {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].id == id)
            grdSensors->item(static_cast<int>(i), kIdColumn)
                ->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

void frmNetwork::showRow(size_t index) {
    const std::vector<std::string> fields = OverviewFields(rows_[index]);
    const int r = static_cast<int>(index);
    for (int c = 0; c < static_cast<int>(fields.size()); ++c) {
        QTableWidgetItem* item = grdSensors->item(r, c);
        if (!item) {
            item = new QTableWidgetItem;
            if (c == kIdColumn) {
                item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
                item->setCheckState(Qt::Unchecked);
            }
            grdSensors->setItem(r, c, item);
        }
        item->setText(qs(fields[static_cast<size_t>(c)]));
    }
}

void frmNetwork::setRowState(int id, OverviewRow::State state) {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id != id) continue;
        rows_[i].state = state;
        showRow(i);
    }
}

int frmNetwork::currentId() const {
    const int r = grdSensors->currentRow();
    return r >= 0 && r < static_cast<int>(rows_.size()) ? rows_[static_cast<size_t>(r)].id : -1;
}

void frmNetwork::request(Pending action) {
    // Handlers never talk to the line: the next pass runs the action, after any poll.
    if (passRunning_ && pending_ != Pending::None) return;
    pending_ = action;
    if (!passRunning_) scheduleNextPass();
}

void frmNetwork::scheduleNextPass() {
    if (looping_) loop_->start(pending_ != Pending::None ? 0 : kPassIntervalMs);
}

void frmNetwork::pass() {
    if (passRunning_ || !looping_) return;
    passRunning_ = true;
    const Pending action = std::exchange(pending_, Pending::None);
    if (action != Pending::None) {
        for (QPushButton* b : {cmdSendFile, cmdChangeId, cmdClose}) b->setEnabled(false);
        if (action == Pending::SendFile) runSendFile();
        if (action == Pending::ChangeId) runChangeId();
        for (QPushButton* b : {cmdSendFile, cmdChangeId, cmdClose}) b->setEnabled(true);
        ctx_.ErrorText.clear();
        ctx_.StatusText.clear();
        statusBar()->clearMessage();
    } else {
        pollNext();
    }
    passRunning_ = false;
    scheduleNextPass();
}

void frmNetwork::pollNext() {
    if (rows_.empty()) return;
    const int64_t now = ctx_.clock.tickMs();
    if (lastPollMs_ >= 0 && now - lastPollMs_ < kPollPeriodMs) return;
    lastPollMs_ = now;
    const size_t index = nextPoll_++ % rows_.size();
    {
        const PortHold hold(ctx_);
        poller_.poll(ctx_, rows_[index]);
    }
    ctx_.ErrorText.clear();
    showRow(index);
}

void frmNetwork::runSendFile() {
    const std::vector<int> ids = tickedIds();
    if (ids.empty()) {
        ctx_.prompt.message("Tick the sensors the settings file is for.");
        return;
    }
    const auto path = ctx_.prompt.openFile(kSetFilter);
    if (!path) return;
    stopAfterSensor_ = false;
    cmdCancel->setEnabled(true);
    txbResults->appendPlainText(
        QStringLiteral("Sending %1:").arg(QFileInfo(qs(*path)).fileName()));
    NetworkSendHooks hooks;
    hooks.starting = [this](int id) {
        setRowState(id, OverviewRow::State::Busy);
        statusBar()->showMessage(QStringLiteral("Sending to ID %1").arg(id));
    };
    hooks.stopRequested = [this] { return stopAfterSensor_; };
    hooks.done = [this](const NetworkSendResult& result) {
        txbResults->appendPlainText(qs(NetworkSendLine(result)));
        if (result.outcome == NetworkSendResult::Outcome::NotSent) return;
        // What the sensor shows now, and whether it still answers after its send.
        poller_.forget(result.id);
        for (size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i].id != result.id) continue;
            rows_[i].state = OverviewRow::State::Answering;
            if (!isCancelled(ctx_)) poller_.poll(ctx_, rows_[i]);
            showRow(i);
        }
        ctx_.ErrorText.clear();
    };
    SendFileToNetwork(ctx_, *path, ids, hooks);
    cmdCancel->setEnabled(false);
}

void frmNetwork::runChangeId() {
    const int from = currentId();
    if (from < 0) {
        ctx_.prompt.message("Select the sensor whose network ID is to change.");
        return;
    }
    const std::string typed =
        ctx_.prompt.input("New network ID for the sensor at ID " + std::to_string(from) + ":");
    if (typed.empty()) return;  // cancelled
    if (const std::string problem = NewNetworkIdProblem(typed, from); !problem.empty()) {
        ctx_.prompt.message(problem);
        return;
    }
    const int to = std::stoi(typed);
    setRowState(from, OverviewRow::State::Busy);
    statusBar()->showMessage(QStringLiteral("Moving ID %1 to ID %2").arg(from).arg(to));
    const bool moved = ChangeNetworkId(ctx_, from, to);
    const std::string line = moved ? "ID " + std::to_string(from) + ": moved to ID " +
                                         std::to_string(to) + " and answers there"
                                   : "ID " + std::to_string(from) +
                                         ": network ID not changed: " + ctx_.ErrorText;
    txbResults->appendPlainText(qs(line));
    if (!moved && hasErrorToShow(ctx_)) ctx_.prompt.message(ctx_.ErrorText);
    ctx_.ErrorText.clear();
    poller_.forget(from);
    const std::vector<int> ticked = tickedIds();
    for (OverviewRow& row : rows_) {
        if (row.id != from) continue;
        row.state = OverviewRow::State::Answering;
        if (moved) row.id = to;
    }
    std::sort(rows_.begin(), rows_.end(),
              [](const OverviewRow& a, const OverviewRow& b) { return a.id < b.id; });
    grdSensors->setRowCount(0);
    grdSensors->setRowCount(static_cast<int>(rows_.size()));
    for (size_t i = 0; i < rows_.size(); ++i) showRow(i);
    for (int id : ticked) setTicked(id == from && moved ? to : id, true);
}

void frmNetwork::exportCsv() {
    auto path = ctx_.prompt.saveFile(kCsvFilter);
    if (!path) return;
    if (QFileInfo(qs(*path)).suffix().isEmpty()) *path += ".csv";
    const std::string title =
        "Network overview of port " + ctx_.port.portName() + " at " +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm")).toStdString();
    const std::string text = OverviewCsv(title, rows_);
    std::string error;
    if (!WriteFileAtomically(*path, Bytes(text.begin(), text.end()), error))
        ctx_.prompt.message("The overview could not be saved to " + *path + ": " + error);
}

void frmNetwork::closeEvent(QCloseEvent* event) {
    // The line is in the middle of a transaction: closing now would pull it away.
    if (passRunning_) {
        event->ignore();
        return;
    }
    stopLoop();
    event->accept();
    emit closed();
}

}  // namespace kelvo
