#include "core/CAffichage.h"
#include "core/CParam.h"
#include "session/CRepWidget.h"
#include "ui/MainWindow.h"
#include "ui/MessageDlg.h"
#include "ui/ProgressBar.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalMapper>
#include <QSignalSpy>

#include <memory>

namespace
{

const QStringList kPadKeys = {"0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "Virgule"};

// The table of wiring.txt with its "tiles" and "pad" lines spelled out.
QStringList wiringTable()
{
    QFile file(QStringLiteral(WIRING_TABLE));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList rows;
    for (const QString& line : QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        const QString sender = line.section(u' ', 0, 0);
        const QString rest = line.section(u' ', 1);
        if (sender == QLatin1String("tiles")) {
            for (int tile = 1; tile <= 6; ++tile) {
                rows << QStringLiteral("repWidget%1 ").arg(tile) + rest;
            }
        } else if (sender == QLatin1String("pad")) {
            for (const QString& key : kPadKeys) {
                rows << QStringLiteral("btnPadNum") + key + u' ' + rest;
            }
        } else if (sender != QLatin1String("#")) {
            rows << line;
        }
    }
    return rows;
}

}  // namespace

class TestWiring : public QObject
{
    Q_OBJECT

    std::unique_ptr<BoxRecorder> m_boxes;
    std::unique_ptr<MainWindow> m_window;
    QString m_textWhenMessageShown;

    QString progress() const
    {
        const auto* bar = m_window->progressBar->findChild<QProgressBar*>(QStringLiteral("pbWaiting"));
        return m_window->progressBar->findChild<QLabel*>(QStringLiteral("lblWaiting"))->text()
               + QStringLiteral("|%1|%2").arg(bar->value()).arg(bar->maximum());
    }

private slots:

    void initTestCase()
    {
        fixture::initQuietCore();
        m_boxes = std::make_unique<BoxRecorder>();
    }

    // A window for each test, but one for all the rows of the table.
    void init()
    {
        gParam->initParametre(LANGUE, QStringLiteral("0"));
        if (!m_window || QTest::currentTestFunction() != QLatin1String("wiringTable")) {
            m_window = std::make_unique<MainWindow>();
        }
    }

    void cleanupTestCase()
    {
        m_window.reset();
        QVERIFY(m_boxes->entries().isEmpty());
    }

    void wiringTable_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("connection");
        const QStringList rows = ::wiringTable();
        for (int i = 0; i < rows.size(); ++i) {
            QTest::addRow("%03d %s", i + 1, qPrintable(rows[i])) << i << rows[i];
        }
        // One row past the table: the constructor makes no other connection.
        QTest::newRow("no more") << int(rows.size()) << QString();
    }

    // The recorded list is made by the very call that makes each connection.
    void wiringTable()
    {
        QFETCH(int, row);
        QFETCH(QString, connection);
        QString recorded;
        if (row < m_window->wiredConnections.size()) {
            const MainWindow::WiredConnection& c = m_window->wiredConnections.at(row);
            const char* type = c.type == Qt::DirectConnection   ? "direct"
                               : c.type == Qt::QueuedConnection ? "queued"
                               : c.type == Qt::AutoConnection   ? "auto"
                                                                : "other";
            recorded =
                QStringList{c.sender, QString::fromLatin1(c.signal), QString::fromLatin1(c.slot), type}.join(u' ');
            // Qt 6 spells clicked() with its default argument, mapped(QString) as
            // mappedString(QString), and qint64 as qlonglong.
            recorded.replace(QStringLiteral("clicked(bool)"), QStringLiteral("clicked()"))
                .replace(QStringLiteral("mappedString("), QStringLiteral("mapped("))
                .replace(QStringLiteral("qlonglong"), QStringLiteral("qint64"));
        }
        QCOMPARE(recorded, connection);
    }

    // Each of the eleven character keys gives the pad's slot its text, once.
    void padKeysMapToTheirText()
    {
        QSignalSpy mapped(m_window->padMapper, &QSignalMapper::mappedString);
        for (const QString& key : kPadKeys) {
            m_window->findChild<QPushButton*>(QStringLiteral("btnPadNum") + key)->click();
        }
        QString texts;
        for (const QList<QVariant>& emitted : std::as_const(mapped)) {
            texts += emitted.at(0).toString();
        }
        QCOMPARE(texts, QStringLiteral("0123456789,"));
    }

    // A worker's signals arrive through the loop in their order: the delta worker's
    // error comes after the progress emitted before it.
    void workersReachTheRelaysInOrder()
    {
        MainWindow* window = m_window.get();
        window->show();
        window->messageDlg->installEventFilter(this);
        std::unique_ptr<QThread> emitter(QThread::create([window] {
            emit window->threadEvt.signalProgressMax(90);
            emit window->threadEvt.signalProgressValue(45);
            emit window->threadGetDelta.signalProgressShow(true);
            emit window->threadGetDelta.signalProgressText(QStringLiteral("first"));
            emit window->threadGetDelta.signalError(QStringLiteral("Erreur"), QStringLiteral("parse"));
            emit window->threadGetDelta.signalProgressText(QStringLiteral("second"));
        }));
        emitter->start();
        QVERIFY(emitter->wait());
        QCOMPARE(progress(), QStringLiteral("TextLabel|100|1000"));
        QTRY_COMPARE(progress(), QStringLiteral("second|45|90"));
        QCOMPARE(m_textWhenMessageShown, QStringLiteral("first"));
        QVERIFY(!window->isEnabled());
    }

    void messageCaptionFollowsTheLanguage_data()
    {
        QTest::addColumn<QString>("langue");
        QTest::addColumn<QString>("caption");
        QTest::newRow("French") << "0"
                                << "OK";
        QTest::newRow("Spanish") << "2"
                                 << "Aceptar";
        QTest::newRow("not a number: French") << "x"
                                              << "OK";
    }

    void messageCaptionFollowsTheLanguage()
    {
        QFETCH(QString, langue);
        QFETCH(QString, caption);
        gParam->initParametre(LANGUE, langue);
        m_window->displayMessage(QString(), QString());
        QVERIFY(!m_window->messageDlg->isHidden());
        QCOMPARE(m_window->messageDlg->findChild<QPushButton*>(QStringLiteral("btnMessageDlgAck"))->text(), caption);
    }

    void downloadProgress_data()
    {
        QTest::addColumn<qint64>("max");
        QTest::addColumn<QString>("shown");
        QTest::newRow("size known") << qint64(30) << gAffichage->getMessage(0, 12) + "|3|30";
        QTest::newRow("size not announced") << qint64(-1) << "TextLabel|100|1000";
        QTest::newRow("size zero") << qint64(0) << "TextLabel|100|1000";
    }

    void downloadProgress()
    {
        QFETCH(qint64, max);
        QFETCH(QString, shown);
        emit m_window->repWidgets[4]->signalDownloadProgress(3, max);
        QCOMPARE(progress(), shown);
    }

protected:
    // Watches the message dialog.
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            m_textWhenMessageShown = m_window->progressBar->findChild<QLabel*>(QStringLiteral("lblWaiting"))->text();
        }
        return false;
    }
};

TAVRIMEX_TEST_MAIN(TestWiring)
#include "TestWiring.moc"
