#include "ui/ProgressBar.h"

#include "ui/DialogFrame.h"
#include "ui/Ui_ProgressBar.h"

ProgressBar::ProgressBar(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui_ProgressBar)
{
    ui->setupUi(this);
    frameDialogInParent(this);
}

ProgressBar::~ProgressBar()
{
    delete ui;
}

void ProgressBar::setText(const QString& text)
{
    ui->lblWaiting->setText(text);
}

void ProgressBar::setValue(unsigned int value)
{
    ui->pbWaiting->setValue(static_cast<int>(value));
}

void ProgressBar::setMax(unsigned int max)
{
    ui->pbWaiting->setMaximum(static_cast<int>(max));
}

void ProgressBar::reject()
{}
