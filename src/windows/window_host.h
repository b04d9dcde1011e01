#pragma once
// What a sensor window needs from the application shell. The shell implements it; GUI
// tests may fake it.

#include <QString>

class QWidget;

namespace kelvo {

class WindowHost {
public:
    virtual ~WindowHost() = default;

    // Stores the visible window's fields into last.set, closes the port, then ends the
    // program or runs start-up again.
    virtual void RestartOrEnd() = 0;

    // The setup dialog's "Don't show this dialog in the future" (stored as "Dont").
    virtual bool dontShowSetupDialog() const = 0;
    virtual void setDontShowSetupDialog(bool dontShow) = 0;

    // Opens, lays out or (with an empty caption) closes the progress dialog.
    virtual void ShowProgress(const QString& caption, bool HideBar = false,
                              QWidget* owner = nullptr, bool HideLine1 = false,
                              bool HideLine2 = true, bool HideLine3 = true) = 0;

    // Shows the span-calibration note modally; false when the user cancels.
    virtual bool showSpanCalNote() = 0;

    // Opens a document (help page) with the desktop's default application.
    virtual void openDocument(const QString& path) = 0;
};

}  // namespace kelvo
