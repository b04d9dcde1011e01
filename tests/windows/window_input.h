#pragma once
// What a user does to a window: types into a field and leaves it, picks from a pop-up.

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

namespace kelvo::test {

// What leaving a field after typing does.
inline void type(QLineEdit* field, const QString& text) {
    QTest::mouseClick(field, Qt::LeftButton);
    field->setText(text);
    QTest::keyClick(field, Qt::Key_Return);
}

// Clicks the label and picks the item from the pop-up it opens.
inline void pick(QLabel* label, QMenu* popup, QAction* item) {
    QTimer::singleShot(0, popup, [popup, item] {
        item->trigger();
        popup->close();
    });
    QTest::mouseClick(label, Qt::LeftButton);
}

}  // namespace kelvo::test
