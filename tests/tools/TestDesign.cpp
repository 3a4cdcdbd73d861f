#include "core/CAffichage.h"
#include "ui/ProgressBar.h"

#include "CoreFixture.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <algorithm>

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

// A value as the style sheet engine reads it: no blanks, no case, rgb() as #rrggbb.
QString normalised(QString value)
{
    value = value.toLower().remove(QRegularExpression(QStringLiteral("\\s")));
    static const QRegularExpression rgb(QStringLiteral("rgb\\((\\d+),(\\d+),(\\d+)\\)"));
    for (QRegularExpressionMatch m = rgb.match(value); m.hasMatch(); m = rgb.match(value)) {
        const QColor colour(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
        value.replace(m.capturedStart(), m.capturedLength(), colour.name());
    }
    return value;
}

// The declarations of every rule whose selector list names `selector`; a later rule
// overrides an earlier one, as in the engine.
QMap<QString, QString> declarationsOf(QString sheet, const QString& selector)
{
    sheet.remove(QRegularExpression(QStringLiteral("/\\*.*?\\*/"), QRegularExpression::DotMatchesEverythingOption));
    QMap<QString, QString> found;
    static const QRegularExpression rule(QStringLiteral("([^{}]+)\\{([^}]*)\\}"));
    for (const QRegularExpressionMatch& m : rule.globalMatch(sheet)) {
        const QStringList selectors = m.captured(1).split(QLatin1Char(','));
        const bool named = std::any_of(selectors.begin(), selectors.end(), [&](const QString& one) {
            return one.simplified() == selector;
        });
        if (!named) {
            continue;
        }
        for (const QString& declaration : m.captured(2).split(QLatin1Char(';'))) {
            const qsizetype colon = declaration.indexOf(QLatin1Char(':'));
            if (colon > 0) {
                found.insert(declaration.left(colon).trimmed(), declaration.mid(colon + 1).trimmed());
            }
        }
    }
    return found;
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

    void fixedValues_data()
    {
        QTest::addColumn<QString>("selector");
        QTest::addColumn<QString>("property");
        QTest::addColumn<QString>("expected");
        const QString grey = QStringLiteral("rgb(64,64,64)");
        const QString magenta = QStringLiteral("#e2017b");
        const QString popup = QStringLiteral("CRepWidgetComboRep QAbstractItemView");
        const QString chunk = QStringLiteral("QProgressBar#pbWaiting::chunk");
        const QString pink =
            QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(255,120,180), stop:1 #e2017b)");
        const QString light = QStringLiteral("qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #FFFFFF, stop:1 #D8D8D8)");

        const struct
        {
            const char* name;
            QString selector;
            const char* property;
            QString expected;
        } rows[] = {
            {"tile event size", "CRepWidgetEvent", "font-size", "17px"},
            {"tile event colour", "CRepWidgetEvent", "color", magenta},
            {"tile date size", "CRepWidgetRep", "font-size", "14px"},
            {"tile date colour", "CRepWidgetRep", "color", grey},
            {"tile end of sale colour", "CRepWidgetFinVente", "color", grey},
            {"tile places size", "CRepWidgetNbPlace", "font-size", "16px"},
            {"tile places colour", "CRepWidgetNbPlace", "color", grey},
            {"tile places caption colour", "CRepWidgetPlace", "color", grey},
            {"tile list state size", "CRepWidgetLastUpdate", "font-size", "11px"},
            {"tile drain colour", "CRepWidgetDrainNeeded", "color", grey},
            {"tile combo size", "CRepWidgetComboRep", "font-size", "14px"},
            {"tile combo colour", "CRepWidgetComboRep", "color", grey},
            {"tile combo padding", "CRepWidgetComboRep", "padding", "1px 18px 1px 3px"},
            {"tile popup size", popup, "font-size", "14px"},
            {"tile popup background", popup, "background-color", light},
            {"tile popup selection", popup, "selection-background-color", pink},
            {"tile drop-down width", "CRepWidgetComboRep::drop-down", "width", "40px"},
            {"tile drop-down place", "CRepWidgetComboRep::drop-down", "subcontrol-position", "top right"},
            {"recap table size", "QTableWidget#tableNbTicket", "font-size", "18px"},
            {"recap table colour", "QTableWidget#tableNbTicket", "color", grey},
            {"recap table disabled colour", "QTableWidget#tableNbTicket:disabled", "color", grey},
            {"recap table background", "QTableWidget#tableNbTicket:disabled", "background-color", "transparent"},
            {"punched count size", "QLabel#lblRepNbPunch", "font-size", "18px"},
            {"punched count colour", "QLabel#lblRepNbPunch", "color", magenta},
            {"ticket count size", "QLabel#lblRepNbPlace", "font-size", "18px"},
            {"ticket count colour", "QLabel#lblRepNbPlace", "color", grey},
            {"count caption size", "QLabel#lblRepPlaces", "font-size", "18px"},
            {"count caption colour", "QLabel#lblRepPlaces", "color", grey},
            {"wait text size", "QLabel#lblWaiting", "font-size", "20px"},
            {"message title size", "QLabel#lblMessageDlgTitle", "font-size", "20px"},
            {"input title size", "QLabel#lblSaisieDlgTitle", "font-size", "20px"},
            {"message text size", "QLabel#lblMessageDlgInfo", "font-size", "16px"},
            {"input text size", "QLabel#lblSaisieDlgInfo", "font-size", "16px"},
            {"bar text colour", "QProgressBar#pbWaiting", "color", "black"},
            {"bar corners", "QProgressBar#pbWaiting", "border-radius", "3px"},
            {"bar background", "QProgressBar#pbWaiting", "background-color", light},
            {"bar filled corners", chunk, "border-radius", "3px"},
            {"bar filled part", chunk, "background-color", pink},
        };

        for (const auto& row : rows) {
            QTest::newRow(row.name) << row.selector << QString::fromLatin1(row.property) << row.expected;
        }
    }

    // The tiles, the recap and the dialogs keep these values whatever the palette.
    void fixedValues()
    {
        QFETCH(QString, selector);
        QFETCH(QString, property);
        QFETCH(QString, expected);
        QFile file(m_drawn.filePath("Style.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QMap<QString, QString> declarations = declarationsOf(QString::fromUtf8(file.readAll()), selector);
        QVERIFY2(declarations.contains(property), qPrintable(selector + " has no " + property));
        QCOMPARE(normalised(declarations.value(property)), normalised(expected));
    }

    void waitTextsFit_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("French") << 0;
        QTest::newRow("English") << 1;
        QTest::newRow("Spanish") << 2;
    }

    // Every text the progress dialog shows: the wait, the steps of a list being read, the
    // download and the drain.
    void waitTextsFit()
    {
        QFETCH(int, language);
        fixture::initQuietCore();
        QWidget window;
        window.resize(1024, 768);
        ProgressBar progress(&window);
        auto* label = progress.findChild<QLabel*>(QStringLiteral("lblWaiting"));
        QVERIFY(label);
        progress.ensurePolished();
        const QRect room =
            label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
        QStringList cut;
        for (int line : {7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 21}) {
            const QString text = gAffichage->getMessage(language, line);
            QVERIFY(!text.isEmpty());
            progress.setText(text);
            if (!room.contains(label->fontMetrics().boundingRect(room, int(label->alignment()), text))) {
                cut << text;
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(" | ")));
    }
};

TAVRIMEX_TEST_MAIN(TestDesign)
#include "TestDesign.moc"
