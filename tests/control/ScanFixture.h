#pragma once

#include "ui/MainWindow.h"

#include "BoxRecorder.h"

#include <memory>

// One ticket of the list database the scan tests work on.
struct TicketRow
{
    QString code;
    unsigned int editeur = 7;
    unsigned int nb = 1;
    unsigned int usable = 1;
    unsigned int deleted = 0;
    unsigned int id = 1;
    QString prenom = QStringLiteral("Ada");
    QString nom = QStringLiteral("Lovelace");
};

// Quiet core services, and the message boxes recorded instead of shown.
class ScanTestBase : public QObject
{
    Q_OBJECT

protected:
    std::unique_ptr<BoxRecorder> m_boxes;

private slots:
    void initTestCase();
};

namespace scanfixture
{

// The list database: performance 12 of event 5 "Concert", issuer 7 "Billetterie".
QString listPath();

// A window scanning a fresh list database of `tickets`, webcam off, direct punch on, the
// settings at their defaults; its requests go to `serviceUrl` when given.
std::unique_ptr<MainWindow> startScanning(const QList<TicketRow>& tickets, const QString& serviceUrl = {});

// Types `code` into the barcode field and presses Return, as a barcode reader does.
void scan(MainWindow& window, const QString& code);

// The verdict's text on the panel; the translation line `index` in French.
QString status(MainWindow& window);
QString label(int index);

// Rows of the window's database, columns joined by "|".
QStringList rows(MainWindow& window, const QString& sql);
bool run(MainWindow& window, const QString& sql);

}  // namespace scanfixture
