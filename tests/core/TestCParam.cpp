#include "core/CParam.h"

#include "BoxRecorder.h"
#include "CoreFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThread>

#include <array>
#include <memory>

namespace
{

const QString kUrl = "https://service.tavrimex.invalid/accessctrl/?";

// The flags and session texts of `p`.
std::array<std::atomic<bool>*, 8> flags(CParam& p)
{
    return {&p.isDebug, &p.isLog, &p.isCrypt, &p.isPreprod, &p.isOnline, &p.isWebcam, &p.isDirectPunch, &p.isLockFocus};
}

std::array<Guarded<QString>*, 8> texts(CParam& p)
{
    return {&p.sessionId,
            &p.serialNumber,
            &p.login,
            &p.passwordMd5,
            &p.currentIdRep,
            &p.currentJour,
            &p.newVersion,
            &p.updateUrl};
}

// Every member of the object.
QStringList state(CParam& p)
{
    QStringList all{p.fileName, p.updateModifs.get().join(u',')};
    for (const std::atomic<bool>* flag : flags(p)) {
        all << QString::number(flag->load());
    }
    for (const Guarded<QString>* text : texts(p)) {
        all << text->get();
    }
    return all + p.getParamStr().split(u'\n');
}

}  // namespace

class TestCParam : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString iniPath() const
    {
        return m_dir.path() + "/param.ini";
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

    // Files in the field hold these key names, defaults and cipher key.
    void defaultsAndCipher()
    {
        CParam param;
        QCOMPARE(param.getParamStr(),
                 "VERSION=4.3.1\nLANGUE=0\nLOGIN_KEST=\nPASSWORD_KEST=\nAGENT_KEST=\nMY_AGENT_ID=\nREMEMBER_PASSWORD=\n"
                 "ZONE_KEST=0\nMAC=\nURL="
                     + kUrl
                     + "\nURL_PREPROD=http://preprod.tavrimex.invalid/accessctrl/?\n"
                       "REP_JOUR=0\nUNPUNCH=0\nTACTILE=0\nDIRECT_SEARCH=0\nDIFF_PUNCH=0\nHIDE_RECAP_TICKET_REP=0\n"
                       "USE_LOCAL_TICKET=0\nPROXY=\nTIMEOUT=300");
        // Past the 31 bytes of the key, which starts again.
        const QByteArray plain = "VERSION=4.3.1\nLANGUE=2\nLOGIN_KEST=salle\n";
        const QByteArray hex = "071266011d7614710c637d6c02551476181805090f793206790f161c0b1810020309213555362932";
        QCOMPARE(param.cryptByteArray(QString::fromLatin1(plain)), hex);
        // Stray line ends and blanks in the hexadecimal text are skipped.
        QCOMPARE(param.decryptByteArray(QString::fromLatin1(hex.left(30) + "\n " + hex.mid(30))), plain);
    }

    // A first start, then ciphered and plain saves read back whole.
    void firstStartAndRoundTrips()
    {
        const QString dir = m_dir.path() + "/a/b";
        CParam param;
        param.isCrypt = true;
        QVERIFY(param.charge(dir, true));
        QCOMPARE(param.decryptByteArray(QString::fromLatin1(fixture::readFile(dir + "/param.ini").mid(1))),
                 CParam().getParamStr().toLatin1() + '\n');

        param.initParametre(LOGIN_KEST, "agent.one");
        param.initParametre(TIMEOUT, "45");
        // A line end or a NUL in a value would start a key line or cut the file short.
        param.initParametre(MY_AGENT_ID, "7\nURL=http://evil/");
        param.initParametre(MAC, QString("aa") + QChar(u'\0') + "bb");
        QVERIFY(param.sauvegarde(dir, false));
        const QByteArray content = fixture::readFile(dir + "/param.ini");
        QVERIFY(content.startsWith('1'));
        QCOMPARE(content.mid(1), content.mid(1).toLower());
        QVERIFY(fixture::writeFile(dir + "/param.ini", content + "\n"));
        CParam loaded;
        QVERIFY(loaded.charge(dir, false));
        QCOMPARE(loaded.parametre(URL) + '|' + loaded.parametre(MY_AGENT_ID) + '|' + loaded.parametre(MAC),
                 kUrl + "|7 URL=http://evil/|aa bb");
        param.initParametre(MY_AGENT_ID, "7 URL=http://evil/");
        param.initParametre(MAC, "aa bb");
        QCOMPARE(loaded.parametresCopy(), param.parametresCopy());

        QVERIFY(fixture::writeFile(iniPath(), QByteArray(5000, 'z')));
        param.isCrypt = false;
        param.initParametre(MAC, QString("aa") + QChar(u'\0') + "bb");
        QVERIFY(param.sauvegarde(m_dir.path(), false));
        param.initParametre(MAC, "aa bb");
        QCOMPARE(fixture::readFile(iniPath()), "0" + param.getParamStr().toLatin1() + '\n');
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files), QStringList{"param.ini"});
    }

    // Values are trimmed; the settings page's edits apply only where they differ.
    void valuesAndEdits()
    {
        CParam param;
        QVERIFY(param.initParametre(PROXY, " p:1 "));
        QVERIFY(!param.initParametre(PROXY, "p:1"));
        QVERIFY(!param.initParametre(kParamCount, "x"));
        QCOMPARE(param.parametre(PROXY), "p:1");
        QHash<unsigned int, QString> names;
        param.initListeRecherche(names);
        QCOMPARE(names.size(), int(kParamCount));
        QCOMPARE(names.value(TIMEOUT), "TIMEOUT");

        const QHash<unsigned int, QString> base = param.parametresCopy();
        CParam edited(param);
        edited.setParamStr("LANGUE=2\nPROXY=p:1\nTIMEOUT=60");
        param.initParametre(MAC, "kept");
        QCOMPARE(param.appliqueModifications(base, edited), (QList<unsigned int>{LANGUE, TIMEOUT}));
        QCOMPARE(param.parametre(LANGUE) + param.parametre(TIMEOUT) + param.parametre(MAC), "260kept");
        QCOMPARE(param.defaut(), CParam().getParamStr().toLatin1());
        QCOMPARE(param.parametre(MAC), "");
    }

    void loadRules_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("id");
        QTest::addColumn<QString>("expected");

        QTest::newRow("first duplicate wins") << QByteArray("0LANGUE=1\nLANGUE=2\n") << int(LANGUE) << "1";
        QTest::newRow("blanks kept on load") << QByteArray("0TIMEOUT= 300 \n") << int(TIMEOUT) << " 300 ";
        QTest::newRow("URL_PREPROD does not set URL") << QByteArray("0URL_PREPROD=http://x/\n") << int(URL) << kUrl;
        QTest::newRow("first character dropped whatever it is") << QByteArray("XLANGUE=1\n") << int(LANGUE) << "1";
        QTest::newRow("carriage return kept") << QByteArray("0MAC=ab\r\nLANGUE=1\r\n") << int(MAC) << "ab\r";
        QTest::newRow("value with equals") << QByteArray("0PROXY=a=b\n") << int(PROXY) << "a=b";
        QTest::newRow("empty file") << QByteArray() << int(ZONE_KEST) << "0";
        QTest::newRow("garbage cipher") << QByteArray("1zzzz") << int(LANGUE) << "0";
    }

    void loadRules()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, id);
        QFETCH(QString, expected);
        QVERIFY(fixture::writeFile(iniPath(), content));
        CParam param;
        QVERIFY(param.charge(m_dir.path(), false));
        QCOMPARE(param.parametre(static_cast<unsigned int>(id)), expected);
    }

    void failures()
    {
        BoxRecorder boxes;
        CParam param;
        QVERIFY(!param.sauvegarde(m_dir.path(), false));  // a removed file is not brought back
        QVERIFY(!QFile::exists(iniPath()));
        QVERIFY(boxes.entries().isEmpty());
        QVERIFY(!param.charge(m_dir.path(), false));
        QCOMPARE(boxes.entries().size(), 1);
        QCOMPARE(boxes.entries().first().request.title, "Erreur de chargement");
        QVERIFY(boxes.entries().first().request.text.startsWith("-1 : "));

        boxes.clear();
        const QString folderAsIni = m_dir.path() + "/dirini";
        QVERIFY(QDir().mkpath(folderAsIni + "/param.ini"));
        QVERIFY(!param.charge(folderAsIni, true));
        QCOMPARE(boxes.entries().size(), 1);
        QVERIFY(boxes.entries().first().request.text.startsWith("-4 : "));
        // A folder of the path that is a plain file cannot be created.
        QVERIFY(fixture::writeFile(m_dir.path() + "/plain", "x"));
        QVERIFY(!param.charge(m_dir.path() + "/plain/sub", true));
        QVERIFY(boxes.entries().last().request.text.startsWith("-3 : "));
    }

    // A save on a worker begins with a long value; the GUI thread shortens it and
    // saves, and so finishes first: the file must still end equal to memory.
    void concurrentSavesEndEqualToMemory()
    {
        CParam param;
        param.isCrypt = true;
        QVERIFY(param.sauvegarde(m_dir.path(), true));
        int stale = 0;
        for (int round = 0; round < 40; ++round) {
            param.initParametre(PROXY, QString(100000, u'p'));
            QSemaphore saving;
            std::unique_ptr<QThread> worker(QThread::create([&] {
                saving.release();
                param.sauvegarde(m_dir.path(), false);
            }));
            worker->start();
            saving.acquire();
            param.initParametre(PROXY, QString::number(round));
            param.sauvegarde(m_dir.path(), false);
            QVERIFY(worker->wait());
            CParam loaded;
            stale += !loaded.charge(m_dir.path(), false) || loaded.parametresCopy() != param.parametresCopy();
        }
        QCOMPARE(stale, 0);
    }

    // A copy holds every member: one without isCrypt would save the file in clear.
    void copyAndAssignKeepEveryMember()
    {
        CParam param;
        param.fileName = "other.ini";
        param.updateModifs.set({"a", "b"});
        for (std::atomic<bool>* flag : flags(param)) {
            *flag = !*flag;
        }
        for (Guarded<QString>* text : texts(param)) {
            text->set(QString::number(quintptr(text)));
        }
        for (unsigned int id = 0; id < kParamCount; ++id) {
            param.initParametre(id, "v" + QString::number(id));
        }
        CParam copy(param);
        QCOMPARE(state(copy), state(param));
        CParam assigned;
        assigned.assign(param);
        QCOMPARE(state(assigned), state(param));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCParam)
#include "TestCParam.moc"
