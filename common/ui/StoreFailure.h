#pragma once

#include "MessageBoxes.h"
#include "Settings.h"

#include <QApplication>

namespace tallimo::ui {

// A settings entry or "Set.ini" key that cannot be written is a file error: the box names the
// file and the reason, and the action that needed the value goes no further.
void showStoreFailure(MessageBoxes& messages, const SettingsError& failure);

// Runs a step that writes the store; a failed write is shown. False when it failed.
template <typename Step>
bool reportStoreFailure(MessageBoxes& messages, Step&& step) {
    try {
        step();
        return true;
    } catch (const SettingsError& failure) {
        showStoreFailure(messages, failure);
        return false;
    }
}

// The window programs' application: a failure that no handler caught (an unwritable store) is
// shown in an error box instead of ending the program.
class ReportingApplication final : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tallimo::ui
