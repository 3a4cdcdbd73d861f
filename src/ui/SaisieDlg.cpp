#include "ui/SaisieDlg.h"

#include "ui/DialogFrame.h"
#include "ui/Ui_SaisieDlg.h"

#include <QDebug>

SaisieDlg::SaisieDlg(QWidget* parent)
    : QDialog(parent)
    , ui(new Ui_SaisieDlg)
{
    ui->setupUi(this);
    frameDialogInParent(this);
    // As a child widget it blocks nothing of the main window.
    setModal(true);
    connect(ui->btnSaisieDlgCancel, &QPushButton::clicked, this, &SaisieDlg::signalCancel);
    connect(ui->btnSaisieDlgValide, &QPushButton::clicked, this, &SaisieDlg::sendValue);
}

SaisieDlg::~SaisieDlg()
{
    delete ui;
}

void SaisieDlg::setType(int type)
{
    m_type = type;
    ui->comboSaisieDlg->setVisible(type == 1);
    ui->editSaisieDlg->setVisible(type == 0);
    ui->lblSaisieDlgInfo->setVisible(type != 0 && type != 1);
}

int SaisieDlg::type() const
{
    return m_type;
}

void SaisieDlg::setGoal(int goal)
{
    m_goal = goal;
    ui->editSaisieDlg->setEchoMode(goal == 2 ? QLineEdit::PasswordEchoOnEdit : QLineEdit::Normal);
}

int SaisieDlg::goal() const
{
    return m_goal;
}

void SaisieDlg::clear()
{
    ui->comboSaisieDlg->clear();
    ui->editSaisieDlg->clear();
}

void SaisieDlg::setTitle(const QString& title, const QString& validateCaption, const QString& cancelCaption)
{
    ui->lblSaisieDlgTitle->setText(title);
    ui->btnSaisieDlgCancel->setText(cancelCaption);
    ui->btnSaisieDlgValide->setText(validateCaption);
}

void SaisieDlg::setQuestion(const QString& text)
{
    ui->lblSaisieDlgInfo->setText(text);
}

void SaisieDlg::setEdit(const QString& text)
{
    ui->editSaisieDlg->setText(text);
}

void SaisieDlg::setEditFocus(int index)
{
    if (m_type == 1) {
        ui->comboSaisieDlg->setCurrentIndex(index < ui->comboSaisieDlg->count() ? index : 0);
    } else {
        ui->editSaisieDlg->setFocus(Qt::OtherFocusReason);
    }
}

void SaisieDlg::addToCombo(const QVariant& data, const QString& text)
{
    qDebug().nospace() << "addToCombo : " << text;
    ui->comboSaisieDlg->insertItem(ui->comboSaisieDlg->count(), text, data);
    qDebug().nospace() << "addToCombo OK : " << data;
}

QVariant SaisieDlg::getSelectedItemData() const
{
    return ui->comboSaisieDlg->currentData(Qt::UserRole);
}

QString SaisieDlg::getEditText() const
{
    return ui->editSaisieDlg->text();
}

void SaisieDlg::reject()
{}

void SaisieDlg::sendValue()
{
    if (m_type == 1) {
        emit signalValideCombo(getSelectedItemData().toUInt());
    } else {
        emit signalValideEdit(ui->editSaisieDlg->text());
    }
}
