#include "core/AppFolder.h"
#include "core/CAffichage.h"
#include "ui/MessageDlg.h"

#include "DoorFixture.h"
#include "TestMain.h"

#include <QFile>
#include <QLabel>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

enum class Condition
{
    DiskFull,
    ReadOnly,
};
Q_DECLARE_METATYPE(Condition)

namespace
{

// Root writes through any file mode: the calling thread (and the threads it starts)
// gives up that power while the folder is read-only.
void overrideModes(bool allowed)
{
    if (geteuid() != 0) {
        return;
    }
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0) {
        return;
    }
    const quint32 bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH) | (1u << CAP_FOWNER);
    data[0].effective = allowed ? data[0].effective | (bits & data[0].permitted) : data[0].effective & ~bits;
    syscall(SYS_capset, &header, data);
}

// A file may not grow past 4 kB: no room even for a rollback journal, as on a full
// disk; or the database folder read-only, where no journal can be created.
void impose(Condition condition, bool on)
{
    if (condition == Condition::DiskFull) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{};
        getrlimit(RLIMIT_FSIZE, &limit);
        limit.rlim_cur = on ? 4096 : limit.rlim_max;
        setrlimit(RLIMIT_FSIZE, &limit);
        return;
    }
    if (on) {
        overrideModes(false);
    }
    QFile::setPermissions(dbFolder(),
                          on ? QFile::ReadOwner | QFile::ExeOwner
                             : QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!on) {
        overrideModes(true);
    }
}

}  // namespace

// The disk full or the database read-only at the door: the agent is told, nothing on
// disk is lost, and the door works again once the condition is gone.
class TestDiskFull : public DoorTestBase
{
    Q_OBJECT

    QString shownMessage() const
    {
        return m_window->messageDlg->isHidden()
                   ? QString()
                   : m_window->messageDlg->findChild<QLabel*>(QStringLiteral("lblMessageDlgInfo"))->text();
    }

    QStringList stored()
    {
        return scanfixture::rows(*m_window, QStringLiteral("select CODE_BARRE, NB_COMPOSTAGE from BILLET order by 1"))
               + scanfixture::rows(*m_window, QStringLiteral("select CODE_BARRE, STATUS from MODIF order by ID"));
    }

private slots:

    void cleanup()
    {
        impose(Condition::DiskFull, false);
        impose(Condition::ReadOnly, false);
        m_window.reset();
        m_server.reset();
    }

    void conditions_data()
    {
        QTest::addColumn<Condition>("condition");
        QTest::newRow("disk full") << Condition::DiskFull;
        QTest::newRow("read-only") << Condition::ReadOnly;
    }

    // A punch that cannot be written is an error with a message, the ticket on disk
    // unchanged; the earlier punch stays; the same ticket punches once space is back.
    void scanning_data()
    {
        conditions_data();
    }

    void scanning()
    {
        QFETCH(Condition, condition);
        scanfixture::scan(*m_window, m_tickets.at(0).barcode);
        QCOMPARE(scanfixture::status(*m_window), scanfixture::label(64));
        const QStringList before = stored();

        impose(condition, true);
        scanfixture::scan(*m_window, m_tickets.at(4).barcode);
        QCOMPARE(scanfixture::status(*m_window), scanfixture::label(100));
        QCOMPARE(shownMessage(), gAffichage->getMessage(0, 5));
        impose(condition, false);
        QCOMPARE(stored(), before);

        m_window->ackMessage();
        scanfixture::scan(*m_window, m_tickets.at(4).barcode);
        QCOMPARE(scanfixture::status(*m_window), scanfixture::label(64));
        QCOMPARE(pending(), 2);
        QCOMPARE(scanfixture::rows(*m_window, QStringLiteral("pragma integrity_check")), QStringList{"ok"});
    }

    // Another entrance's punch in a delta that cannot be stored: a message, the list
    // and its delta id unchanged; the next cycle after space returns applies it.
    void download_data()
    {
        conditions_data();
    }

    void download()
    {
        QFETCH(Condition, condition);
        const standin::Ticket& other = m_tickets.at(8);
        QVERIFY(m_server->otherPunch(other.barcode, other.editeurId));
        const QStringList before = stored();
        const QStringList delta = scanfixture::rows(*m_window, QStringLiteral("select ID from DELTA"));

        impose(condition, true);
        QVERIFY(cycle());
        impose(condition, false);
        QTRY_COMPARE(shownMessage(), gAffichage->getMessage(0, 5));
        QCOMPARE(stored(), before);
        QCOMPARE(scanfixture::rows(*m_window, QStringLiteral("select ID from DELTA")), delta);

        m_window->ackMessage();
        QVERIFY(cycle());
        QCOMPARE(scanfixture::rows(
                     *m_window,
                     QStringLiteral("select NB_COMPOSTAGE from BILLET where CODE_BARRE='%1'").arg(other.barcode)),
                 QStringList{QString::number(other.nbCompostage - 1)});
        QVERIFY(scanfixture::rows(*m_window, QStringLiteral("select ID from DELTA")) != delta);
    }
};

TAVRIMEX_TEST_MAIN(TestDiskFull)
#include "TestDiskFull.moc"
