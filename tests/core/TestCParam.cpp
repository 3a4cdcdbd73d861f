#include "core/AppFolder.h"
#include "core/CFichier.h"
#include "core/CParam.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace
{

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
}

}  // namespace

class TestCParam : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString iniPath() const
    {
        return m_dir.path() + QStringLiteral("/param.ini");
    }

private slots:

    void initTestCase()
    {
        fixture::initCore(false);
        QVERIFY(m_dir.isValid());
    }

    void cleanup()
    {
        QFile::remove(iniPath());
    }

    void cipherKnownVectorAndWrap()
    {
        CParam param;
        QCOMPARE(param.cryptByteArray(QStringLiteral("VERSION=4.3.1\n")), QByteArray("071266011d7614710c637d6c0255"));
        // Byte 31 uses the key from its start again.
        const QByteArray hex = param.cryptByteArray(QString(33, u'A'));
        QCOMPARE(hex.mid(0, 2), hex.mid(62, 2));
        QCOMPARE(param.decryptByteArray(QString::fromLatin1(hex)), QByteArray(33, 'A'));
        // Stray line ends and blanks in the hexadecimal text are skipped.
        QCOMPARE(param.decryptByteArray(QStringLiteral("071266011d7614710c637d6c0255\n ")),
                 QByteArray("VERSION=4.3.1\n"));
    }

    void cipheredSaveLoadsBack()
    {
        CParam param;
        param.isCrypt = true;
        param.initParametre(LOGIN_KEST, QStringLiteral("agent.one"));
        param.initParametre(TIMEOUT, QStringLiteral("45"));
        QVERIFY(param.sauvegarde(m_dir.path(), true));
        const QByteArray content = readFile(iniPath());
        QVERIFY(content.startsWith('1'));
        QVERIFY(!content.endsWith('\n'));
        QCOMPARE(content.mid(1), content.mid(1).toLower());

        writeFile(iniPath(), content + "\n");
        CParam loaded;
        QVERIFY(loaded.charge(m_dir.path(), false));
        QCOMPARE(loaded.parametresCopy(), param.parametresCopy());
    }

    void plainFileLayout()
    {
        CParam param;
        param.isCrypt = false;
        QVERIFY(param.sauvegarde(m_dir.path(), true));
        const QByteArray content = readFile(iniPath());
        QVERIFY(content.startsWith("0VERSION=4.3.1\nLANGUE=0\n"));
        QCOMPARE(content.count('\n'), 20);
        QVERIFY(content.endsWith("TIMEOUT=300\n"));
        QCOMPARE(param.getParamStr().count(QLatin1Char('\n')), 19);
    }

    void loadRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("expected");

        QTest::newRow("single key") << QByteArray("0LANGUE=2\n") << int(LANGUE) << "2";
        QTest::newRow("others keep defaults") << QByteArray("0LANGUE=2\n") << int(TIMEOUT) << "300";
        QTest::newRow("first duplicate wins") << QByteArray("0LANGUE=1\nLANGUE=2\n") << int(LANGUE) << "1";
        QTest::newRow("blanks kept on load") << QByteArray("0TIMEOUT= 300 \n") << int(TIMEOUT) << " 300 ";
        QTest::newRow("URL_PREPROD does not set URL")
            << QByteArray("0URL_PREPROD=http://x/\n") << int(URL) << "https://service.tavrimex.invalid/accessctrl/?";
        QTest::newRow("blank before equals ignored")
            << QByteArray("0URL =x\n") << int(URL) << "https://service.tavrimex.invalid/accessctrl/?";
        QTest::newRow("first character dropped whatever it is") << QByteArray("XLANGUE=1\n") << int(LANGUE) << "1";
        QTest::newRow("first line eaten by the flag") << QByteArray("LANGUE=1\n") << int(LANGUE) << "0";
        QTest::newRow("carriage return kept") << QByteArray("0MAC=ab\r\nLANGUE=1\r\n") << int(MAC) << "ab\r";
        QTest::newRow("value with equals") << QByteArray("0PROXY=a=b\n") << int(PROXY) << "a=b";
        QTest::newRow("empty file") << QByteArray() << int(ZONE_KEST) << "0";
        QTest::newRow("flag only") << QByteArray("1") << int(TIMEOUT) << "300";
        QTest::newRow("garbage cipher") << QByteArray("1zzzz") << int(LANGUE) << "0";
    }

    void loadRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, id);
        QFETCH(QString, expected);
        writeFile(iniPath(), content);
        CParam param;
        QVERIFY(param.charge(m_dir.path(), false));
        QCOMPARE(param.parametre(static_cast<unsigned int>(id)), expected);
    }

    void initParametreTrimsAndReportsChange()
    {
        writeFile(iniPath(), "0TIMEOUT= 300 \n");
        CParam param;
        QVERIFY(param.charge(m_dir.path(), false));
        QVERIFY(param.initParametre(TIMEOUT, QStringLiteral(" 300 ")));
        QCOMPARE(param.parametre(TIMEOUT), QStringLiteral("300"));
        QVERIFY(!param.initParametre(TIMEOUT, QStringLiteral("300")));
        QVERIFY(param.initParametre(TIMEOUT, QStringLiteral("30")));
    }

    void firstStartCreatesCipheredDefaults()
    {
        const QString dir = m_dir.path() + QStringLiteral("/a/b");
        CParam param;
        param.isCrypt = true;
        QVERIFY(param.charge(dir, true));
        const QByteArray content = readFile(dir + QStringLiteral("/param.ini"));
        QVERIFY(content.startsWith('1'));
        CParam reference;
        QCOMPARE(param.decryptByteArray(QString::fromLatin1(content.mid(1))),
                 reference.getParamStr().toLatin1() + '\n');
    }

    void loadFailuresShowBox()
    {
        BoxRecorder boxes;
        CParam param;
        QVERIFY(!param.charge(m_dir.path(), false));
        QCOMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().request.title, QStringLiteral("Erreur de chargement"));
        QVERIFY(boxes.entries().first().request.text.startsWith(QStringLiteral("-1 : ")));

        boxes.clear();
        const QString folderAsIni = m_dir.path() + QStringLiteral("/dirini");
        QVERIFY(QDir().mkpath(folderAsIni + QStringLiteral("/param.ini")));
        QVERIFY(!param.charge(folderAsIni, true));
        QCOMPARE(boxes.entries().size(), 1);
        QVERIFY(boxes.entries().first().request.text.startsWith(QLatin1Char('-')));
    }

    void valuesCannotInjectKeys()
    {
        for (const bool crypt : {false, true}) {
            CParam param;
            param.isCrypt = crypt;
            param.initParametre(MY_AGENT_ID, QStringLiteral("7\nURL=http://evil/"));
            param.initParametre(MAC, QStringLiteral("aa") + QChar(u'\0') + QStringLiteral("bb"));
            param.initParametre(TIMEOUT, QStringLiteral("60"));
            QVERIFY(param.sauvegarde(m_dir.path(), true));
            CParam loaded;
            QVERIFY(loaded.charge(m_dir.path(), false));
            QCOMPARE(loaded.parametre(URL), QStringLiteral("https://service.tavrimex.invalid/accessctrl/?"));
            QCOMPARE(loaded.parametre(MY_AGENT_ID), QStringLiteral("7 URL=http://evil/"));
            QCOMPARE(loaded.parametre(MAC), QStringLiteral("aa bb"));
            QCOMPARE(loaded.parametre(TIMEOUT), QStringLiteral("60"));
        }
    }

    void saveReplacesFileWhole()
    {
        writeFile(iniPath(), QByteArray(5000, 'z'));
        CParam param;
        param.isCrypt = false;
        QVERIFY(param.sauvegarde(m_dir.path(), false));
        const QByteArray content = readFile(iniPath());
        QVERIFY(content.startsWith("0VERSION="));
        QVERIFY(!content.contains('z'));
        // No leftover temporary file beside it.
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList(QStringLiteral("param.ini")));
    }

    void saveDoesNotRecreateRemovedFile()
    {
        CParam param;
        QVERIFY(!param.sauvegarde(m_dir.path(), false));
        QVERIFY(!QFile::exists(iniPath()));
    }

    void defautAndCopies()
    {
        CParam param;
        param.initParametre(LANGUE, QStringLiteral("2"));
        param.sessionId.set(QStringLiteral("s1"));
        param.isDebug = true;

        CParam copy(param);
        QCOMPARE(copy.parametre(LANGUE), QStringLiteral("2"));
        QCOMPARE(copy.sessionId.get(), QStringLiteral("s1"));
        QVERIFY(copy.isDebug);
        copy.initParametre(LANGUE, QStringLiteral("1"));
        QCOMPARE(param.parametre(LANGUE), QStringLiteral("2"));

        const QByteArray defaults = param.defaut();
        QCOMPARE(defaults.count('\n'), 19);
        QVERIFY(defaults.startsWith("VERSION=4.3.1\nLANGUE=0\n"));
        QCOMPARE(param.parametre(LANGUE), QStringLiteral("0"));
        QCOMPARE(param.sessionId.get(), QStringLiteral("s1"));

        param.assign(copy);
        QCOMPARE(param.parametre(LANGUE), QStringLiteral("1"));
    }

    void setParamStrAppliesKnownLines()
    {
        CParam param;
        param.setParamStr(QStringLiteral("LANGUE=1\nUNKNOWN=3\nPROXY= p "));
        QCOMPARE(param.parametre(LANGUE), QStringLiteral("1"));
        QCOMPARE(param.parametre(PROXY), QStringLiteral(" p "));
        QHash<unsigned int, QString> names;
        param.initListeRecherche(names);
        QCOMPARE(names.size(), 20);
        QCOMPARE(names.value(HIDE_RECAP_TICKET_REP), QStringLiteral("HIDE_RECAP_TICKET_REP"));
    }

    void fichierCodes()
    {
        const QString missing = m_dir.path() + QStringLiteral("/x/y/file.txt");
        CFichier file(missing);
        QCOMPARE(file.ouvre(QIODevice::WriteOnly), -1);
        QVERIFY(!QFile::exists(missing));
        QCOMPARE(file.supprime(), 0);
        QCOMPARE(file.cree(), 1);
        QVERIFY(QFile::exists(missing));
        QCOMPARE(file.cree(), 0);
        QCOMPARE(file.supprime(), 1);

        // A folder of the path that is a plain file cannot be created.
        writeFile(m_dir.path() + QStringLiteral("/plain"), "x");
        CFichier under(m_dir.path() + QStringLiteral("/plain/sub/file.txt"));
        QCOMPARE(under.cree(), -3);
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCParam)
#include "TestCParam.moc"
