#include "qt/calibration_report.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPageSize>
#include <QPdfWriter>
#include <QSettings>
#include <QTextDocument>

#include "files/file_writer.h"

namespace kelvo {
namespace {

// Enough for a sharp table; the page count, not the resolution, sets the file's size.
constexpr int kReportDpi = 300;
constexpr double kMarginMm = 15;
constexpr const char* kCliPrefix = "kelvo-cli ";

QString escaped(const std::string& text) {
    return QString::fromStdString(text).toHtmlEscaped();
}

QString cell(const std::string& text) {
    return "<td>" + escaped(text) + "</td>";
}

// How a row ended, as the customer reads it.
QString resultText(const VisitRow& row) {
    const bool check = row.action.find("check") != std::string::npos;
    if (row.result == "done") return check ? "Within tolerance" : "Calibrated";
    if (row.result == "failed") return check ? "Outside tolerance" : "Failed";
    if (row.result == "refused") return "Refused";
    if (row.result == "interrupted") return "Interrupted";
    return QString::fromStdString(row.result);
}

QString when(std::chrono::system_clock::time_point t) {
    return QDateTime::fromSecsSinceEpoch(
               std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count())
        .toString("yyyy-MM-dd HH:mm");
}

}  // namespace

QString StoredTechnician() {
    return QSettings("Kelvo", "Kelvo").value(kTechnicianSetting).toString();
}

QString CalibrationReportHtml(const CalibrationVisit& visit, const QString& technician,
                              const QDateTime& made) {
    QString html =
        "<html><body style=\"font-family: sans-serif; font-size: 9pt;\">"
        "<h2>Calibration report</h2>"
        "<table cellspacing=\"0\" cellpadding=\"3\">";
    const auto field = [&html](const QString& name, const QString& value) {
        html += "<tr><td><b>" + name + "</b></td><td>" + value + "</td></tr>";
    };
    field("Sensor", "Platform " + QString::number(visit.platform) + ", version " +
                        escaped(visit.version) + ", serial number " + escaped(visit.serial));
    field("Visit",
          when(visit.first) + (visit.last != visit.first ? " to " + when(visit.last) : ""));
    field("Report made", made.toString("yyyy-MM-dd HH:mm"));
    field("Technician", technician.isEmpty() ? "(not given)" : technician.toHtmlEscaped());
    html += "</table><h3>Calibrations and checks</h3>";
    if (visit.rows.empty()) {
        html += "<p>No calibration or check was made during this visit.</p>";
    } else {
        html +=
            "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
            "<tr><th>Time</th><th>Quantity</th><th>Action</th><th>Reference</th>"
            "<th>As found</th><th>As left</th><th>Deviation</th><th>Stability</th>"
            "<th>Result</th></tr>";
        for (const VisitRow& row : visit.rows) {
            // The customer needs the action, not which program ran it.
            std::string action = row.action;
            if (action.rfind(kCliPrefix, 0) == 0) action.erase(0, std::string(kCliPrefix).size());
            html += "<tr>" + cell(row.time) + cell(row.quantity) + cell(action) +
                    cell(row.reference) + cell(row.asFound) + cell(row.asLeft) +
                    cell(row.deviation) + cell(row.stability) + "<td>" + resultText(row) +
                    "</td></tr>";
        }
        html += "</table>";
        // Why a calibration did not take belongs on the page the customer keeps.
        for (const VisitRow& row : visit.rows)
            if (row.result != "done" && !row.message.empty())
                html += "<p>" + escaped(row.time + " " + row.action + ": " + row.message) + "</p>";
    }
    html += "<h3>Settings changed during the visit</h3><p>" + escaped(visit.settingsNote) + "</p>";
    if (!visit.settingsChanged.empty()) {
        html += "<ul>";
        for (const std::string& line : visit.settingsChanged)
            html += "<li>" + escaped(line) + "</li>";
        html += "</ul>";
    }
    return html + "</body></html>";
}

bool WriteCalibrationReport(const std::string& appDir, const std::string& pdfPath,
                            const ReportFilter& filter, std::string& error) {
    // Fonts and the page's painter need the GUI side of Qt, even with no screen.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        error = "A calibration report needs a QGuiApplication.";
        return false;
    }
    CalibrationVisit visit;
    if (!CollectVisit(appDir, filter, visit, error)) return false;
    const QString technician =
        filter.technician.empty() ? StoredTechnician() : QString::fromStdString(filter.technician);

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        // Nine columns of readings with their units read best across the page.
        pdf.setPageOrientation(QPageLayout::Landscape);
        pdf.setPageMargins(QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                           QPageLayout::Millimeter);
        pdf.setResolution(kReportDpi);
        pdf.setTitle("Calibration report " + QString::fromStdString(visit.serial));
        pdf.setCreator("Kelvo");
        QTextDocument document;
        document.setHtml(CalibrationReportHtml(visit, technician, QDateTime::currentDateTime()));
        document.print(&pdf);
    }
    buffer.close();
    const QByteArray& bytes = buffer.data();
    if (bytes.isEmpty()) {
        error = "Qt made no PDF of the report.";
        return false;
    }
    std::string why;
    if (!WriteFileAtomically(pdfPath, Bytes(bytes.begin(), bytes.end()), why)) {
        error = pdfPath + ": " + why;
        return false;
    }
    return true;
}

}  // namespace kelvo
