#pragma once

class QWidget;

namespace holvex {

// Makes a window that is a plain widget behave as a dialog for the keyboard and for screen readers: assistive
// technology is told it is a dialog (role Dialog), and Escape closes it as its close or cancel button would.
// Call once per window, after its controls exist.
void behaveAsDialog(QWidget* window);

// Gives every button, field, box and spin box of the window that has no accessible name one: its caption, or
// the text of the label that stands for it (its buddy). Screen readers read these names.
void nameControlsForAssistiveTechnology(QWidget* window);

} // namespace holvex
