#pragma once

#include "ui/FormHelpers.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

class Ui_SaisieDlg
{
public:
    QLabel* lblSaisieDlgTitle = nullptr;
    QLineEdit* editSaisieDlg = nullptr;
    QComboBox* comboSaisieDlg = nullptr;
    QPushButton* btnSaisieDlgValide = nullptr;
    QPushButton* btnSaisieDlgCancel = nullptr;
    QLabel* lblSaisieDlgInfo = nullptr;

    void setupUi(QDialog* SaisieDlg)
    {
        if (SaisieDlg->objectName().isEmpty()) {
            SaisieDlg->setObjectName(QStringLiteral("SaisieDlg"));
        }
        SaisieDlg->resize(400, 150);

        lblSaisieDlgTitle = form::make<QLabel>(SaisieDlg, "lblSaisieDlgTitle", 20, 10, 361, 31);
        lblSaisieDlgTitle->setAlignment(form::kLeft);

        // The line edit, the combo box and the question overlap; the type shows one of them.
        editSaisieDlg = form::make<QLineEdit>(SaisieDlg, "editSaisieDlg", 10, 60, 381, 31);
        comboSaisieDlg = form::make<QComboBox>(SaisieDlg, "comboSaisieDlg", 50, 60, 293, 32);

        btnSaisieDlgValide = form::make<QPushButton>(SaisieDlg, "btnSaisieDlgValide", 60, 110, 115, 30);
        btnSaisieDlgCancel = form::make<QPushButton>(SaisieDlg, "btnSaisieDlgCancel", 225, 110, 115, 30);

        lblSaisieDlgInfo = form::make<QLabel>(SaisieDlg, "lblSaisieDlgInfo", 10, 40, 381, 61);
        lblSaisieDlgInfo->setAlignment(form::kCentred);

        retranslateUi(SaisieDlg);
    }

    void retranslateUi(QDialog* SaisieDlg)
    {
        SaisieDlg->setWindowTitle(QCoreApplication::translate("SaisieDlg", "Dialog"));
        lblSaisieDlgTitle->setText(QCoreApplication::translate("SaisieDlg", "TextLabel"));
        btnSaisieDlgValide->setText(QCoreApplication::translate("SaisieDlg", "OK"));
        btnSaisieDlgCancel->setText(QCoreApplication::translate("SaisieDlg", "Cancel"));
        lblSaisieDlgInfo->setText(QCoreApplication::translate("SaisieDlg", "TextLabel"));
    }
};
