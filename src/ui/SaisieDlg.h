#pragma once

#include <QDialog>
#include <QVariant>

class Ui_SaisieDlg;

// What a question of the box is for: the receiver of the answer acts by it.
namespace saisiegoal
{
constexpr int Zone = 0;
constexpr int Issuer = 1;
constexpr int AccessCode = 2;
constexpr int ReplaceLocalTicket = 3;
constexpr int DeleteLocalTicket = 4;
}  // namespace saisiegoal

// The one question box: a text (type 0), a choice in a list (type 1) or a yes/no
// question (any other type). The goal tells the answer's receiver what was asked;
// the receivers, not the dialog, hide it.
class SaisieDlg : public QDialog
{
    Q_OBJECT

public:
    explicit SaisieDlg(QWidget* parent);
    ~SaisieDlg() override;

    void setType(int type);
    int type() const;
    // Goal 2 is the access code: its line edit masks the text except while editing.
    void setGoal(int goal);
    int goal() const;
    // Empties the list and the line edit; texts, type and goal stay.
    void clear();
    void setTitle(const QString& title, const QString& validateCaption, const QString& cancelCaption);
    void setQuestion(const QString& text);
    void setEdit(const QString& text);
    // Type 1: selects item `index`, or the first one when there is no such item.
    // Other types: focuses the line edit.
    void setEditFocus(int index);
    void addToCombo(const QVariant& data, const QString& text);
    // Invalid when the list is empty or no item is current.
    QVariant getSelectedItemData() const;
    QString getEditText() const;

    // Escape must not hide the panel: only the main window's relays do.
    void reject() override;

public slots:
    void sendValue();

signals:
    void signalCancel();
    void signalValideEdit(const QString& value);
    void signalValideCombo(uint value);

private:
    Ui_SaisieDlg* ui;
    int m_type = 0;
    int m_goal = 0;
};
