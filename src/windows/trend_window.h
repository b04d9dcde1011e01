#pragma once
// The live trend of a sensor window's channels: the last minutes of readings, one line per
// channel on an axis per unit, with the window's alarm levels or set points, and beside it
// how steady each reading has been over the last minute.

#include <QString>
#include <QWidget>
#include <deque>
#include <map>
#include <vector>

#include "model/measurement_trend.h"
#include "windows/channel_panel.h"

class QChart;
class QLineSeries;
class QPushButton;
class QTableWidget;
class QValueAxis;

namespace kelvo {

// A level drawn across the chart on a channel's axis.
struct TrendMarker {
    int channel = -1;
    double value = 0;
    QString label;
};

class TrendWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr double kShownSeconds = 10 * 60;
    static constexpr double kStabilitySeconds = 60;

    explicit TrendWindow(QWidget* parent = nullptr);

    // One reading of every shown channel, taken at `seconds` on a steady clock. A value
    // that is not a number (a blank field) leaves a gap in that channel's line.
    void addSample(double seconds, const std::vector<ShownChannel>& shown);
    void setMarkers(const std::vector<TrendMarker>& markers);
    bool paused() const;
    Stability stabilityOf(int channel) const;
    int pointsShown(int channel) const;

    QPushButton* btnPause = nullptr;
    QTableWidget* tblStability = nullptr;

private:
    struct Track {
        QString name;
        QString unit;
        std::deque<TrendPoint> points;
        QLineSeries* series = nullptr;
        int row = 0;
    };

    Track& trackFor(const ShownChannel& shown);
    void drawLine(Track& track);
    QValueAxis* axisForUnit(const QString& unit);
    void redraw();
    void showStability();

    QChart* chart_ = nullptr;
    QValueAxis* timeAxis_ = nullptr;
    std::map<int, Track> tracks_;
    std::map<QString, QValueAxis*> unitAxes_;
    std::vector<TrendMarker> markers_;
    std::vector<QLineSeries*> markerSeries_;
    double newest_ = 0;
};

}  // namespace kelvo
