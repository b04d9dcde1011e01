#pragma once
// A small drawing of an output function's shape (or of the trigger's sign): what the
// function adds to its output as its channel goes from A to B, drawn against the output's
// zero line, as a ramp or, for a digital output, as a step. Clicking it asks for the next
// shape.

#include <QPolygonF>
#include <QWidget>

namespace kelvo {

class ShapePicture : public QWidget {
    Q_OBJECT

public:
    // shape: an output-function shape (settings/function_shapes.h).
    explicit ShapePicture(int shape, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {56, 34}; }

    // The trigger's moving line: the fraction of the time axis passed, or < 0 for none.
    void setProgress(double fraction);
    double progress() const { return progress_; }

    // Where the drawing puts the output's zero line and the function's line, in the
    // widget's coordinates (the line runs from A on the left to B on the right).
    double zeroLineY() const;
    QPolygonF shapeLine() const;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QRectF drawingArea() const;
    // The y at which the drawing shows an output share of level percent.
    double yOf(double level) const;

    int shape_;
    double progress_ = -1;
};

}  // namespace kelvo
