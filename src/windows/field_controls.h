#pragma once
// Qt controls as a settings table sees them: the text each holds and how it shows one.
// The table (settings/field_binding.h) remembers what it showed and decides what is stored.

#include <QString>
#include <vector>

#include "settings/field_binding.h"

class QAbstractButton;
class QLabel;
class QLineEdit;

namespace kelvo {

// A text field, or a pick-list label whose caption names the choice.
FieldControl textControl(QLineEdit* field);
FieldControl textControl(QLabel* label);
// A check box: "1" ticked, "0" clear.
FieldControl checkControl(QAbstractButton* box);
// Option buttons of which one is chosen: the chosen one's index, "" for none. The name is
// that of the frame that holds them.
FieldControl choiceControl(const QString& name, std::vector<QAbstractButton*> options);

// Whether a pick-list label is drawn as one the user may change (yellow text): only such a
// label opens its pick list when clicked.
bool shownEditable(const QLabel* label);

}  // namespace kelvo
