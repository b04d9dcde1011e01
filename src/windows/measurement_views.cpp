#include "windows/measurement_views.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QMenu>
#include <QStatusBar>
#include <cmath>
#include <vector>

#include "common/context.h"
#include "common/values.h"
#include "files/file_writer.h"
#include "files/measurement_log.h"
#include "model/identification.h"
#include "qt/local_timestamp.h"
#include "service/own_files.h"
#include "windows/sensor_window.h"
#include "windows/trend_window.h"

namespace kelvo {

namespace {
// Readings further apart than this (simulated mode, a long action, the window closed) no
// longer run on: steadiness is counted afresh from the next one.
constexpr double kReadingGapSeconds = 10;
}  // namespace

MeasurementViews::MeasurementViews(SensorWindow& window, Context& ctx, QMenu* view)
    : QObject(&window), window_(window), ctx_(ctx) {
    mTrend = view->addAction(QStringLiteral("Trend"));
    mTrend->setObjectName(QStringLiteral("mTrend"));
    mLogMeasurements = view->addAction(QStringLiteral("Log measurements to file..."));
    mLogMeasurements->setObjectName(QStringLiteral("mLogMeasurements"));
    mLogMeasurements->setCheckable(true);
    connect(mTrend, &QAction::triggered, this, &MeasurementViews::showTrend);
    connect(mLogMeasurements, &QAction::triggered, this, [this](bool on) {
        // The check mark follows the log, not the click: a cancelled file dialog logs nothing.
        if (on) startLog();
        else stopLog();
        mLogMeasurements->setChecked(logging());
    });
    simulatedSamples_.setInterval(kSimulatedSampleMs);
    connect(&simulatedSamples_, &QTimer::timeout, this, &MeasurementViews::sampleSimulated);
}

MeasurementViews::~MeasurementViews() = default;

bool MeasurementViews::logging() const { return !logPath_.empty(); }

void MeasurementViews::showTrend() {
    if (!trend_) {
        trend_ = new TrendWindow(&window_);
        trend_->setWindowTitle(QStringLiteral("Trend - %1")
                                   .arg(QString::fromStdString(SerialText(ctx_))));
    }
    trend_->setMarkers(window_.trendMarkers());
    addToTrend();
    trend_->show();
    trend_->raise();
    // Runs only while someone looks at the chart: sampleSimulated stops it once hidden.
    simulatedSamples_.start();
}

void MeasurementViews::addToTrend() {
    if (trend_) trend_->addSample(ctx_.clock.tickMs() / 1000.0, window_.shownChannels());
}

void MeasurementViews::sampleSimulated() {
    if (!trend_ || !trend_->isVisible()) {
        simulatedSamples_.stop();
        return;
    }
    // Live readings arrive with the polls.
    if (window_.cbxSimulated->isChecked()) {
        trend_->setMarkers(window_.trendMarkers());
        addToTrend();
    }
}

void MeasurementViews::keepRecent() {
    const double now = ctx_.clock.tickMs() / 1000.0;
    for (const ShownChannel& shown : window_.shownChannels()) {
        const auto value = NumberIn(shown.value.toStdString());
        if (!value || !std::isfinite(*value)) continue;
        std::deque<TrendPoint>& points = recent_[shown.channel];
        if (!points.empty() && now - points.back().seconds > kReadingGapSeconds) points.clear();
        points.push_back({now, *value});
        TrimTrend(points, 2 * TrendWindow::kStabilitySeconds);
    }
}

Steadiness MeasurementViews::steadiness(int shownChannel) const {
    const auto found = recent_.find(shownChannel);
    if (found == recent_.end() || found->second.empty()) return {};
    const std::deque<TrendPoint>& points = found->second;
    return {StabilityOf(points, TrendWindow::kStabilitySeconds),
            points.back().seconds - points.front().seconds};
}

void MeasurementViews::polled() {
    keepRecent();
    if (trend_ && trend_->isVisible()) {
        trend_->setMarkers(window_.trendMarkers());
        addToTrend();
    }
    if (!logging()) return;
    std::vector<std::string> values;
    for (const ShownChannel& shown : window_.shownChannels()) values.push_back(shown.value.toStdString());
    const std::string row = MeasurementLogRow(IsoLocalTimestamp().toStdString(), values);
    std::string error;
    if (!AppendWhole(logPath_, row, logHeader_, error)) stopLog(QString::fromStdString(error));
}

void MeasurementViews::startLog() {
    const std::vector<ShownChannel> shown = window_.shownChannels();
    if (shown.empty()) {
        ctx_.prompt.message("This window shows no channels to log.");
        return;
    }
    const auto path = ctx_.prompt.saveFile("(*.csv)|*.csv");
    if (!path) return;
    if (IsOwnRecordFile(ctx_.AppDir, *path)) {
        ctx_.prompt.message(*path + " is one of Kelvo's own records (the service history, a backup, "
                            "last.set or the communication log).\nChoose another file for the "
                            "measurement log.");
        return;
    }
    std::vector<LogColumn> columns;
    for (const ShownChannel& channel : shown)
        columns.push_back({channel.name.toStdString(), channel.unit.toStdString()});
    const std::string header = MeasurementLogHeader(SerialText(ctx_), columns);
    std::string error;
    if (!WriteFileAtomically(*path, Bytes(header.begin(), header.end()), error)) {
        ctx_.prompt.message("Cannot write the measurement log " + *path + ":\n" + error);
        return;
    }
    logPath_ = *path;
    logHeader_ = header;
    window_.statusBar()->showMessage(QStringLiteral("Logging measurements to %1").arg(logName()));
}

QString MeasurementViews::logName() const {
    return QFileInfo(QString::fromStdString(logPath_)).fileName();
}

void MeasurementViews::stopLog(const QString& reason) {
    if (!logging()) return;
    const QString name = logName();
    const std::string path = logPath_;
    logPath_.clear();
    logHeader_.clear();
    mLogMeasurements->setChecked(false);
    window_.statusBar()->showMessage(QStringLiteral("Measurement log closed: %1").arg(name));
    // A log that ends by itself must say so: the technician may be away from the screen.
    if (!reason.isEmpty())
        ctx_.prompt.message("Logging to " + path + " stopped:\n" + reason.toStdString());
}

}  // namespace kelvo
