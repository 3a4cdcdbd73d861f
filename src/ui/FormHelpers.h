#pragma once

#include <QCursor>
#include <QRect>
#include <QString>
#include <QWidget>

// Small pieces shared by the hand-written forms. Every widget of a form sits at a
// fixed pixel position and is addressed by object name from the style sheet.
namespace form
{

inline constexpr Qt::Alignment kCentred = Qt::AlignCenter;
inline constexpr Qt::Alignment kRight = Qt::AlignRight | Qt::AlignTrailing | Qt::AlignVCenter;
inline constexpr Qt::Alignment kLeft = Qt::AlignLeft | Qt::AlignLeading | Qt::AlignVCenter;

// Create a widget, name it and place it in its parent.
template <class T>
T* make(QWidget* parent, const char* name, int x, int y, int w, int h)
{
    auto* widget = new T(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(QRect(x, y, w, h));
    return widget;
}

// A stack page: created without a parent, the stack adopts it when it is added.
inline QWidget* makePage(const char* name)
{
    auto* page = new QWidget();
    page->setObjectName(QString::fromLatin1(name));
    return page;
}

// The cursor of everything the agent is meant to touch.
inline void openHand(QWidget* widget)
{
    widget->setCursor(QCursor(Qt::OpenHandCursor));
}

}  // namespace form
