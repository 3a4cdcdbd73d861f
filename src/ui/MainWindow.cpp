#include "ui/MainWindow.h"

#include "core/AppFolder.h"
#include "core/Database.h"

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
{
    isStartFailed = false;
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(1024, 768);
    setWindowTitle(QStringLiteral("Application Compostage - ") + QString::fromLatin1(kAppVersion));

    db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    dbMutex = new QMutex;
    if (!openBDD(db, dbMutex)) {
        isStartFailed = true;
        return;
    }
}

MainWindow::~MainWindow()
{
    const QString name = db.connectionName();
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(name);
    delete dbMutex;
}
