#include "windows/measurement_views.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QMenu>
#include <vector>

#include "common/context.h"
#include "files/measurement_log.h"
#include "model/identification.h"
#include "qt/local_timestamp.h"
#include "windows/sensor_window.h"
#include "windows/trend_window.h"

namespace kelvo {

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

bool MeasurementViews::logging() const { return log_ != nullptr; }

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

void MeasurementViews::polled() {
    if (trend_ && trend_->isVisible()) {
        trend_->setMarkers(window_.trendMarkers());
        addToTrend();
    }
    if (!log_) return;
    std::vector<std::string> values;
    for (const ShownChannel& shown : window_.shownChannels()) values.push_back(shown.value.toStdString());
    const std::string row = MeasurementLogRow(IsoLocalTimestamp().toStdString(), values);
    if (log_->write(row.data(), static_cast<qint64>(row.size())) != static_cast<qint64>(row.size()) ||
        !log_->flush()) {
        stopLog(log_->errorString());
    }
}

void MeasurementViews::startLog() {
    const std::vector<ShownChannel> shown = window_.shownChannels();
    if (shown.empty()) {
        ctx_.prompt.message("This window shows no channels to log.");
        return;
    }
    const auto path = ctx_.prompt.saveFile("(*.csv)|*.csv");
    if (!path) return;
    auto file = std::make_unique<QFile>(QString::fromStdString(*path));
    std::vector<LogColumn> columns;
    for (const ShownChannel& channel : shown)
        columns.push_back({channel.name.toStdString(), channel.unit.toStdString()});
    const std::string header = MeasurementLogHeader(SerialText(ctx_), columns);
    if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file->write(header.data(), static_cast<qint64>(header.size())) !=
            static_cast<qint64>(header.size()) ||
        !file->flush()) {
        ctx_.prompt.message("Cannot write the measurement log " + *path + ":\n" +
                            file->errorString().toStdString());
        return;
    }
    log_ = std::move(file);
}

void MeasurementViews::stopLog(const QString& reason) {
    if (!log_) return;
    const std::string path = log_->fileName().toStdString();
    log_.reset();
    mLogMeasurements->setChecked(false);
    // A log that ends by itself must say so: the technician may be away from the screen.
    if (!reason.isEmpty())
        ctx_.prompt.message("Logging to " + path + " stopped:\n" + reason.toStdString());
}

}  // namespace kelvo
