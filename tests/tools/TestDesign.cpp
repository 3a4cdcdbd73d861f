#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

namespace
{

// Runs `program`; its standard error, or why it failed, goes to `errors`.
bool run(const QString& program, const QStringList& args, QString& errors)
{
    QProcess process;
    process.start(program, args);
    const bool ended = process.waitForFinished(240000);
    errors = QString::fromUtf8(process.readAllStandardError());
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QStringList designFiles(const QString& folder)
{
    return QDir(folder).entryList({"*.png", "Style.txt"}, QDir::Files, QDir::Name);
}

}  // namespace

// The committed design is what the generator draws, and its captions fit.
class TestDesign : public QObject
{
    Q_OBJECT

    QTemporaryDir m_drawn;

private slots:

    void initTestCase()
    {
        QVERIFY(m_drawn.isValid());
        QString errors;
        QVERIFY2(run(GENDESIGN_BIN, {m_drawn.path()}, errors), qPrintable(errors));
        QCOMPARE(designFiles(m_drawn.path()), designFiles(DESIGN_DIR));
    }

    void committedAsDrawn_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString& name : designFiles(DESIGN_DIR)) {
            QTest::newRow(qPrintable(name)) << name;
        }
    }

    // Pixels, not bytes: another zlib may compress the same picture differently.
    void committedAsDrawn()
    {
        QFETCH(QString, name);
        const QString drawn = m_drawn.filePath(name);
        const QString committed = QDir(DESIGN_DIR).filePath(name);
        if (name.endsWith(".png")) {
            QCOMPARE(QImage(drawn), QImage(committed));
        } else {
            QFile a(drawn);
            QFile b(committed);
            QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            QCOMPARE(a.readAll(), b.readAll());
        }
    }

    void captionsFit_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("French") << "0";
        QTest::newRow("English") << "1";
        QTest::newRow("Spanish") << "2";
    }

    // The screenshot tool fails on a caption that reaches outside its room.
    void captionsFit()
    {
        QFETCH(QString, language);
        QTemporaryDir shots;
        QString errors;
        QVERIFY2(run(SCREENSHOTS_BIN, {shots.path(), language}, errors), qPrintable(errors));
    }
};

TAVRIMEX_TEST_MAIN(TestDesign)
#include "TestDesign.moc"
