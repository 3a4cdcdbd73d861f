#pragma once

#include "ui/FormHelpers.h"

#include <QCoreApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

class Ui_MessageDlg
{
public:
    QLabel* lblMessageDlgTitle = nullptr;
    QLabel* lblMessageDlgInfo = nullptr;
    QPushButton* btnMessageDlgAck = nullptr;

    void setupUi(QDialog* MessageDlg)
    {
        if (MessageDlg->objectName().isEmpty()) {
            MessageDlg->setObjectName(QStringLiteral("MessageDlg"));
        }
        MessageDlg->resize(400, 150);

        lblMessageDlgTitle = form::make<QLabel>(MessageDlg, "lblMessageDlgTitle", 20, 10, 361, 31);
        lblMessageDlgTitle->setAlignment(form::kLeft);

        // No word wrap: one line per line break of the message, longer lines clipped.
        lblMessageDlgInfo = form::make<QLabel>(MessageDlg, "lblMessageDlgInfo", 10, 40, 381, 61);
        lblMessageDlgInfo->setAlignment(form::kCentred);

        btnMessageDlgAck = form::make<QPushButton>(MessageDlg, "btnMessageDlgAck", 145, 110, 115, 30);

        retranslateUi(MessageDlg);
    }

    void retranslateUi(QDialog* MessageDlg)
    {
        MessageDlg->setWindowTitle(QCoreApplication::translate("MessageDlg", "Dialog"));
        lblMessageDlgTitle->setText(QCoreApplication::translate("MessageDlg", "TextLabel"));
        lblMessageDlgInfo->setText(QCoreApplication::translate("MessageDlg", "TextLabel"));
        btnMessageDlgAck->setText(QCoreApplication::translate("MessageDlg", "PushButton"));
    }
};
