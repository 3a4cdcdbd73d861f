#pragma once

#include "ui/KeyboardLayout.h"

#include <QPushButton>
#include <QWidget>

#include <array>

class QSignalMapper;

// The key classes exist for their class names: the style sheet picks each key's
// pressed picture by type selector.
class CKeyboardSmallButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CKeyboardSmallButton(QWidget* parent);
};

class CKeyboardDoubleButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CKeyboardDoubleButton(QWidget* parent);
};

class CKeyboardEnterButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CKeyboardEnterButton(QWidget* parent);
};

class CKeyboardSpaceBarButton : public QPushButton
{
    Q_OBJECT

public:
    explicit CKeyboardSpaceBarButton(QWidget* parent);
};

// Touch keyboard, AZERTY, capitals only. Transparent keys over the placeholder's
// picture; it reports key presses and keeps no text or state of its own.
class CKeyboardWidget : public QWidget
{
    Q_OBJECT

public:
    // Takes the parent's size at construction and keeps it; the parent must not be null.
    explicit CKeyboardWidget(QWidget* parent);
    ~CKeyboardWidget() override;

signals:
    void btnKeyClicked(const QString& text);
    void btnEnterClicked();
    void btnBackClicked();
    void btnExitClicked();

private:
    // In the order of kKeyboardKeys.
    std::array<QPushButton*, kKeyboardKeyCount> m_keys{};
    QSignalMapper* m_mapper = nullptr;
};
