#include "windows/trend_window.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineSeries>
#include <QPen>
#include <QPushButton>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <limits>

#include "common/values.h"

namespace kelvo {
namespace {

enum StabilityColumn { kColumnChannel, kColumnValue, kColumnSpread, kColumnDrift, kColumns };

QString figure(double value) {
    return QString::fromStdString(NumberText(RoundHalfEven(value * 1000) / 1000));
}

// A channel as the trend names it: the row's caption without the colon some windows'
// captions end in ("TEMP:"), and its unit.
QString trackName(const ShownChannel& shown) {
    QString name = shown.name.trimmed();
    if (name.endsWith(u':')) name.chop(1);
    return shown.unit.isEmpty() ? name : QStringLiteral("%1 (%2)").arg(name, shown.unit);
}

}  // namespace

TrendWindow::TrendWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("frmTrend"));
    setWindowTitle(QStringLiteral("Trend"));

    chart_ = new QChart();
    chart_->legend()->setAlignment(Qt::AlignBottom);
    timeAxis_ = new QValueAxis(chart_);
    timeAxis_->setTitleText(QStringLiteral("minutes"));
    timeAxis_->setRange(-kShownSeconds / 60, 0);
    timeAxis_->setLabelFormat(QStringLiteral("%.0f"));
    timeAxis_->setTickCount(6);  // every two minutes
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    auto* view = new QChartView(chart_, this);
    view->setObjectName(QStringLiteral("chvTrend"));
    view->setRenderHint(QPainter::Antialiasing);
    view->setMinimumSize(520, 320);

    btnPause = new QPushButton(QStringLiteral("Pause"), this);
    btnPause->setObjectName(QStringLiteral("btnPause"));
    btnPause->setCheckable(true);
    // While paused the readings are still kept, so resuming shows what was missed.
    connect(btnPause, &QPushButton::toggled, this, [this](bool on) {
        btnPause->setText(on ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        if (!on) redraw();
    });

    tblStability = new QTableWidget(0, kColumns, this);
    tblStability->setObjectName(QStringLiteral("tblStability"));
    tblStability->setHorizontalHeaderLabels({QStringLiteral("Channel"), QStringLiteral("Now"),
                                             QStringLiteral("Spread (1 min)"),
                                             QStringLiteral("Drift (per min)")});
    tblStability->verticalHeader()->hide();
    tblStability->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblStability->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblStability->setMinimumWidth(440);

    // The chart takes the whole width, so its legend names every line in full; the
    // figures go below it.
    auto* below = new QHBoxLayout;
    below->addWidget(tblStability, 1);
    below->addWidget(btnPause, 0, Qt::AlignBottom);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view, 1);
    layout->addLayout(below);
    tblStability->setMaximumHeight(170);
    resize(1120, 640);
}

bool TrendWindow::paused() const { return btnPause->isChecked(); }

QValueAxis* TrendWindow::axisForUnit(const QString& unit) {
    auto found = unitAxes_.find(unit);
    if (found != unitAxes_.end()) return found->second;
    auto* axis = new QValueAxis(chart_);
    axis->setTitleText(unit);
    // Four figures at most, so that a tick's label is read whole ("22.35", not "22....").
    axis->setLabelFormat(QStringLiteral("%.4g"));
    // Two units fit one on each side; more share the right.
    chart_->addAxis(axis, unitAxes_.empty() ? Qt::AlignLeft : Qt::AlignRight);
    unitAxes_[unit] = axis;
    return axis;
}

TrendWindow::Track& TrendWindow::trackFor(const ShownChannel& shown) {
    auto found = tracks_.find(shown.channel);
    if (found != tracks_.end()) return found->second;
    Track& track = tracks_[shown.channel];
    track.name = trackName(shown);
    track.unit = shown.unit;
    track.row = tblStability->rowCount();
    tblStability->insertRow(track.row);
    for (int column = 0; column < kColumns; ++column)
        tblStability->setItem(track.row, column, new QTableWidgetItem);
    tblStability->item(track.row, kColumnChannel)->setText(track.name);
    return track;
}

void TrendWindow::drawLine(Track& track) {
    // A row that shows no number (a status) gets no line, and no axis stands empty for it.
    if (track.series) return;
    track.series = new QLineSeries(chart_);
    track.series->setName(track.name);
    chart_->addSeries(track.series);
    track.series->attachAxis(timeAxis_);
    track.series->attachAxis(axisForUnit(track.unit));
    setMarkers(markers_);  // a marker may wait for this channel's axis
}

void TrendWindow::addSample(double seconds, const std::vector<ShownChannel>& shown) {
    newest_ = seconds;
    for (const ShownChannel& channel : shown) {
        Track& track = trackFor(channel);
        tblStability->item(track.row, kColumnValue)->setText(channel.value);
        if (const auto value = NumberIn(channel.value.toStdString()); value && std::isfinite(*value)) {
            track.points.push_back({seconds, *value});
            drawLine(track);
        }
        TrimTrend(track.points, kShownSeconds);
    }
    showStability();
    if (!paused()) redraw();
}

void TrendWindow::setMarkers(const std::vector<TrendMarker>& markers) {
    markers_ = markers;
    for (QLineSeries* series : markerSeries_) {
        chart_->removeSeries(series);
        delete series;
    }
    markerSeries_.clear();
    for (const TrendMarker& marker : markers_) {
        auto track = tracks_.find(marker.channel);
        if (track == tracks_.end() || !track->second.series) continue;
        auto* series = new QLineSeries(chart_);
        series->setName(marker.label);
        QPen pen(track->second.series->color());
        pen.setStyle(Qt::DashLine);
        series->setPen(pen);
        series->append(-kShownSeconds / 60, marker.value);
        series->append(0, marker.value);
        chart_->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(axisForUnit(track->second.unit));
        markerSeries_.push_back(series);
    }
    if (!paused()) redraw();
}

void TrendWindow::redraw() {
    std::map<QString, std::pair<double, double>> ranges;
    auto widen = [&ranges](const QString& unit, double value) {
        auto [it, fresh] = ranges.try_emplace(unit, value, value);
        it->second.first = std::min(it->second.first, value);
        it->second.second = std::max(it->second.second, value);
    };
    for (auto& [channel, track] : tracks_) {
        if (!track.series) continue;
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(track.points.size()));
        for (const TrendPoint& p : track.points) {
            points.append({(p.seconds - newest_) / 60, p.value});
            widen(track.unit, p.value);
        }
        // One call replaces the whole line: a point at a time would repaint per point.
        track.series->replace(points);
    }
    for (const TrendMarker& marker : markers_) {
        auto track = tracks_.find(marker.channel);
        if (track != tracks_.end() && track->second.series) widen(track->second.unit, marker.value);
    }
    for (auto& [unit, range] : ranges) {
        // A flat line still gets an axis a technician can read.
        const double margin = std::max((range.second - range.first) * 0.05,
                                       std::max(std::abs(range.second) * 0.01, 0.5));
        axisForUnit(unit)->setRange(range.first - margin, range.second + margin);
    }
}

void TrendWindow::showStability() {
    for (auto& [channel, track] : tracks_) {
        const Stability stability = StabilityOf(track.points, kStabilitySeconds);
        const QString unit = track.unit.isEmpty() ? QString() : u' ' + track.unit;
        tblStability->item(track.row, kColumnSpread)
            ->setText(stability.samples ? figure(stability.spread) + unit : QString());
        // A drift worked out from seconds of readings says little about a minute.
        const bool minuteOfReadings =
            !track.points.empty() &&
            track.points.back().seconds - track.points.front().seconds >= kStabilitySeconds;
        tblStability->item(track.row, kColumnDrift)
            ->setText(stability.driftPerMinute && minuteOfReadings
                          ? figure(*stability.driftPerMinute) + unit + QStringLiteral("/min")
                          : QString());
    }
}

Stability TrendWindow::stabilityOf(int channel) const {
    auto track = tracks_.find(channel);
    return track == tracks_.end() ? Stability{} : StabilityOf(track->second.points, kStabilitySeconds);
}

int TrendWindow::pointsShown(int channel) const {
    auto track = tracks_.find(channel);
    return track == tracks_.end() || !track->second.series
               ? 0
               : static_cast<int>(track->second.series->count());
}

}  // namespace kelvo
