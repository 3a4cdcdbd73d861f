#include "ui/DialogFrame.h"

#include "ui/DesignStyleSheet.h"

#include <QDialog>

void frameDialogInParent(QDialog* dialog)
{
    dialog->setStyleSheet(designStyleSheet());
    // No window type among the flags: the dialog becomes a child widget of its parent.
    dialog->setWindowFlags(Qt::FramelessWindowHint);
    if (const QWidget* parent = dialog->parentWidget()) {
        // Moving also keeps QDialog from placing itself again when first shown.
        dialog->move((parent->width() - dialog->width()) / 2, (parent->height() - dialog->height()) / 2);
    }
}
