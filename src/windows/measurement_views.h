#pragma once
// The "View" menu every sensor window has: the live trend of its channels and the
// measurement log. Both take what the window shows after each poll, so they add no
// traffic of their own; in simulated mode the trend plots the typed values instead.

#include <QObject>
#include <QString>
#include <QTimer>
#include <string>

class QAction;
class QMenu;

namespace kelvo {

struct Context;
class SensorWindow;
class TrendWindow;

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

    QAction* mTrend = nullptr;
    QAction* mLogMeasurements = nullptr;

private:
    void showTrend();
    void startLog();
    void stopLog(const QString& reason = QString());
    QString logName() const;
    void sampleSimulated();
    void addToTrend();

    SensorWindow& window_;
    Context& ctx_;
    TrendWindow* trend_ = nullptr;
    QTimer simulatedSamples_;
    // The log's file and its header, written again should the file vanish while logging.
    std::string logPath_;
    std::string logHeader_;
};

}  // namespace kelvo
