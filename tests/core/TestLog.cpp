#include "core/AppFolder.h"
#include "core/CParam.h"
#include "core/Log.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlError>
#include <QThread>
#include <QWidget>

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
        enregistreLog(static_cast<unsigned char>(level), QStringLiteral("hello"), force);
        const QStringList lines = fixture::logLines();
        if (name.isNull()) {
            QVERIFY(lines.isEmpty());
            return;
        }
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().endsWith(QStringLiteral(" - ") + name + QStringLiteral(" - hello")));
    }

    void lineFormat()
    {
        enregistreLog(4, QStringLiteral("a\nb\tc"), false);
        enregistreLog(4, QStringLiteral("x\ry"), false);
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.size(), 2);
        static const QRegularExpression pattern(
            QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} - warning - a b c$"));
        QVERIFY2(pattern.match(lines.at(0)).hasMatch(), qPrintable(lines.at(0)));
        QVERIFY(lines.at(1).endsWith(QStringLiteral("x\ry")));
        QVERIFY(QFileInfo(logFilePath())
                    .fileName()
                    .contains(QRegularExpression(QStringLiteral("^Log_\\d{4}_\\d\\d\\.log$"))));
    }

    void missingTracesFolderLosesLineSilently()
    {
        const QString traces = appFolder() + QStringLiteral("/traces");
        QVERIFY(QDir(traces).removeRecursively());
        enregistreLog(3, QStringLiteral("lost"), true);
        QVERIFY(!QDir(traces).exists());
        QVERIFY(QDir().mkpath(traces));
        enregistreLog(3, QStringLiteral("kept"), true);
        QCOMPARE(fixture::logLines().size(), 1);
    }

    void concurrentWritersKeepWholeLines()
    {
        constexpr int threads = 8;
        constexpr int perThread = 200;
        QList<QThread*> workers;
        for (int t = 0; t < threads; ++t) {
            workers << QThread::create([t]() {
                for (int i = 0; i < perThread; ++i) {
                    enregistreLog(3, QStringLiteral("thread %1 line %2 ").arg(t).arg(i) + QString(60, u'x'), false);
                }
            });
        }
        for (QThread* w : std::as_const(workers)) {
            w->start();
        }
        for (QThread* w : std::as_const(workers)) {
            w->wait();
            delete w;
        }
        const QStringList lines = fixture::logLines();
        QCOMPARE(lines.size(), threads * perThread);
        static const QRegularExpression whole(QStringLiteral(" - error - thread \\d line \\d+ x{60}$"));
        for (const QString& line : lines) {
            QVERIFY2(whole.match(line).hasMatch(), qPrintable(line));
        }
    }

    void erreurDbInvalidDoesNothing()
    {
        BoxRecorder boxes;
        QVERIFY(!erreurDb(QSqlError(), true, nullptr, false, 3));
        QVERIFY(boxes.entries().isEmpty());
        QVERIFY(fixture::logLines().isEmpty());
    }

    void erreurDbCutsBoxTextInto80()
    {
        BoxRecorder boxes;
        const QString text = QString(200, u'e');
        const QSqlError error(QString(), text, QSqlError::StatementError, QStringLiteral("19"));
        QVERIFY(erreurDb(error, true, nullptr, false, 3));
        QCOMPARE(boxes.entries().size(), 1);
        const BoxRequest box = boxes.entries().first().request;
        QCOMPARE(box.title, QStringLiteral("Erreur de base de donnees"));
        QCOMPARE(box.icon, BoxIcon::Critical);
        QCOMPARE(box.text,
                 QStringLiteral("19 : ") + QString(80, u'e') + u'\n' + QString(80, u'e') + u'\n' + QString(40, u'e'));
        QVERIFY(fixture::logContains(QStringLiteral(" - error - ERREUR DB (19) : ") + text));
    }

    void erreurDbWithoutPopupStillClosesParent()
    {
        QWidget parent;
        parent.show();
        BoxRecorder boxes;
        QVERIFY(
            erreurDb(QSqlError(QString(), QStringLiteral("bad"), QSqlError::StatementError), false, &parent, true, 3));
        QVERIFY(boxes.entries().isEmpty());
        QVERIFY(!parent.isVisible());
        // Without a native code the number reads -1.
        QVERIFY(fixture::logContains(QStringLiteral("ERREUR DB (-1) : bad")));
    }

    void popupErrorTitleIsLevelName()
    {
        BoxRecorder boxes;
        popupError(nullptr, 4, QStringLiteral("msg"));
        QCOMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().request.title, QStringLiteral("warning"));
        QCOMPARE(boxes.entries().first().request.icon, BoxIcon::Warning);
        QVERIFY(fixture::logLines().isEmpty());
    }

    void boxFromWorkerIsShownOnGuiThread()
    {
        BoxRecorder boxes;
        QThread* worker = QThread::create([]() {
            popupError(nullptr, 4, QStringLiteral("from worker"));
        });
        worker->start();
        worker->wait();
        delete worker;
        QTRY_COMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().thread, QThread::currentThread());
    }

    void erreurFichierTexts_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("detail");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("missing") << -1 << QString() << QByteArray("P\n(Le fichier specifie n'existe pas)");
        QTest::newRow("double blank kept") << -4 << QString() << QByteArray("P\n(Le  fichier n'a pu etre ouvert)");
        QTest::newRow("unknown code") << 7 << QStringLiteral("d") << QByteArray("P\n()\nd");
        QTest::newRow("no code part") << -255 << QString() << QByteArray("P");
    }

    void erreurFichierTexts()
    {
        QFETCH(int, code);
        QFETCH(QString, detail);
        QFETCH(QByteArray, expected);
        QCOMPARE(erreurFichier("P", code, detail), expected);
    }
};

TAVRIMEX_TEST_MAIN(TestLog)
#include "TestLog.moc"
