#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

#include <functional>
#include <map>

class QLabel;
class QPainter;
class QWidget;

// Paints a widget from a picture of what lies under it, made once and kept, and makes
// the widget opaque: a repaint of the widget, or of a child of it, then starts from
// that picture instead of painting every transparent layer again down to the window
// (the window's background, rounded borders, sprites). The picture holds what the
// widget's ancestors paint under it, the widget's own style sheet background and its
// own look in the current state; with Content::Over the widget paints its content over
// the picture (a list's viewport). One picture is kept per state, made again when the
// widget's size or style, or its look's key, changes. The widget must not lie over a
// sibling, and what its ancestors paint under it must change only with the state.
// GUI thread only.
class OpaqueBackdrop : public QObject
{
    Q_OBJECT

public:
    enum class Content
    {
        // The picture is all the widget shows.
        InPicture,
        // The widget paints its own content over the picture.
        Over,
    };
    using Look = std::function<void(QPainter& painter, int state)>;
    using LookKey = std::function<QString()>;

    OpaqueBackdrop(QWidget* widget, Content content, Look ownLook = {}, LookKey ownLookKey = {});

    // A label showing plain text, drawn into its picture as the label draws it: a change
    // of the state under it then repaints a copy instead of laying out its text again.
    // Any other label paints itself over the picture.
    static OpaqueBackdrop* forLabel(QLabel* label);

    // Shows the widget in another state; each state's picture is kept.
    void setState(int state);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Picture
    {
        QString key;
        QPixmap pixmap;
    };

    QPixmap picture();

    QWidget* m_widget;
    Content m_content;
    Look m_ownLook;
    LookKey m_ownLookKey;
    int m_state = 0;
    int m_cleared = 0;
    std::map<int, Picture> m_pictures;
};
