#pragma once

#include <QString>

namespace tallimo::ui {

// The plain text on the clipboard, which is how a selection's cells reach the programs.
class ClipboardText {
public:
    virtual ~ClipboardText() = default;
    // Empty when the clipboard holds no text.
    virtual QString text() = 0;
};

// The system clipboard (the CLIPBOARD selection on X11).
class SystemClipboardText final : public ClipboardText {
public:
    QString text() override;
};

// A test double holding a fixed text.
class FakeClipboardText final : public ClipboardText {
public:
    QString value;
    QString text() override { return value; }
};

}  // namespace tallimo::ui
