#include "core/DrivenTimers.h"

#include <QMutex>
#include <QMutexLocker>

namespace driventimers
{

namespace
{

QMutex driverMutex;
Driver currentDriver;

}  // namespace

void setDriver(Driver driver)
{
    QMutexLocker lock(&driverMutex);
    currentDriver = std::move(driver);
}

void enrol(QTimer* timer)
{
    Driver driver;
    {
        QMutexLocker lock(&driverMutex);
        driver = currentDriver;
    }
    if (driver) {
        driver(timer);
    }
}

}  // namespace driventimers
