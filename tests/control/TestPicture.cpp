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
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    return rgb.pixel(rgb.width() / 2, rgb.height() / 2);
}

}  // namespace

// The ticket's picture, its cache and its "getImage" request. Tickets P1 to P4 show p1 to p4.png.
class TestPicture : public ScanTestBase
{
    Q_OBJECT

    std::unique_ptr<standin::StandinServer> m_server;
    std::unique_ptr<MainWindow> m_window;

    QRgb shown() const
    {
        return middle(m_window->ui->lblResultImg->pixmap().toImage());
    }

    QRgb noPicture() const
    {
        return middle(QPixmap(u":/design/kestrova/noPicture.png"_s)
                          .scaled(m_window->ui->lblResultImg->size(), Qt::KeepAspectRatio)
                          .toImage());
    }

    qsizetype requests() const
    {
        return m_server->requests(u"image"_s).size();
    }

private slots:

    void init()
    {
        m_server = netfixture::startStandin();
        QVERIFY(m_server);
        // The window's first ping goes to the stand-in: a failed one would turn the session offline.
        m_window =
            startScanning({{u"P1"_s, 7, 5}, {u"P2"_s, 7, 5}, {u"P3"_s, 7, 5}, {u"P4"_s, 7, 5}}, m_server->serviceUrl());
        netfixture::setSession(m_server->serviceUrl());
        gParam->isDirectPunch = false;
        gParam->isOnline = true;
        for (int i = 1; i <= 4; ++i) {
            QFile::remove(cachePath(u"p%1.png"_s.arg(i)));
            QVERIFY(run(
                *m_window,
                u"update BILLET set IMAGE='%1' where CODE_BARRE='P%2'"_s.arg(m_server->imageUrl(u"p%1.png"_s.arg(i)),
                                                                             QString::number(i))));
        }
    }

    void cleanup()
    {
        m_window.reset();
        m_server.reset();
    }

    // Fetched once, cached and shown; no request for a fresh cached file, offline, or a bad name.
    void fetchedThenCached()
    {
        scan(*m_window, u"P1"_s);
        QCOMPARE(shown(), noPicture());
        QTRY_VERIFY(QFile::exists(cachePath(u"p1.png"_s)));
        QTRY_COMPARE(shown(), middle(QImage(cachePath(u"p1.png"_s))));
        scan(*m_window, u"P1"_s);
        gParam->isOnline = false;
        scan(*m_window, u"P2"_s);
        gParam->isOnline = true;
        // A name that would leave the cache folder is neither asked for nor read.
        QVERIFY(
            run(*m_window, u"update BILLET set IMAGE='%1' where CODE_BARRE='P3'"_s.arg(m_server->imageUrl(u".."_s))));
        scan(*m_window, u"P3"_s);
        QCOMPARE(shown(), noPicture());
        // A request that a scan above wrongly sent would come before this one.
        scan(*m_window, u"P4"_s);
        QTRY_COMPARE(requests(), 2);
        QCOMPARE(m_server->requests(u"image"_s).last().path, QByteArray("/img/p4.png"));
    }

    // A reply for a ticket no longer shown fills the cache and leaves the screen alone.
    void lateReplyForAnotherTicket()
    {
        m_server->enqueue(u"image"_s, standin::ScriptedReply::normal().delayed(300));
        scan(*m_window, u"P2"_s);
        scan(*m_window, u"P3"_s);
        QTRY_VERIFY(QFile::exists(cachePath(u"p3.png"_s)) && QFile::exists(cachePath(u"p2.png"_s)));
        QCoreApplication::processEvents();
        QCOMPARE(shown(), middle(QImage(cachePath(u"p3.png"_s))));
        QVERIFY(shown() != middle(QImage(cachePath(u"p2.png"_s))));
    }

    // A failed request is logged once and leaves the older cached picture, or none.
    void errorFallsBack()
    {
        QImage old(20, 30, QImage::Format_RGB32);
        old.fill(Qt::red);
        QVERIFY(old.save(cachePath(u"p2.png"_s)));
        QFile file(cachePath(u"p2.png"_s));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-8), QFileDevice::FileModificationTime));
        file.close();
        fixture::clearLog();
        const auto errors = [] {
            return fixture::logLines().join(u'\n').count(u"Erreur Connexion get image (err=203)"_s);
        };
        for (const QString& code : {u"P2"_s, u"P3"_s}) {
            m_server->enqueue(u"image"_s, standin::ScriptedReply::httpError(404));
            const qsizetype before = errors();
            scan(*m_window, code);
            QTRY_COMPARE(errors(), before + 1);
            QCOMPARE(shown(), code == u"P2"_s ? qRgb(255, 0, 0) : noPicture());
        }
        QVERIFY(!QFile::exists(cachePath(u"p3.png"_s)));
    }
};

TAVRIMEX_TEST_MAIN(TestPicture)
#include "TestPicture.moc"
