#pragma once
// The "View" menu every sensor window has: the live trend of its channels and the
// measurement log. Both take what the window shows after each poll, so they add no
// traffic of their own; in simulated mode the trend plots the typed values instead.

#include <QObject>
#include <QString>
#include <QTimer>
#include <deque>
#include <map>
#include <string>

#include "model/measurement_trend.h"

class QAction;
class QMenu;

namespace kelvo {

struct Context;
class SensorWindow;
class TrendWindow;

// How steady a channel's reading has been: its figures over the last minute, and for how
// long its readings have run on without a gap.
struct Steadiness {
    Stability lastMinute;
    double watchedSeconds = 0;
};

class MeasurementViews : public QObject {
    Q_OBJECT

public:
    // Simulated values are sampled at the poll period, so both modes plot alike.
    static constexpr int kSimulatedSampleMs = 2000;

    MeasurementViews(SensorWindow& window, Context& ctx, QMenu* view);
    ~MeasurementViews() override;

    // After each successful poll: the values the window now shows.
    void polled();

    bool logging() const;
    TrendWindow* trend() const { return trend_; }
    // The steadiness of a shown channel (as shownChannels numbers it) from the polls, kept
    // whether or not the trend is open, so a calibration can say how steady its reading is.
    Steadiness steadiness(int shownChannel) const;

    QAction* mTrend = nullptr;
    QAction* mLogMeasurements = nullptr;

private:
    void showTrend();
    void startLog();
    void stopLog(const QString& reason = QString());
    QString logName() const;
    void sampleSimulated();
    void addToTrend();
    void keepRecent();

    SensorWindow& window_;
    Context& ctx_;
    TrendWindow* trend_ = nullptr;
    QTimer simulatedSamples_;
    std::map<int, std::deque<TrendPoint>> recent_;
    // The log's file and its header, written again should the file vanish while logging.
    std::string logPath_;
    std::string logHeader_;
};

}  // namespace kelvo
