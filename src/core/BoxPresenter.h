#pragma once

#include <QString>

#include <functional>

class QWidget;

enum class BoxIcon
{
    Warning,
    Critical
};

struct BoxRequest
{
    BoxIcon icon = BoxIcon::Warning;
    QString title;
    QString text;
};

// Shows one modal box with a single OK button. The default presenter builds a
// QMessageBox; tests install a recorder so that nothing waits for a click.
using BoxPresenter = std::function<void(const BoxRequest& request, QWidget* parent)>;

// Replaces the presenter; an empty function restores the default one.
void setBoxPresenter(BoxPresenter presenter);

// Shows a box. On the GUI thread the presenter runs at once; from any other thread
// the request is posted to the GUI thread (without parent) and the caller goes on.
// The caller must not hold the database mutex: the box runs a nested event loop.
void showBox(BoxIcon icon, const QString& title, const QString& text, QWidget* parent = nullptr);
