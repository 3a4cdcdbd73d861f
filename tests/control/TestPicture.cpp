#include "core/AppFolder.h"
#include "core/CParam.h"
#include "ui/MainWindow.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "NetFixture.h"
#include "ScanFixture.h"
#include "TestMain.h"

#include <QDateTime>
#include <QFile>
#include <QImage>
#include <QPixmap>

#include <memory>

using namespace Qt::StringLiterals;
using namespace scanfixture;

namespace
{

QString cachePath(const QString& name)
{
    return appFolder() + u"/img/"_s + name;
}

// The pictures are plain colours: the middle pixel tells them apart.
QRgb middle(const QImage& image)
{
    return image.pixel(image.width() / 2, image.height() / 2);
}

QRgb shown(MainWindow& window)
{
    return middle(window.ui->lblResultImg->pixmap().toImage().convertToFormat(QImage::Format_RGB32));
}

QRgb cached(const QString& name)
{
    return middle(QImage(cachePath(name)).convertToFormat(QImage::Format_RGB32));
}

QRgb noPicture(MainWindow& window)
{
    return middle(QPixmap(u":/design/kestrova/noPicture.png"_s)
                      .scaled(window.ui->lblResultImg->size(), Qt::KeepAspectRatio)
                      .toImage()
                      .convertToFormat(QImage::Format_RGB32));
}

}  // namespace

// The ticket's picture: the cache, the "getImage" request to the stand-in of the
// service, and what is shown meanwhile.
class TestPicture : public ScanTestBase
{
    Q_OBJECT

    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;

    void setImage(const QString& code, const QString& url)
    {
        QVERIFY(run(*m_window, u"update BILLET set IMAGE='%1' where CODE_BARRE='%2'"_s.arg(url, code)));
    }

    qsizetype imageRequests() const
    {
        return m_server->requests(u"image"_s).size();
    }

private slots:

    void init()
    {
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
        m_window = startScanning({{u"P1"_s, 7, 5}, {u"P2"_s, 7, 5}, {u"P3"_s, 7, 5}, {u"P4"_s, 7, 5}});
        netfixture::setSession(m_server->serviceUrl());
        gParam->isDirectPunch = false;
        gParam->isOnline = true;
        for (const QString& code : {u"P1"_s, u"P2"_s, u"P3"_s, u"P4"_s}) {
            QFile::remove(cachePath(code.toLower() + u".png"_s));
            setImage(code, m_server->imageUrl(code.toLower() + u".png"_s));
        }
    }

    void cleanup()
    {
        m_window.reset();
        m_server.reset();
    }

    // Fetched once, cached under its name and shown; while the cached file is fresh no
    // request is made.
    void fetchedThenCached()
    {
        scan(*m_window, u"P1"_s);
        QCOMPARE(shown(*m_window), noPicture(*m_window));
        QTRY_VERIFY(QFile::exists(cachePath(u"p1.png"_s)));
        QTRY_COMPARE(shown(*m_window), cached(u"p1.png"_s));
        QCOMPARE(imageRequests(), 1);

        scan(*m_window, u"P1"_s);
        QCOMPARE(shown(*m_window), cached(u"p1.png"_s));
        // A request that a fresh file would wrongly have sent arrives before this one.
        scan(*m_window, u"P4"_s);
        QTRY_COMPARE(imageRequests(), 2);
        QCOMPARE(m_server->requests(u"image"_s).last().path, QByteArray("/img/p4.png"));
    }

    // A reply that comes after another ticket was shown fills the cache under the name
    // asked for, and leaves the picture on screen alone.
    void lateReplyForAnotherTicket()
    {
        m_server->enqueue(u"image"_s, standin::ScriptedReply::normal().delayed(300));
        scan(*m_window, u"P2"_s);
        scan(*m_window, u"P3"_s);
        QTRY_VERIFY(QFile::exists(cachePath(u"p3.png"_s)));
        QTRY_VERIFY(QFile::exists(cachePath(u"p2.png"_s)));
        QCoreApplication::processEvents();
        QCOMPARE(shown(*m_window), cached(u"p3.png"_s));
        QVERIFY(cached(u"p2.png"_s) != cached(u"p3.png"_s));
    }

    // A failed request is logged and leaves the older cached picture, or none.
    void errorFallsBack()
    {
        QImage old(20, 30, QImage::Format_RGB32);
        old.fill(Qt::red);
        QVERIFY(old.save(cachePath(u"p2.png"_s)));
        QFile file(cachePath(u"p2.png"_s));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-8), QFileDevice::FileModificationTime));
        file.close();
        const auto errors = [] {
            return fixture::logLines().join(u'\n').count(u"Erreur Connexion get image (err=203)"_s);
        };
        fixture::clearLog();
        for (const QString& code : {u"P2"_s, u"P3"_s}) {
            m_server->enqueue(u"image"_s, standin::ScriptedReply::httpError(404));
            const qsizetype before = errors();
            scan(*m_window, code);
            QTRY_VERIFY(errors() > before);
        }
        QCOMPARE(shown(*m_window), noPicture(*m_window));
        scan(*m_window, u"P2"_s);
        QCOMPARE(shown(*m_window), qRgb(255, 0, 0));
        QVERIFY(!QFile::exists(cachePath(u"p3.png"_s)));
    }

    // Offline nothing is asked; a name that would leave the cache folder is refused.
    void offlineAndBadNames()
    {
        gParam->isOnline = false;
        scan(*m_window, u"P1"_s);
        QCOMPARE(shown(*m_window), noPicture(*m_window));
        gParam->isOnline = true;
        setImage(u"P1"_s, m_server->imageUrl(u".."_s));
        scan(*m_window, u"P1"_s);
        QCOMPARE(shown(*m_window), noPicture(*m_window));
        QCoreApplication::processEvents();
        QCOMPARE(imageRequests(), 0);
    }
};

TAVRIMEX_TEST_MAIN(TestPicture)
#include "TestPicture.moc"
