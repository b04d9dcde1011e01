#pragma once
// A small drawing of an output function's shape (or of the trigger's sign): a line rising
// or falling, above or below the zero line, as a ramp or as a step. Clicking it asks for
// the next shape.

#include <QWidget>

namespace kelvo {

class ShapePicture : public QWidget {
    Q_OBJECT

public:
    ShapePicture(bool digital, bool positiveSign, bool positiveSlope, QWidget* parent = nullptr);
    QSize sizeHint() const override { return {56, 34}; }

    // The trigger's moving line: the fraction of the time axis passed, or < 0 for none.
    void setProgress(double fraction);
    double progress() const { return progress_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool digital_;
    bool positiveSign_;
    bool positiveSlope_;
    double progress_ = -1;
};

}  // namespace kelvo
