#include "windows/platform5/shape_picture.h"

#include <QMouseEvent>
#include <QPainter>

namespace kelvo {

ShapePicture::ShapePicture(bool digital, bool positiveSign, bool positiveSlope, QWidget* parent)
    : QWidget(parent),
      digital_(digital),
      positiveSign_(positiveSign),
      positiveSlope_(positiveSlope) {
    setFixedSize(sizeHint());
    setCursor(Qt::PointingHandCursor);
}

void ShapePicture::setProgress(double fraction) {
    progress_ = fraction;
    update();
}

void ShapePicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
    painter.fillRect(rect(), QColor(84, 108, 141));
    // The zero line sits low for a positive sign and high for a negative one.
    const double zeroY = positiveSign_ ? area.bottom() : area.top();
    const double fullY = positiveSign_ ? area.top() : area.bottom();
    painter.setPen(QPen(Qt::white, 1, Qt::DotLine));
    painter.drawLine(QPointF(area.left(), zeroY), QPointF(area.right(), zeroY));

    const double lowX = area.left() + area.width() * 0.25;
    const double highX = area.left() + area.width() * 0.75;
    const double startY = positiveSlope_ ? zeroY : fullY;
    const double endY = positiveSlope_ ? fullY : zeroY;
    QPolygonF shape;
    shape << QPointF(area.left(), startY);
    if (digital_) {
        const double midX = (lowX + highX) / 2;
        shape << QPointF(midX, startY) << QPointF(midX, endY);
    } else {
        shape << QPointF(lowX, startY) << QPointF(highX, endY);
    }
    shape << QPointF(area.right(), endY);
    painter.setPen(QPen(QColor(255, 255, 0), 2));
    painter.drawPolyline(shape);

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
