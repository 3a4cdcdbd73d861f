#include "control/CWebCam.h"
#include "core/CParam.h"
#include "ui/MainWindow.h"
#include "ui/SaisieDlg.h"
#include "ui/Ui_MainWindow.h"

#include "CoreFixture.h"
#include "ScanFixture.h"
#include "TestMain.h"
#include "video/TicketVideo.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using namespace Qt::StringLiterals;
using namespace scanfixture;
using ticketvideo::writeVideo;

namespace
{

QStringList repeated(const QString& content, int count)
{
    return QStringList(count, content);
}

}  // namespace

class TestWebCam : public ScanTestBase
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:

    void init()
    {
        QVERIFY(m_dir.isValid());
    }

    // A ticket held in front is reported once; taken away for longer than the repeat
    // time and shown again, it is reported again.
    void heldTicketReportedOnce_data()
    {
        QTest::addColumn<int>("gapFrames");
        QTest::addColumn<int>("reports");
        QTest::newRow("held, moved a little") << 20 << 1;
        QTest::newRow("taken away, shown again") << 35 << 2;
    }

    void heldTicketReportedOnce()
    {
        QFETCH(int, gapFrames);
        QFETCH(int, reports);
        const QString video =
            writeVideo(m_dir.filePath(u"held%1.avi"_s.arg(gapFrames)),
                       repeated(u"TKT-0001"_s, 5) + repeated(QString(), gapFrames) + repeated(u"TKT-0001"_s, 5));
        QWidget parent;
        parent.resize(335, 260);
        CWebCam camera(&parent);
        qint64 now = 0;
        camera.setClock([&now] {
            return now;
        });
        camera.setVideoSource(video);
        QVERIFY(camera.startWebcam());
        QSignalSpy barcodes(&camera, &CWebCam::signalBarcode);
        for (int frame = 0; frame < 10 + gapFrames; ++frame) {
            camera.captureFrame();
            now += CWebCam::kCaptureMs;
        }
        QCOMPARE(barcodes.count(), reports);
        QCOMPARE(barcodes.first().first().toString(), u"TKT-0001"_s);
        QVERIFY(!camera.pixmap().isNull());
        camera.stopWebcam();
        QVERIFY(!camera.isCapturing());
    }

    // Two tickets in one frame give one lookup; nothing is reported while paused.
    void oneReportPerFrame()
    {
        const QString video = writeVideo(m_dir.filePath(u"two.avi"_s), repeated(u"AAA-1+BBB-2"_s, 3));
        QWidget parent;
        parent.resize(335, 260);
        CWebCam camera(&parent);
        camera.setVideoSource(video);
        QVERIFY(camera.startWebcam());
        QSignalSpy barcodes(&camera, &CWebCam::signalBarcode);
        camera.pause();
        camera.captureFrame();
        QCOMPARE(barcodes.count(), 0);
        camera.resumeAfter(0);
        QTRY_VERIFY(!camera.isPaused());
        camera.captureFrame();
        QCOMPARE(barcodes.count(), 1);
    }

    void noSource()
    {
        QWidget parent;
        parent.resize(335, 260);
        CWebCam camera(&parent);
        camera.setVideoSource(m_dir.filePath(u"missing.avi"_s));
        fixture::clearLog();
        QVERIFY(!camera.startWebcam());
        QVERIFY(!camera.startWebcam());
        QCOMPARE(fixture::logLines().size(), 1);
        camera.captureFrame();
        QVERIFY(!camera.isCapturing());
    }

    // Through the window: the ticket held in front is punched once; off the scan page
    // the webcam acts on nothing.
    void scanningByWebcam()
    {
        const QString video = writeVideo(m_dir.filePath(u"door.avi"_s), repeated(u"MULTI-3"_s, 4));
        auto window = startScanning({{u"MULTI-3"_s, 7, 3}, {u"OTHER"_s, 7, 1}});
        qint64 now = 0;
        window->webCam->setClock([&now] {
            return now;
        });
        window->webCam->setVideoSource(video);
        window->activeWebcamClicked();
        QVERIFY(gParam->isWebcam && window->webCam->isCapturing());
        QCOMPARE(window->ui->lblWebcamStatus->styleSheet(), u"background-position: top;"_s);

        window->webCam->captureFrame();
        QCOMPARE(status(*window), label(64));
        QVERIFY(window->webCam->isPaused());
        QTRY_VERIFY(!window->webCam->isPaused());
        for (int frame = 0; frame < 30; ++frame) {
            now += CWebCam::kCaptureMs;
            window->webCam->captureFrame();
        }
        QCOMPARE(rows(*window, u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='MULTI-3'"_s), QStringList{u"2"_s});

        // Typed barcodes are never held back.
        scan(*window, u"MULTI-3"_s);
        scan(*window, u"MULTI-3"_s);
        QCOMPARE(rows(*window, u"select NB_COMPOSTAGE from BILLET where CODE_BARRE='MULTI-3'"_s), QStringList{u"0"_s});

        window->padNumSearchClicked();
        now += 10 * CWebCam::kRepeatMs;
        window->webCam->captureFrame();
        QCOMPARE(window->ui->stackedWidget->currentIndex(), 3);
        QCOMPARE(rows(*window, u"select count(*) from MODIF"_s), QStringList{u"3"_s});

        // Under the issuer question the capture goes on; the ticket held stays held.
        window->backToScanClicked();
        const QString twice = writeVideo(m_dir.filePath(u"twice.avi"_s), repeated(u"OTHER"_s, 4));
        window->webCam->stopWebcam();
        window->webCam->setVideoSource(twice);
        QVERIFY(window->webCam->startWebcam());
        QVERIFY(run(*window,
                    u"insert into BILLET (ID, CODE_BARRE, EDITEUR_ID, IS_USABLE, IS_DELETED, NB_COMPOSTAGE) "
                    "values (0, 'OTHER', 99999999, 1, 0, 1)"_s));
        QTRY_VERIFY(!window->webCam->isPaused());
        now += 10 * CWebCam::kRepeatMs;
        window->webCam->captureFrame();
        QVERIFY(window->saisieDlg->isVisible());
        window->actionShowSaisieDlg(false);
        QTRY_VERIFY(!window->webCam->isPaused());
        now += CWebCam::kCaptureMs;
        window->webCam->captureFrame();
        QVERIFY(!window->saisieDlg->isVisible());

        window->activeWebcamClicked();
        QVERIFY(!window->webCam->isCapturing());
        QCOMPARE(window->ui->lblWebcamStatus->styleSheet(), u"background-position: bottom;"_s);
    }
};

TAVRIMEX_TEST_MAIN(TestWebCam)
#include "TestWebCam.moc"
