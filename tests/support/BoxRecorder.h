#pragma once

#include "core/BoxPresenter.h"

#include <QList>
#include <QMutex>
#include <QThread>

// Takes the place of the message boxes while it lives, and records each request.
class BoxRecorder
{
public:
    struct Entry
    {
        BoxRequest request;
        QThread* thread = nullptr;
        // Whether `watchedMutex` was free when the box was shown.
        bool mutexFree = true;
    };

    explicit BoxRecorder(QMutex* watchedMutex = nullptr);
    ~BoxRecorder();

    QList<Entry> entries() const;
    void clear();

private:
    mutable QMutex m_lock;
    QList<Entry> m_entries;
    QMutex* m_watched;
};
