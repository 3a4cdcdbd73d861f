#pragma once

class QDialog;

// The dialogs are panels drawn inside the main window rather than windows of their
// own, so the window's Return and Enter shortcuts stay active while one is shown.
// Gives `dialog` the application style sheet, makes it a frameless child widget and
// centres it once in its parent.
void frameDialogInParent(QDialog* dialog);
