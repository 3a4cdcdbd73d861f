#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Log.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QThread>
#include <QWidget>

#include <memory>

class TestLog : public QObject
{
    Q_OBJECT

private slots:

    void init()
    {
        fixture::initCore(false);
        fixture::clearLog();
    }

    void gating_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("isLog");
        QTest::addColumn<QString>("name");  // null: nothing written

        QTest::newRow("error written without log") << 3 << false << false << "error";
        QTest::newRow("warning forces itself") << 4 << false << false << "warning";
        QTest::newRow("info dropped without log") << 6 << false << false << QString();
        QTest::newRow("info written with log") << 6 << false << true << "info";
        QTest::newRow("notice forced") << 5 << true << false << "notice";
        QTest::newRow("level above 7 has no name") << 9 << false << true << "";
        QTest::newRow("critique") << 2 << false << false << "critique";
    }

    void gating()
    {
        QFETCH(int, level);
        QFETCH(bool, force);
        QFETCH(bool, isLog);
        QFETCH(QString, name);
        gParam->isLog = isLog;
        enregistreLog(static_cast<unsigned char>(level), "hello", force);
        const QStringList lines = fixture::logLines();
        if (name.isNull()) {
            QVERIFY(lines.isEmpty());
            return;
        }
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().endsWith(" - " + name + " - hello"));
    }

    // The line's time and the file's month are read back as the clock had them.
    void lineFormat()
    {
        const QDateTime before = QDateTime::currentDateTime();
        enregistreLog(4, "a\nb\tc", false);
        const QDateTime after = QDateTime::currentDateTime();
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.size(), 1);
        const QDateTime written = QDateTime::fromString(lines.at(0).left(23), "yyyy-MM-dd HH:mm:ss.zzz");
        QVERIFY2(written >= before.addMSecs(-1) && written <= after, qPrintable(lines.at(0)));
        QCOMPARE(lines.at(0).mid(23), " - warning - a b c");
        const QString month = QFileInfo(logFilePath()).fileName();
        QVERIFY2(month == before.toString("'Log_'yyyy_MM'.log'") || month == after.toString("'Log_'yyyy_MM'.log'"),
                 qPrintable(month));
    }

    // Catches lines cut into each other and a race on the settings pointer.
    void concurrentWritersKeepWholeLines()
    {
        QList<QThread*> workers;
        for (int t = 0; t < 8; ++t) {
            workers << QThread::create([t]() {
                for (int i = 0; i < 200; ++i) {
                    enregistreLog(3, QString("thread %1 line %2 ").arg(t).arg(i) + QString(60, u'x'), false);
                }
            });
            workers.last()->start();
        }
        for (QThread* w : std::as_const(workers)) {
            w->wait();
            delete w;
        }
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.size(), 8 * 200);
        static const QRegularExpression whole(" - error - thread \\d line \\d+ x{60}$");
        for (const QString& line : lines) {
            QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
        }
    }

    void erreurDb()
    {
        BoxRecorder boxes;
        QVERIFY(!::erreurDb(QSqlError(), true, nullptr, false, 3));
        QVERIFY(boxes.entries().isEmpty());
        QVERIFY(fixture::logLines().isEmpty());

        const QString text(200, u'e');
        QVERIFY(::erreurDb(QSqlError({}, text, QSqlError::StatementError, "19"), true, nullptr, false, 3));
        QCOMPARE(boxes.entries().size(), 1);
        const BoxRequest box = boxes.entries().first().request;
        QCOMPARE(box.icon, BoxIcon::Critical);
        QCOMPARE(box.title + '|' + box.text,
                 "Erreur de base de donnees|19 : " + QString(80, u'e') + '\n' + QString(80, u'e') + '\n'
                     + QString(40, u'e'));
        QVERIFY(fixture::logContains(" - error - ERREUR DB (19) : " + text));

        // Without popup the parent is still closed; without a native code the number is -1.
        QWidget parent;
        parent.show();
        QVERIFY(::erreurDb(QSqlError({}, "bad", QSqlError::StatementError), false, &parent, true, 3));
        QCOMPARE(boxes.entries().size(), 1);
        QVERIFY(!parent.isVisible());
        QVERIFY(fixture::logContains("ERREUR DB (-1) : bad"));
        // The log keeps Latin-1 up to a NUL; the box shows the whole text.
        const QString wide = QString(90, u'f') + QChar(0x20AC) + QChar(u'\0') + u'z';
        QVERIFY(::erreurDb(nullptr, wide, false, 4));
        QCOMPARE(boxes.entries().last().request.text, QString(80, u'f') + '\n' + wide.mid(80));
        QVERIFY(fixture::logLines().last().endsWith(" - warning - " + QString(90, u'f') + '?'));

        // A box asked for on a worker is shown on the GUI thread; popupError logs nothing.
        fixture::clearLog();
        std::unique_ptr<QThread> worker(QThread::create([] {
            popupError(nullptr, 4, "from worker");
        }));
        worker->start();
        QVERIFY(worker->wait());
        QTRY_COMPARE(boxes.entries().size(), 3);
        QCOMPARE(boxes.entries().last().thread, QThread::currentThread());
        QCOMPARE(boxes.entries().last().request.icon, BoxIcon::Warning);
        QCOMPARE(boxes.entries().last().request.title + '|' + boxes.entries().last().request.text,
                 "warning|from worker");
        QVERIFY(fixture::logLines().isEmpty());
    }

    // Nothing in the program calls it.
    void erreurFichierText()
    {
        QCOMPARE(erreurFichier("P", -4, "d"), "P\n(Le  fichier n'a pu etre ouvert)\nd");
    }
};

TAVRIMEX_TEST_MAIN(TestLog)
#include "TestLog.moc"
