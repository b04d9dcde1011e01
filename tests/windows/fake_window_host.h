#pragma once
// The application shell as the sensor windows see it, recording what they ask of it.

#include <QString>
#include <QStringList>

#include "windows/window_host.h"

namespace kelvo::test {

class FakeWindowHost : public WindowHost {
public:
    void RestartOrEnd() override { ++restarts; }
    bool dontShowSetupDialog() const override { return dontShow; }
    void setDontShowSetupDialog(bool value) override { dontShow = value; }
    void ShowProgress(const QString& caption, bool, QWidget*, bool, bool, bool) override {
        progress << caption;
    }
    bool showSpanCalNote() override { return spanNoteAnswer; }
    void openDocument(const QString& path) override { documents << path; }

    int restarts = 0;
    bool dontShow = false;
    bool spanNoteAnswer = true;
    QStringList progress;  // every caption asked for; "" closes the dialog
    QStringList documents;
};

}  // namespace kelvo::test
