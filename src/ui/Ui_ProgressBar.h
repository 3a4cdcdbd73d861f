#pragma once

#include "ui/FormHelpers.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QProgressBar>

class Ui_ProgressBar
{
public:
    QLabel* lblWaiting = nullptr;
    QProgressBar* pbWaiting = nullptr;

    void setupUi(QDialog* ProgressBar)
    {
        if (ProgressBar->objectName().isEmpty()) {
            ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
        }
        ProgressBar->resize(400, 99);

        // Wider and taller than the title labels: the longest wait text, in 20-pixel type,
        // needs 385 pixels.
        lblWaiting = form::make<QLabel>(ProgressBar, "lblWaiting", 10, 10, 386, 31);
        lblWaiting->setAlignment(form::kLeft);

        pbWaiting = form::make<QProgressBar>(ProgressBar, "pbWaiting", 10, 60, 381, 23);
        pbWaiting->setMaximum(1000);
        pbWaiting->setValue(100);
        pbWaiting->setAlignment(form::kCentred);
        pbWaiting->setFormat(QStringLiteral("%p%"));

        retranslateUi(ProgressBar);
    }

    void retranslateUi(QDialog* ProgressBar)
    {
        ProgressBar->setWindowTitle(QCoreApplication::translate("ProgressBar", "Dialog"));
        lblWaiting->setText(QCoreApplication::translate("ProgressBar", "TextLabel"));
    }
};
