#pragma once
// The objectNames tests, tools and start-up find a window's controls by: the control's own
// name, and "name_k" for element k of a control array.

#include <QString>

namespace kelvo {

template <typename W>
W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

inline QString indexed(const QString& name, int k) {
    return QStringLiteral("%1_%2").arg(name).arg(k);
}

inline QString indexed(const char* name, int k) {
    return indexed(QString::fromUtf8(name), k);
}

}  // namespace kelvo
