#include "BoxRecorder.h"

BoxRecorder::BoxRecorder(QMutex* watchedMutex)
    : m_watched(watchedMutex)
{
    setBoxPresenter([this](const BoxRequest& request, QWidget*) {
        Entry entry{request, QThread::currentThread(), true};
        if (m_watched) {
            entry.mutexFree = m_watched->tryLock();
            if (entry.mutexFree) {
                m_watched->unlock();
            }
        }
        QMutexLocker lock(&m_lock);
        m_entries.append(entry);
    });
}

BoxRecorder::~BoxRecorder()
{
    setBoxPresenter({});
}

QList<BoxRecorder::Entry> BoxRecorder::entries() const
{
    QMutexLocker lock(&m_lock);
    return m_entries;
}

void BoxRecorder::clear()
{
    QMutexLocker lock(&m_lock);
    m_entries.clear();
}
