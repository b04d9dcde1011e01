#include "windows/platform5/shape_picture.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "settings/function_shapes.h"

namespace kelvo {

namespace {
constexpr double kMargin = 4;
// Where along the channel axis A and B sit in the drawing.
constexpr double kAAt = 0.25;
constexpr double kBAt = 0.75;
}  // namespace

ShapePicture::ShapePicture(int shape, QWidget* parent) : QWidget(parent), shape_(shape) {
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
}

void ShapePicture::setProgress(double fraction) {
    progress_ = fraction;
    update();
}

QRectF ShapePicture::drawingArea() const {
    return QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
}

double ShapePicture::yOf(double level) const {
    // The drawing spans the shares the function can add, with the zero line at one edge:
    // a share that pulls the output down lies below it.
    const double atA = shapeContribution(shape_, 0);
    const double atB = shapeContribution(shape_, 1);
    const double low = std::min({0.0, atA, atB});
    const double high = std::max({0.0, atA, atB});
    const QRectF area = drawingArea();
    if (high == low) return area.bottom();
    return area.bottom() - (level - low) / (high - low) * area.height();
}

double ShapePicture::zeroLineY() const {
    return yOf(0);
}

QPolygonF ShapePicture::shapeLine() const {
    const QRectF area = drawingArea();
    const double atA = yOf(shapeContribution(shape_, 0));
    const double atB = yOf(shapeContribution(shape_, 1));
    const double aX = area.left() + area.width() * kAAt;
    const double bX = area.left() + area.width() * kBAt;
    QPolygonF line;
    line << QPointF(area.left(), atA);
    if (kindOfShape(shape_) == FunctionKind::Digital) {
        // A digital output switches once between the two levels.
        const double midX = (aX + bX) / 2;
        line << QPointF(midX, atA) << QPointF(midX, atB);
    } else {
        line << QPointF(aX, atA) << QPointF(bX, atB);
    }
    line << QPointF(area.right(), atB);
    return line;
}

void ShapePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = drawingArea();
    painter.fillRect(rect(), QColor(84, 108, 141));
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawLine(QPointF(area.left(), zeroLineY()), QPointF(area.right(), zeroLineY()));
    painter.setPen(QPen(QColor(255, 255, 0), 2));
    painter.drawPolyline(shapeLine());

    if (progress_ >= 0) {
        const double x = area.left() + area.width() * std::min(progress_, 1.0);
        painter.setPen(QPen(QColor(0, 255, 0), 2));
        painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
}

void ShapePicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

}  // namespace kelvo
