// The bump tests of the Sensor menu and the calibration report of the File menu: a check
// tells whether a calibration is needed at all, the report hands the visit's calibrations
// and checks to the customer.
#include <QMenu>
#include <QSettings>
#include <QStatusBar>

#include "calibration/calibration_bump.h"
#include "common/context.h"
#include "common/id_byte.h"
#include "common/values.h"
#include "model/identification.h"
#include "model/platform_profile.h"
#include "qt/calibration_report.h"
#include "windows/sensor_window.h"

namespace kelvo {

namespace {

QAction* addCheckItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(QString::fromLatin1(name));
    return item;
}

}  // namespace

void SensorWindow::buildCheckMenus() {
    mCheck = M0->addMenu(QStringLiteral("Check against reference"));
    mCheck->setObjectName(QStringLiteral("mCheck"));
    mCheck->menuAction()->setObjectName(QStringLiteral("mCheck"));
    mCheck->setToolTipsVisible(true);
    mCheck->setToolTip(
        QStringLiteral("Reads the channel in a known gas or temperature and says "
                       "whether a calibration is needed; nothing is written."));
    mCheckTemp = addCheckItem(mCheck, "mCheckTemp", QStringLiteral("Temp"));
    mCheckCO2 = addCheckItem(mCheck, "mCheckCO2", QStringLiteral("CO2"));
    mCheckO2 = addCheckItem(mCheck, "mCheckO2", QStringLiteral("O2"));
    // Only sensors with an O2 cell are checked in O2.
    connect(mCheck, &QMenu::aboutToShow, this, [this] {
        const uint8_t platform = ctx_.RamRead[kRamIdByte] ? PlatformOfIdByte(GetIdByte(ctx_)) : 0;
        mCheckO2->setVisible(HasO2Cell(platform));
    });

    mCalReport = new QAction(QStringLiteral("Calibration report..."), mFile);
    mCalReport->setObjectName(QStringLiteral("mCalReport"));
    mFile->insertAction(msep2, mCalReport);
    connect(mCalReport, &QAction::triggered, this, &SensorWindow::makeCalibrationReport);
    mTechnician = mOptions->addAction(QStringLiteral("Technician's name..."));
    mTechnician->setObjectName(QStringLiteral("mTechnician"));
    connect(mTechnician, &QAction::triggered, this, &SensorWindow::askTechnician);
}

bool SensorWindow::ActionCheck(int16_t code) {
    const CalQuantity quantity = code == kActionCheckTemp ? CalQuantity::Temperature
                                 : code == kActionCheckO2 ? CalQuantity::O2
                                                          : CalQuantity::CO2;
    const AnswerIn unit = quantity == CalQuantity::Temperature ? AnswerIn::Temperature
                          : quantity == CalQuantity::O2        ? AnswerIn::O2
                                                               : AnswerIn::CO2;
    const char* question = quantity == CalQuantity::Temperature
                               ? "Please enter the reference temperature"
                           : quantity == CalQuantity::O2 ? "Please enter the reference O2 level"
                                                         : "Please enter the reference CO2 gas";
    const std::string answer = ctx_.prompt.input(promptInUnit(question, answerUnit(unit)));
    if (checkAnswer(answer) != Answer::Number) return false;
    const BumpCheck check = CheckAgainstReference(ctx_, quantity, ParseNumber(answer));
    if (!check.read) return false;
    ctx_.prompt.message(check.message);
    statusBar()->showMessage(QString::fromStdString(check.message));
    return true;
}

bool SensorWindow::askTechnician() {
    const std::string name =
        ctx_.prompt.input("The technician's name, printed on calibration reports:\n(now: " +
                          StoredTechnician().toStdString() + ")");
    if (name.empty()) return false;
    QSettings("Kelvo", "Kelvo").setValue(kTechnicianSetting, QString::fromStdString(name));
    return true;
}

void SensorWindow::makeCalibrationReport() {
    if (StoredTechnician().isEmpty() && !askTechnician()) return;
    const auto path = ctx_.prompt.saveFile("(*.pdf)|*.pdf");
    if (!path || path->empty()) return;
    ReportFilter filter;
    // The sensor this window shows; before it is known, the one the history saw last.
    if (ctx_.RamRead[kRamIdByte]) filter.serial = SerialText(ctx_);
    std::string error;
    if (!WriteCalibrationReport(ctx_.AppDir, *path, filter, error)) {
        ctx_.prompt.message("No calibration report was made: " + error);
        return;
    }
    statusBar()->showMessage(
        QStringLiteral("Calibration report saved to %1.").arg(QString::fromStdString(*path)));
}

}  // namespace kelvo
