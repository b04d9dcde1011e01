#include "windows/field_controls.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>

namespace kelvo {

FieldControl textControl(QLineEdit* field) {
    return {field->objectName().toStdString(), [field] { return field->text().toStdString(); },
            [field](const std::string& text) { field->setText(QString::fromStdString(text)); }};
}

FieldControl textControl(QLabel* label) {
    return {label->objectName().toStdString(), [label] { return label->text().toStdString(); },
            [label](const std::string& text) { label->setText(QString::fromStdString(text)); }};
}

FieldControl checkControl(QAbstractButton* box) {
    return {box->objectName().toStdString(),
            [box] { return std::string(box->isChecked() ? "1" : "0"); },
            [box](const std::string& text) { box->setChecked(text == "1"); }};
}

FieldControl choiceControl(const QString& name, std::vector<QAbstractButton*> options) {
    return {name.toStdString(),
            [options] {
                for (size_t k = 0; k < options.size(); ++k) {
                    if (options[k]->isChecked()) return std::to_string(k);
                }
                return std::string();
            },
            [options](const std::string& text) {
                for (size_t k = 0; k < options.size(); ++k) {
                    if (text == std::to_string(k)) options[k]->setChecked(true);
                }
            }};
}

bool shownEditable(const QLabel* label) {
    return label->palette().color(QPalette::WindowText) == QColor(255, 255, 0);
}

}  // namespace kelvo
