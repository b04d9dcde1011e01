#pragma once
// The network overview: every sensor found on the line in one table, refreshed one sensor
// per poll period; ticked rows receive one settings file, a row's sensor can move to
// another network ID, and the table can be exported for the commissioning record.
// Double-clicking a row asks for that sensor's own window.

#include <QMainWindow>
#include <functional>
#include <vector>

#include "service/network_overview.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QTimer;

namespace kelvo {

struct Context;

class frmNetwork : public QMainWindow {
    Q_OBJECT

public:
    // The overview polls each sensor in turn, one every this many milliseconds: the
    // period of one sensor window's poll.
    static constexpr int kPollPeriodMs = 2000;

    explicit frmNetwork(Context& ctx, QWidget* parent = nullptr);

    // Shows the sensors found and starts refreshing them.
    void showSensors(const std::vector<FoundSensor>& found);
    // Shown again after a sensor window: refreshing goes on.
    void showAgain();
    const std::vector<OverviewRow>& rows() const { return rows_; }
    std::vector<int> tickedIds() const;
    void setTicked(int id, bool ticked);
    // True while a send, an ID change or a poll talks to the line.
    bool busy() const { return passRunning_; }

    QTableWidget* grdSensors = nullptr;
    QPlainTextEdit* txbResults = nullptr;
    QPushButton* cmdSendFile = nullptr;
    QPushButton* cmdChangeId = nullptr;
    QPushButton* cmdExportCsv = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdClose = nullptr;

signals:
    // A row was double-clicked: open that sensor's window.
    void sensorChosen(int id);
    // The overview was closed: back to the setup dialog.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Pending { None, SendFile, ChangeId };

    void buildControls();
    void request(Pending action);
    void pass();
    void scheduleNextPass();
    void runSendFile();
    void runChangeId();
    void pollNext();
    void exportCsv();
    void showRow(size_t index);
    void setRowState(int id, OverviewRow::State state);
    int currentId() const;
    void stopLoop();

    Context& ctx_;
    std::vector<OverviewRow> rows_;
    OverviewPoller poller_;
    QTimer* loop_ = nullptr;
    Pending pending_ = Pending::None;
    bool passRunning_ = false;
    bool looping_ = false;
    bool stopAfterSensor_ = false;
    size_t nextPoll_ = 0;
    int64_t lastPollMs_ = -1;
};

}  // namespace kelvo
