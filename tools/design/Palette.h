#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QString>

// The colours every picture and the style sheet are drawn with. The values live in one
// place, at the top of gendesign.cpp; the style sheet template names them as @name@.
struct Palette
{
    QColor ink;         // main text
    QColor inkSoft;     // secondary text, captions
    QColor inkFaint;    // disabled text, placeholders
    QColor bar;         // window bars and dialogs
    QColor barRaised;   // buttons lying on a bar
    QColor barText;     // quiet text on a bar
    QColor page;        // page background
    QColor panel;       // cards
    QColor panelTint;   // card headers and side columns
    QColor line;        // borders and separators
    QColor accent;      // primary actions, focus
    QColor accentDark;  // primary actions held down
    QColor accentMid;   // light end of the accent gradients: filled bars, list selections
    QColor accentSoft;  // selections
    QColor ok;          // accepted ticket, online, on sale
    QColor okDark;
    QColor okSoft;
    QColor ko;  // refused ticket, offline, delete
    QColor koDark;
    QColor warn;  // needs attention: new version, fraud report
    QColor warnDark;
    QColor warnSoft;
    QColor waiting;  // result panel before the first ticket
    QColor keyFace;  // on-screen keys
    QColor keyEdge;
    QColor keyBed;
    QColor laser;  // aiming line over the webcam picture

    // Token name and colour, for the style sheet template.
    QList<QPair<QString, QColor>> tokens() const
    {
        return {
            {QStringLiteral("ink"), ink},
            {QStringLiteral("inkSoft"), inkSoft},
            {QStringLiteral("inkFaint"), inkFaint},
            {QStringLiteral("bar"), bar},
            {QStringLiteral("barRaised"), barRaised},
            {QStringLiteral("barText"), barText},
            {QStringLiteral("page"), page},
            {QStringLiteral("panel"), panel},
            {QStringLiteral("panelTint"), panelTint},
            {QStringLiteral("line"), line},
            {QStringLiteral("accent"), accent},
            {QStringLiteral("accentDark"), accentDark},
            {QStringLiteral("accentMid"), accentMid},
            {QStringLiteral("accentSoft"), accentSoft},
            {QStringLiteral("ok"), ok},
            {QStringLiteral("okDark"), okDark},
            {QStringLiteral("okSoft"), okSoft},
            {QStringLiteral("ko"), ko},
            {QStringLiteral("koDark"), koDark},
            {QStringLiteral("warn"), warn},
            {QStringLiteral("warnDark"), warnDark},
            {QStringLiteral("warnSoft"), warnSoft},
            {QStringLiteral("waiting"), waiting},
            {QStringLiteral("keyFace"), keyFace},
            {QStringLiteral("keyEdge"), keyEdge},
            {QStringLiteral("keyBed"), keyBed},
            {QStringLiteral("laser"), laser},
        };
    }
};
