#include "ui/DialogFrame.h"

#include <QDialog>
#include <QFile>

namespace
{

const char kDesignPath[] = ":/design/kestrova/";

QString dialogStyleSheet()
{
    QByteArray bytes;
    QFile file(QLatin1String(kDesignPath) + QLatin1String("Style.txt"));
    // An unreadable resource leaves the dialog unstyled.
    if (file.open(QIODevice::ReadOnly)) {
        bytes = file.readAll();
    }
    bytes.replace("DESIGN_FULL_PATH/", kDesignPath);
    const qsizetype end = bytes.indexOf('\0');
    if (end >= 0) {
        bytes.truncate(end);
    }
    return QString::fromUtf8(bytes);
}

}  // namespace

void frameDialogInParent(QDialog* dialog)
{
    dialog->setStyleSheet(dialogStyleSheet());
    // No window type among the flags: the dialog becomes a child widget of its parent.
    dialog->setWindowFlags(Qt::FramelessWindowHint);
    if (const QWidget* parent = dialog->parentWidget()) {
        // Moving also keeps QDialog from placing itself again when first shown.
        dialog->move((parent->width() - dialog->width()) / 2, (parent->height() - dialog->height()) / 2);
    }
}
