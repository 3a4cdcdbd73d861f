#pragma once

#include <QDialog>

class Ui_ProgressBar;

// A line of text and a bar, laid over the middle of the main window while something
// long runs. It never resets itself: text, maximum and value stay until changed.
class ProgressBar : public QDialog
{
    Q_OBJECT

public:
    explicit ProgressBar(QWidget* parent);
    ~ProgressBar() override;

    void setText(const QString& text);
    // The bar ignores a value outside its range: set the maximum first.
    void setValue(unsigned int value);
    // 0 with a value of 0 shows a busy bar.
    void setMax(unsigned int max);

    // Escape must not hide the panel: only the main window's relays do.
    void reject() override;

private:
    Ui_ProgressBar* ui;
};
