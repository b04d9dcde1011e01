#pragma once
// The calibration report a technician hands to the customer: one PDF per visit, made from
// the service history and backups in AppDir. The whole layout is here, as HTML that Qt's
// own text engine sets on the page; kelvo-cli report and the windows' File menu both call
// WriteCalibrationReport.

#include <QDateTime>
#include <QString>
#include <string>

#include "service/calibration_visit.h"

namespace kelvo {

// The technician's name in the per-user settings store (application "Kelvo"), which the
// windows let the user set and the report prints.
inline constexpr const char* kTechnicianSetting = "Start/Technician";
QString StoredTechnician();

// The report's page as HTML: the sensor's identity, when it was made and by whom, one row
// per calibration and check, then the settings changed during the visit.
QString CalibrationReportHtml(const CalibrationVisit& visit, const QString& technician,
                              const QDateTime& made);

// Writes the report of the visit the filter picks to pdfPath (through a temporary and a
// rename, so an earlier report is replaced whole or not at all). Needs a QGuiApplication;
// false with the reason in error when there is none, the history holds nothing to report
// or the file could not be written.
bool WriteCalibrationReport(const std::string& appDir, const std::string& pdfPath,
                            const ReportFilter& filter, std::string& error);

}  // namespace kelvo
