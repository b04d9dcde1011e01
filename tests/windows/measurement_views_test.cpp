// The "View" menu of every sensor window: the trend and the measurement log take exactly
// what the window shows after each poll, and the log writes points whatever the locale.
#include <gtest/gtest.h>

#include <QAction>
#include <QChartView>
#include <QTableWidget>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <set>

#include "common/values.h"
#include "model/identification.h"
#include "windows/measurement_views.h"
#include "windows/trend_window.h"
#include "windows/window_on_sensor.h"

namespace kelvo::test {
namespace {

// The desktop's locale, as a German technician's program would run with it.
class GermanLocale {
public:
    GermanLocale() : numeric_(std::setlocale(LC_NUMERIC, nullptr)) {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // where the machine has it
    }
    ~GermanLocale() {
        std::setlocale(LC_NUMERIC, numeric_.c_str());
        QLocale::setDefault(QLocale::c());
    }

private:
    std::string numeric_;
};

// The locale first: the window is opened, and closed, under it.
class MeasurementViewsOnEveryWindow : public GermanLocale, public OnEachSensor {};

TEST_P(MeasurementViewsOnEveryWindow, LogAndTrendTakeEveryPollAsShown) {
    MeasurementViews& views = *w.window->measurementViews();
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    w.rig.t.prompter.fileAnswers.push_back(path.toStdString());

    views.mLogMeasurements->trigger();
    ASSERT_TRUE(views.logging());
    EXPECT_TRUE(views.mLogMeasurements->isChecked());
    views.mTrend->trigger();
    ASSERT_NE(views.trend(), nullptr);

    std::vector<std::vector<ShownChannel>> polled;
    ASSERT_FALSE(w.window->shownChannels().empty());
    const int channel = w.window->shownChannels()[0].channel;
    // The reading at opening counts where the window already shows one.
    const int atOpening = views.trend()->pointsShown(channel);
    for (int poll = 0; poll < 3; ++poll) {
        w.poll();
        polled.push_back(w.window->shownChannels());
    }
    views.mLogMeasurements->trigger();
    EXPECT_FALSE(views.logging());
    EXPECT_FALSE(views.mLogMeasurements->isChecked());
    w.poll();  // a poll after stopping writes nothing

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2 + 3) << lines.join('\n').toStdString();
    EXPECT_EQ(lines[0], "# " + QString::fromStdString(SerialText(w.ctx())));
    QStringList header{"time"};
    for (const ShownChannel& shown : polled[0])
        header << (shown.unit.isEmpty() ? shown.name : shown.name + " (" + shown.unit + ")");
    EXPECT_EQ(lines[1], header.join(','));
    ASSERT_FALSE(polled[0].empty());
    const QRegularExpression iso("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$");
    for (int poll = 0; poll < 3; ++poll) {
        const QStringList cells = lines[2 + poll].split(',');
        ASSERT_EQ(cells.size(), 1 + static_cast<qsizetype>(polled[poll].size())) << lines[2 + poll].toStdString();
        EXPECT_TRUE(iso.match(cells[0]).hasMatch()) << cells[0].toStdString();
        for (size_t k = 0; k < polled[poll].size(); ++k) {
            const QString shown = polled[poll][k].value;
            EXPECT_FALSE(shown.contains(',')) << "the window shows a decimal comma";
            EXPECT_EQ(cells[1 + k], shown.trimmed());
        }
    }

    // The trend plotted every poll: three while logging, one after.
    EXPECT_EQ(views.trend()->pointsShown(channel), atOpening + 4);
    EXPECT_EQ(views.trend()->stabilityOf(channel).samples, atOpening + 4);
    views.trend()->btnPause->setChecked(true);
    w.poll();
    EXPECT_EQ(views.trend()->pointsShown(channel), atOpening + 4) << "a paused chart stays as it was";
    views.trend()->btnPause->setChecked(false);
    EXPECT_EQ(views.trend()->pointsShown(channel), atOpening + 5) << "resuming shows what was missed";
    EXPECT_TRUE(w.rig.t.prompter.messages().empty()) << w.rig.t.prompter.messages()[0];

    // No axis stands empty, no name keeps a caption's colon; drift per minute after a minute.
    QChart* chart = views.trend()->findChild<QChartView*>("chvTrend")->chart();
    std::set<QAbstractAxis*> used;
    for (QAbstractSeries* line : chart->series()) {
        used.insert(line->attachedAxes().at(1));
        EXPECT_FALSE(line->name().contains(':')) << line->name().toStdString();
    }
    EXPECT_EQ(used.size(), static_cast<size_t>(chart->axes(Qt::Vertical).size()));
    QTableWidgetItem* drift = views.trend()->tblStability->item(0, 3);
    EXPECT_TRUE(drift->text().isEmpty());
    for (int poll = 0; poll < 30; ++poll) w.poll();
    EXPECT_TRUE(drift->text().endsWith(" C/min")) << drift->text().toStdString();
    // Alarm levels are drawn on the channel each watches.
    if (kind.platform == kPlatform61 || kind.platform == kPlatform7) {
        const std::vector<TrendMarker> markers = w.window->trendMarkers();
        EXPECT_EQ(markers.size(), 4u);
        for (const TrendMarker& marker : markers)
            EXPECT_TRUE(std::any_of(polled[0].begin(), polled[0].end(),
                                    [&](const ShownChannel& c) { return c.channel == marker.channel; }))
                << marker.label.toStdString();
    }
}

TEST(MeasurementViews, SimulatedModePlotsTheTypedValuesAndACancelledLogLogsNothing) {
    WindowOnSensor w(5, 0);
    MeasurementViews& views = *w.window->measurementViews();
    w.rig.t.prompter.fileAnswers.push_back(std::nullopt);
    views.mLogMeasurements->trigger();
    EXPECT_FALSE(views.logging());
    EXPECT_FALSE(views.mLogMeasurements->isChecked());

    w.window->SimMode(true);
    auto* field = w.window->findChild<QLineEdit*>(QStringLiteral("txbCHact_0"));
    ASSERT_NE(field, nullptr);
    const int channel = w.window->shownChannels().at(0).channel;
    field->setText("123,5");
    views.mTrend->trigger();
    QTest::qWait(MeasurementViews::kSimulatedSampleMs + 300);
    field->setText("124");
    QTest::qWait(MeasurementViews::kSimulatedSampleMs + 300);
    EXPECT_EQ(views.trend()->pointsShown(channel), 3);
    const Stability stability = views.trend()->stabilityOf(channel);
    EXPECT_EQ(stability.samples, 3);
    EXPECT_DOUBLE_EQ(stability.spread, 0.5);
}

TEST(MeasurementViews, RefusesKelvosOwnFilesAndSaysWhenItLogs) {
    WindowOnSensor w(6, 0);
    MeasurementViews& views = *w.window->measurementViews();
    for (const char* own : {"HISTORY.CSV", "Backups/old/x.csv", "none/../Last.Set", "comlogg.txt"}) {
        w.rig.t.prompter.fileAnswers.push_back(w.ctx().AppDir + own);
        views.mLogMeasurements->trigger();
        EXPECT_FALSE(views.logging()) << own;
    }
    EXPECT_EQ(w.rig.t.prompter.messages().size(), 4u);
    QTemporaryDir dir;
    w.rig.t.prompter.fileAnswers.push_back(dir.filePath("log.csv").toStdString());
    views.mLogMeasurements->trigger();
    EXPECT_EQ(w.window->statusBar()->currentMessage(), "Logging measurements to log.csv");
    views.mLogMeasurements->trigger();
    EXPECT_EQ(w.window->statusBar()->currentMessage(), "Measurement log closed: log.csv");
}

INSTANTIATE_TEST_SUITE_P(EveryWindowKind, MeasurementViewsOnEveryWindow,
                         ::testing::Values(SensorKind{5, 0}, SensorKind{5, 1}, SensorKind{6, 0},
                                           SensorKind{61, 0}, SensorKind{7, 1}),
                         kindName);

}  // namespace
}  // namespace kelvo::test
