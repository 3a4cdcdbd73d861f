#include "core/CAffichage.h"

#include "CoreFixture.h"
#include "TestMain.h"

#include <QFile>
#include <QTemporaryDir>

class TestCAffichage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void outOfRange_data();
    void outOfRange();
    void layoutKept();
    void knownTexts_data();
    void knownTexts();
    void headers();

    void resourceFile_data();
    void resourceFile();

    void missingFile();
    void shortFile();
    void longFile();

private:
    QTemporaryDir tempDir;
};

void TestCAffichage::initTestCase()
{
    fixture::initCore();
    QVERIFY(gAffichage);
    QVERIFY(tempDir.isValid());
}

void TestCAffichage::outOfRange_data()
{
    QTest::addColumn<bool>("label");
    QTest::addColumn<int>("language");
    QTest::addColumn<int>("index");

    QTest::newRow("label, language 3") << true << 3 << 0;
    QTest::newRow("label, language -1") << true << -1 << 0;
    QTest::newRow("label, index 160") << true << 0 << 160;
    QTest::newRow("label, index -1") << true << 1 << -1;
    QTest::newRow("message, index 34") << false << 2 << 34;
    QTest::newRow("message, language 3") << false << 3 << 0;
    QTest::newRow("message, language -1") << false << -1 << 5;
    QTest::newRow("message, index -1") << false << 0 << -1;
}

void TestCAffichage::outOfRange()
{
    QFETCH(bool, label);
    QFETCH(int, language);
    QFETCH(int, index);
    const QString text = label ? gAffichage->getTraduction(language, index) : gAffichage->getMessage(language, index);
    QVERIFY(text.isEmpty());
}

void TestCAffichage::layoutKept()
{
    QCOMPARE(gAffichage->getMessage(0, 20),
             QStringLiteral(
                 "Il reste des compostages non envoyés.\nUne synchronisation est nécessaire avant la suppression."));
    QCOMPARE(gAffichage->getTraduction(0, 11), QStringLiteral("          CONNECTÉ"));
    QCOMPARE(gAffichage->getMessage(0, 6), QStringLiteral("Erreur de création de la base de données : "));
    QCOMPARE(gAffichage->getTraduction(0, 41), QStringLiteral("\n\n\n\nRechercher"));
    QCOMPARE(gAffichage->getTraduction(1, 147), QStringLiteral("   Search"));
    // The last line of each file, which has no line feed.
    QCOMPARE(gAffichage->getTraduction(0, 159), QStringLiteral("Timeout"));
    QCOMPARE(gAffichage->getMessage(2, 33),
             QStringLiteral("Usted debe seleccionar una representación para descargar un archivo csv."));
}

// Texts that other parts of the program store or show as they are.
void TestCAffichage::knownTexts_data()
{
    QTest::addColumn<bool>("label");
    QTest::addColumn<int>("index");
    QTest::addColumn<QStringList>("texts");

    QTest::newRow("label 70") << true << 70
                              << QStringList{QStringLiteral("Vidanger"),
                                             QStringLiteral("Clear tickets"),
                                             QStringLiteral("Vaciar los billetes")};
    QTest::newRow("label 98") << true << 98
                              << QStringList{QStringLiteral("OK"), QStringLiteral("OK"), QStringLiteral("Aceptar")};
    QTest::newRow("label 100") << true << 100
                               << QStringList{QStringLiteral("Erreur"),
                                              QStringLiteral("Error"),
                                              QStringLiteral("Error")};
    QTest::newRow("label 145") << true << 145
                               << QStringList{QStringLiteral("Inconnu"),
                                              QStringLiteral("Unknown"),
                                              QStringLiteral("Desconocido")};
    QTest::newRow("message 0") << false << 0
                               << QStringList{QStringLiteral("INITIALISATION..."),
                                              QStringLiteral("INITIALIZING ..."),
                                              QStringLiteral("INICIALIZANDO ...")};
    QTest::newRow("message 27") << false << 27
                                << QStringList{QStringLiteral("Quel est l'éditeur du billet ?"),
                                               QStringLiteral("Who is the publisher of the ticket?"),
                                               QStringLiteral("¿Cuál es el editor de la entrada?")};
}

void TestCAffichage::knownTexts()
{
    QFETCH(bool, label);
    QFETCH(int, index);
    QFETCH(QStringList, texts);
    for (int language = 0; language < 3; ++language) {
        const QString text =
            label ? gAffichage->getTraduction(language, index) : gAffichage->getMessage(language, index);
        QCOMPARE(text, texts.at(language));
    }
}

void TestCAffichage::headers()
{
    QCOMPARE(gAffichage->getHeaderSearchTab(0),
             (QStringList{QStringLiteral("ID"),
                          QStringLiteral("Etat"),
                          QStringLiteral("Nom"),
                          QStringLiteral("Code-barres"),
                          QStringLiteral("Canal"),
                          QStringLiteral("Date achat"),
                          QStringLiteral("Acheteur"),
                          QStringLiteral("Emetteur")}));
    QCOMPARE(gAffichage->getHeaderLocalTicketTab(0),
             (QStringList{QStringLiteral("Rep ID"),
                          QStringLiteral("Etat"),
                          QStringLiteral("Nom"),
                          QStringLiteral("Nom"),
                          QStringLiteral("Prénom"),
                          QStringLiteral("Code-barres"),
                          QStringLiteral("Tel"),
                          QStringLiteral("Mail"),
                          QStringLiteral("Place"),
                          QStringLiteral("Dernière modif"),
                          QStringLiteral("Nb Comp"),
                          QStringLiteral("Modifier"),
                          QStringLiteral("Supprimer")}));

    for (int language = 0; language < 3; ++language) {
        QCOMPARE(gAffichage->getHeaderSearchTab(language).size(), 8);
        QCOMPARE(gAffichage->getHeaderLocalTicketTab(language).size(), 13);
    }
    const QStringList english = gAffichage->getHeaderLocalTicketTab(1);
    QCOMPARE(english.at(2), QStringLiteral("Last name"));
    QCOMPARE(english.at(3), QStringLiteral("Last name"));

    // An unknown language still gives the columns, with empty titles.
    QCOMPARE(gAffichage->getHeaderSearchTab(3), QStringList(8, QString()));
}

void TestCAffichage::resourceFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("count");

    for (const char* language : {"fr", "en", "sp"}) {
        const QString suffix = QLatin1String(language) + QStringLiteral(".txt");
        QTest::newRow(qPrintable(QStringLiteral("mess_") + suffix)) << QStringLiteral("mess_") + suffix << 34;
        QTest::newRow(qPrintable(QStringLiteral("trad_") + suffix)) << QStringLiteral("trad_") + suffix << 160;
    }
}

// The compiled-in files: one text per line, Latin-1 without the C1 range (which
// other encodings read as different characters), and none left blank.
void TestCAffichage::resourceFile()
{
    QFETCH(QString, name);
    QFETCH(int, count);

    QFile file(QStringLiteral(":/lang/kestrova/") + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    QCOMPARE(content.count('\n'), count - 1);
    QVERIFY(!content.endsWith('\n'));
    QVERIFY(!content.contains('\r'));
    QVERIFY(!content.contains('\0'));
    for (char byte : content) {
        const auto value = static_cast<unsigned char>(byte);
        QVERIFY2(value < 0x80 || value > 0x9F, qPrintable(QString::number(value, 16)));
    }

    QFile french(QStringLiteral(":/lang/kestrova/") + name.left(5) + QStringLiteral("fr.txt"));
    QVERIFY(french.open(QIODevice::ReadOnly));
    const QList<QByteArray> frenchLines = french.readAll().split('\n');
    const QList<QByteArray> lines = content.split('\n');
    for (int i = 0; i < count; ++i) {
        QVERIFY2(!lines.at(i).trimmed().isEmpty(), qPrintable(QString::number(i)));
        // Captions of fixed-size widgets must break the same way in every language.
        if (count == 160) {
            QVERIFY2(lines.at(i).count("\\n") == frenchLines.at(i).count("\\n"), qPrintable(QString::number(i)));
        }
    }
}

void TestCAffichage::missingFile()
{
    fixture::clearLog();
    const QString path = tempDir.filePath(QStringLiteral("trad_xx.txt"));
    QVERIFY(gAffichage->getFileList(path, 160).isEmpty());
    QVERIFY(fixture::logContains(QStringLiteral("Erreur nb messages (") + path + QStringLiteral(") : 0 / 160")));
}

void TestCAffichage::shortFile()
{
    // 33 lines for 34 texts; also carries a CR, a NUL and a Latin-1 accent.
    static const char head[] = "premier\r\\nsuite\ncoup\0 perdu\nd\xE9j\xE0";
    QByteArray content(head, sizeof(head) - 1);
    for (int i = 3; i < 33; ++i) {
        content += "\nligne " + QByteArray::number(i);
    }
    const QString path = tempDir.filePath(QStringLiteral("mess_short.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();

    fixture::clearLog();
    const QStringList texts = gAffichage->getFileList(path, 34);
    QCOMPARE(texts.size(), 34);
    QCOMPARE(texts.at(0), QStringLiteral("premier\nsuite"));
    QCOMPARE(texts.at(1), QStringLiteral("coup"));
    QCOMPARE(texts.at(2), QStringLiteral("déjà"));
    QCOMPARE(texts.at(32), QStringLiteral("ligne 32"));
    QVERIFY(texts.at(33).isEmpty());
    QVERIFY(!fixture::logContains(QStringLiteral("Erreur nb messages")));
}

void TestCAffichage::longFile()
{
    const QString path = tempDir.filePath(QStringLiteral("mess_long.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("a\nb\nc\n");
    file.close();

    fixture::clearLog();
    QCOMPARE(gAffichage->getFileList(path, 2), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    QVERIFY(!fixture::logContains(QStringLiteral("Erreur nb messages")));
}

TAVRIMEX_TEST_GUILESS_MAIN(TestCAffichage)
#include "TestCAffichage.moc"
