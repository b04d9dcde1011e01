#include "windows/edit_field.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <algorithm>

namespace kelvo {

namespace {
const QColor kDisplayBackground(84, 108, 141);
const QColor kDisplayText(255, 255, 0);

void setColours(QLineEdit* field, const QColor& background, const QColor& text) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, background);
    palette.setColor(QPalette::Text, text);
    field->setPalette(palette);
}
}  // namespace

void setDisplayColours(QLineEdit* field) {
    setColours(field, kDisplayBackground,
               field->property("kelvoTextColour").isValid()
                   ? field->property("kelvoTextColour").value<QColor>()
                   : kDisplayText);
}

void setEditColours(QLineEdit* field) {
    setColours(field, Qt::white, Qt::black);
}

void setTextColour(QLineEdit* field, const QColor& colour) {
    // Remembered so that the field gets it back after an edit.
    field->setProperty("kelvoTextColour", colour);
    if (field->palette().color(QPalette::Base) != QColor(Qt::white)) {
        setColours(field, field->palette().color(QPalette::Base), colour);
    }
}

EditFieldBehaviour::EditFieldBehaviour(QLineEdit* field, std::function<void()> commit)
    : QObject(field), field_(field), commit_(std::move(commit)) {
    field->installEventFilter(this);
    setDisplayColours(field);
}

void EditFieldBehaviour::leave() {
    if (!editing_) return;
    editing_ = false;
    setDisplayColours(field_);
    if (commit_) commit_();
}

bool EditFieldBehaviour::eventFilter(QObject* watched, QEvent* event) {
    if (watched != field_ || field_->isReadOnly()) return QObject::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            editing_ = true;
            setEditColours(field_);
            // After the press has placed the cursor, or the selection would be lost.
            QTimer::singleShot(0, field_, [f = field_] { f->selectAll(); });
            break;
        case QEvent::FocusIn:
            editing_ = true;
            break;
        case QEvent::FocusOut:
            leave();
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                leave();
                return true;
            }
            if (!editing_) editing_ = true;
            break;
        }
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelvo

namespace kelvo {

void styleDisplayLabel(QLabel* label, const QColor& text) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kDisplayBackground);
    palette.setColor(QPalette::WindowText, text);
    label->setPalette(palette);
}

void fitWidthToText(QLineEdit* field, int minWidth) {
    const auto fit = [field, minWidth](const QString& text) {
        // The frame and the text margins take a few pixels on each side.
        constexpr int kPadding = 14;
        const int needed = field->fontMetrics().horizontalAdvance(text) + kPadding;
        field->setFixedWidth(std::max(minWidth, needed));
    };
    fit(field->text());
    QObject::connect(field, &QLineEdit::textChanged, field, fit);
}

}  // namespace kelvo
