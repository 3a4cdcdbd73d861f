#pragma once

#include <QMainWindow>
#include <QMutex>
#include <QSqlDatabase>

// The one window of the program: frameless, 1024x768. It owns the GUI thread's
// database connection and the database mutex.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // Set when the main database could not be opened during construction.
    bool isStartFailed = false;

    QSqlDatabase db;
    QMutex* dbMutex = nullptr;
};
