#include "ui/MessageDlg.h"

#include "ui/DialogFrame.h"
#include "ui/Ui_MessageDlg.h"

MessageDlg::MessageDlg(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui_MessageDlg)
{
    ui->setupUi(this);
    frameDialogInParent(this);
    connect(ui->btnMessageDlgAck, &QPushButton::clicked, this, &MessageDlg::signalAck);
}

MessageDlg::~MessageDlg()
{
    delete ui;
}

void MessageDlg::setTitle(const QString& title)
{
    ui->lblMessageDlgTitle->setText(title);
}

void MessageDlg::setMessage(const QString& text, const QString& caption)
{
    ui->lblMessageDlgInfo->setText(text);
    ui->btnMessageDlgAck->setText(caption);
}

void MessageDlg::reject()
{}
