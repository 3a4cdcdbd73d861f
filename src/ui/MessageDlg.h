#pragma once

#include <QDialog>

class Ui_MessageDlg;

// Title, message and one acknowledge button, laid over the middle of the main window.
// It does not hide itself: the receiver of signalAck() does.
class MessageDlg : public QDialog
{
    Q_OBJECT

public:
    explicit MessageDlg(QWidget* parent);
    ~MessageDlg() override;

    void setTitle(const QString& title);
    void setMessage(const QString& text, const QString& caption);

    // Escape must not hide the panel: only the main window's relays do.
    void reject() override;

signals:
    void signalAck();

private:
    Ui_MessageDlg* ui;
};
