#pragma once

#include <QList>
#include <QString>

class QWidget;

namespace tallimo::ui {

// The programs report to the user only through modal message boxes; which icon a box carries
// tells refusals (exclamation), notices (information) and file or start-up errors (error) apart.
enum class MessageIcon { None, Exclamation, Information, Error };

// The title of a message box that has none of its own.
QString applicationTitle();

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box with one OK button and returns when the user has closed it. An empty
    // title stands for applicationTitle().
    virtual void show(MessageIcon icon, const QString& text, const QString& title = {}) = 0;
};

// Real boxes. They stay above the programs' own topmost windows, which would cover them.
class QtMessageBoxes final : public MessageBoxes {
public:
    void show(MessageIcon icon, const QString& text, const QString& title = {}) override;
};

// A test double that records every box instead of showing it.
class RecordingMessageBoxes final : public MessageBoxes {
public:
    struct Shown {
        MessageIcon icon;
        QString text;
        QString title;  // as shown: applicationTitle() when none was given
    };
    QList<Shown> shown;

    void show(MessageIcon icon, const QString& text, const QString& title = {}) override {
        shown.append({icon, text, title.isEmpty() ? applicationTitle() : title});
    }
};

}  // namespace tallimo::ui
