#include "ui/CKeyboardWidget.h"

#include <QSignalMapper>

CKeyboardSmallButton::CKeyboardSmallButton(QWidget* parent)
    : QPushButton(parent)
{
    setCursor(Qt::OpenHandCursor);
}

CKeyboardDoubleButton::CKeyboardDoubleButton(QWidget* parent)
    : QPushButton(parent)
{
    setCursor(Qt::OpenHandCursor);
}

CKeyboardEnterButton::CKeyboardEnterButton(QWidget* parent)
    : QPushButton(parent)
{
    setCursor(Qt::OpenHandCursor);
}

CKeyboardSpaceBarButton::CKeyboardSpaceBarButton(QWidget* parent)
    : QPushButton(parent)
{
    setCursor(Qt::OpenHandCursor);
}

namespace
{

QPushButton* makeKey(KeyboardKeyClass keyClass, QWidget* parent)
{
    switch (keyClass) {
    case KeyboardKeyClass::Small:
        return new CKeyboardSmallButton(parent);
    case KeyboardKeyClass::Double:
        return new CKeyboardDoubleButton(parent);
    case KeyboardKeyClass::Enter:
        return new CKeyboardEnterButton(parent);
    case KeyboardKeyClass::SpaceBar:
        return new CKeyboardSpaceBarButton(parent);
    }
    return new CKeyboardSmallButton(parent);
}

}  // namespace

CKeyboardWidget::CKeyboardWidget(QWidget* parent)
    : QWidget(parent)
{
    setGeometry(0, 0, parent->width(), parent->height());

    for (std::size_t i = 0; i < kKeyboardKeys.size(); ++i) {
        const KeyboardKey& key = kKeyboardKeys[i];
        m_keys[i] = makeKey(key.keyClass, this);
        m_keys[i]->setGeometry(key.x, key.y, key.w, key.h);
    }

    m_mapper = new QSignalMapper(this);
    for (std::size_t i = 0; i < kKeyboardKeys.size(); ++i) {
        QPushButton* button = m_keys[i];
        switch (kKeyboardKeys[i].action) {
        case KeyboardKeyAction::Text:
            connect(button, &QPushButton::clicked, m_mapper, qOverload<>(&QSignalMapper::map));
            m_mapper->setMapping(button, QString::fromLatin1(kKeyboardKeys[i].text));
            break;
        case KeyboardKeyAction::None:
            // Mapped to nothing: the mapper drops its clicks.
            connect(button, &QPushButton::clicked, m_mapper, qOverload<>(&QSignalMapper::map));
            break;
        case KeyboardKeyAction::Enter:
            connect(button, &QPushButton::clicked, this, &CKeyboardWidget::btnEnterClicked);
            break;
        case KeyboardKeyAction::Back:
            connect(button, &QPushButton::clicked, this, &CKeyboardWidget::btnBackClicked);
            break;
        case KeyboardKeyAction::Exit:
            connect(button, &QPushButton::clicked, this, &CKeyboardWidget::btnExitClicked);
            break;
        }
    }
    connect(m_mapper, &QSignalMapper::mappedString, this, &CKeyboardWidget::btnKeyClicked);
}

CKeyboardWidget::~CKeyboardWidget() = default;
