#include "core/CAffichage.h"

#include "CoreFixture.h"
#include "TestMain.h"

#include <QTemporaryDir>

class TestCAffichage : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:

    void initTestCase()
    {
        fixture::initCore();
        QVERIFY(gAffichage);
        QVERIFY(m_dir.isValid());
    }

    void outOfRangeIsEmpty()
    {
        for (const auto& [language, index] : {std::pair{3, 0}, {-1, 0}, {0, 160}, {1, -1}}) {
            QVERIFY(gAffichage->getTraduction(language, index).isEmpty());
        }
        for (const auto& [language, index] : {std::pair{2, 34}, {3, 0}, {-1, 5}, {0, -1}}) {
            QVERIFY(gAffichage->getMessage(language, index).isEmpty());
        }
    }

    void headers()
    {
        QCOMPARE(gAffichage->getHeaderSearchTab(0).join('|'),
                 "ID|Etat|Nom|Code-barres|Canal|Date achat|Acheteur|Emetteur");
        QCOMPARE(gAffichage->getHeaderLocalTicketTab(0).join('|'),
                 "Rep ID|Etat|Nom|Nom|Prénom|Code-barres|Tel|Mail|Place|Dernière modif|Nb Comp|Modifier|Supprimer");
        QCOMPARE(gAffichage->getHeaderLocalTicketTab(1).mid(2, 2), (QStringList{"Last name", "Last name"}));
        QCOMPARE(gAffichage->getHeaderSearchTab(3), QStringList(8, QString()));
    }

    void shortAndLongFiles()
    {
        // 33 lines for 34 texts, with a CR, a NUL and Latin-1 accents.
        static const char head[] = "premier\r\\nsuite\ncoup\0 perdu\nd\xE9j\xE0";
        QByteArray content(head, sizeof(head) - 1);
        for (int i = 3; i < 33; ++i) {
            content += "\nligne " + QByteArray::number(i);
        }
        const QString shortPath = m_dir.filePath("mess_short.txt");
        const QString longPath = m_dir.filePath("mess_long.txt");
        QVERIFY(fixture::writeFile(shortPath, content) && fixture::writeFile(longPath, "a\nb\nc\n"));

        fixture::clearLog();
        const QStringList texts = gAffichage->getFileList(shortPath, 34);
        QCOMPARE(texts.size(), 34);
        QCOMPARE(texts.mid(0, 3), (QStringList{"premier\nsuite", "coup", "déjà"}));
        QCOMPARE(texts.at(32), "ligne 32");
        QVERIFY(texts.at(33).isEmpty());
        QCOMPARE(gAffichage->getFileList(longPath, 2), (QStringList{"a", "b"}));
        QVERIFY(!fixture::logContains("Erreur nb messages"));
        const QString missing = m_dir.filePath("trad_xx.txt");
        QVERIFY(gAffichage->getFileList(missing, 160).isEmpty());
        QVERIFY(fixture::logContains("Erreur nb messages (" + missing + ") : 0 / 160"));
    }
};

TAVRIMEX_TEST_GUILESS_MAIN(TestCAffichage)
#include "TestCAffichage.moc"
