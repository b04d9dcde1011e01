#pragma once
// The behaviour every editable text field of a sensor window shares: a click turns it into
// an edit field with its text selected, Enter acts as leaving it, and leaving it restores
// the display colours and commits the value.

#include <QObject>
#include <functional>

class QLabel;
class QLineEdit;

namespace kelvo {

// Background RGB(84,108,141) with yellow text: how values are shown.
void setDisplayColours(QLineEdit* field);
// White with black text: the field is being edited.
void setEditColours(QLineEdit* field);
void setTextColour(QLineEdit* field, const QColor& colour);

class EditFieldBehaviour : public QObject {
    Q_OBJECT

public:
    // commit runs once each time the user leaves the field (focus out or Enter).
    EditFieldBehaviour(QLineEdit* field, std::function<void()> commit);

    // Runs the commit now if the field is being edited (what leaving it would do).
    void leave();
    bool editing() const { return editing_; }
    // Stops committing: the window the commit reaches is going away.
    void detach() { commit_ = nullptr; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* field_;
    std::function<void()> commit_;
    bool editing_ = false;
};

}  // namespace kelvo

namespace kelvo {

// A field that keeps a compact width of at least minWidth but grows with its text, so a
// long value (a huge integration time) is shown whole instead of clipped.
void fitWidthToText(QLineEdit* field, int minWidth);

// A value label on the display background with text of the given colour; yellow marks a
// label the user may change.
void styleDisplayLabel(QLabel* label, const QColor& text);

}  // namespace kelvo
