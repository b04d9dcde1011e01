#pragma once
// Small helpers the platform-6 window's builders share: colours and compact rows.

#include <QColor>
#include <QLabel>
#include <QPalette>
#include <QString>

namespace kelvo::frm6widgets {

inline const QColor kYellow{255, 255, 0};
inline const QColor kGreen{0, 255, 0};
inline const QColor kDisplayBackground{84, 108, 141};

// Pick-list labels sit on the dark display background like the fields.
inline void styleDisplayLabel(QLabel* label) {
    label->setAutoFillBackground(true);
    QPalette palette = label->palette();
    palette.setColor(QPalette::Window, kDisplayBackground);
    palette.setColor(QPalette::WindowText, kYellow);
    label->setPalette(palette);
}

}  // namespace kelvo::frm6widgets
