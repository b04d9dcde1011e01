#pragma once
// Message boxes, input boxes and file dialogs for the windows, titled with the application's
// name the way every Kelvo box is.

#include <QString>

#include "common/platform.h"

class QWidget;

namespace kelvo {

// "(*.Set)|*.Set" (description|pattern pairs) as a Qt name filter. Every pattern is offered
// in its lower- and upper-case forms too, since the names are compared without regard to case.
QString qtFileFilter(const std::string& filter);

class QtPrompter : public Prompter {
public:
    void message(const std::string& text, Icon icon = Icon::Plain) override;
    std::string input(const std::string& prompt) override;
    std::optional<std::string> openFile(const std::string& filter) override;
    std::optional<std::string> saveFile(const std::string& filter) override;
    bool confirm(const std::string& question) override;
    bool proceed(const std::string& question) override;

private:
    static QWidget* parentWindow();
};

}  // namespace kelvo
