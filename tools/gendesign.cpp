// Draws every picture of the application's design and writes the style sheet, into the
// folder given as argument (resources/design):
//   gendesign <output folder> [style sheet template]
// Change a colour below, run it again, and commit what it wrote.

#include "design/DesignKit.h"
#include "design/Palette.h"
#include "design/Pictures.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QSize>
#include <QString>

#include <cstdio>
#include <functional>

namespace
{

// The one palette: charcoal bars, light grey pages, white cards, dark grey text and one
// magenta for actions and the figures that matter, with green and red kept for the
// verdicts and the states that mean the same. The tiles, the recap and the dialogs take
// ink, accent, accentMid and line as they are (TestDesign checks the style sheet).
Palette palette()
{
    Palette c;
    c.ink = QColor(64, 64, 64);
    c.inkSoft = QColor(0x6E, 0x6E, 0x72);
    c.inkFaint = QColor(0xA4, 0xA4, 0xA8);
    c.bar = QColor(0x2B, 0x2B, 0x30);
    c.barRaised = QColor(0x43, 0x43, 0x4A);
    c.barText = QColor(0xC2, 0xC2, 0xC8);
    c.page = QColor(0xEB, 0xEB, 0xED);
    c.panel = QColor(0xFF, 0xFF, 0xFF);
    c.panelTint = QColor(0xF5, 0xF5, 0xF6);
    c.line = QColor(0xD8, 0xD8, 0xD8);
    c.accent = QColor(0xE2, 0x01, 0x7B);
    c.accentDark = QColor(0xB0, 0x00, 0x5F);
    c.accentMid = QColor(255, 120, 180);
    c.accentSoft = QColor(0xFC, 0xDD, 0xEC);
    c.ok = QColor(0x1E, 0x8A, 0x3E);
    c.okDark = QColor(0x15, 0x69, 0x2E);
    c.okSoft = QColor(0xDC, 0xF1, 0xE1);
    c.ko = QColor(0xC6, 0x2B, 0x25);
    c.koDark = QColor(0x97, 0x1C, 0x18);
    c.warn = QColor(0xE0, 0x95, 0x14);
    c.warnDark = QColor(0x9A, 0x5B, 0x00);
    c.warnSoft = QColor(0xFC, 0xF0, 0xDA);
    c.waiting = QColor(0x3A, 0x3A, 0x40);
    c.keyFace = QColor(0xFF, 0xFF, 0xFF);
    c.keyEdge = QColor(0xB2, 0xB2, 0xB8);
    c.keyBed = QColor(0xDD, 0xDD, 0xE0);
    c.laser = QColor(0xFF, 0x3B, 0x30);
    return c;
}

struct Output
{
    const char* name;
    std::function<QImage(const Palette&)> draw;
};

QList<Output> outputs()
{
    using namespace pictures;
    using kit::Icon;
    const auto plain = [](QSize size, ButtonKind kind) {
        return [size, kind](const Palette& c) {
            return button(c, size, kind);
        };
    };
    const auto withIcon = [](QSize size, ButtonKind kind, Icon icon, IconSide side) {
        return [=](const Palette& c) {
            return iconButton(c, size, kind, icon, side);
        };
    };
    return {
        // Backgrounds and panels
        {"bgWindow.png", windowBackground},
        {"bgAppli.png", dialogBackground},
        {"bgLogin.png", loginCard},
        {"bgParam.png", settingsCard},
        {"resultPanel.png", resultPanel},
        {"resultFlash.png", resultFlash},
        {"bgWebcam.png", webcamFrame},
        {"laser.png", laser},
        {"default_110.png", defaultEvent},
        {"noPicture.png", noPicture},
        // Keyboard and numeric pad
        {"padAlphaNum.png", keyboard},
        {"padNum.png", numericPad},
        {"cacheKeyPress.png",
         [](const Palette& c) {
             return pressedKey(c, PressedShape::Small);
         }},
        {"cacheKeyBarPress.png",
         [](const Palette& c) {
             return pressedKey(c, PressedShape::Double);
         }},
        {"cacheKeyPressENTER.png",
         [](const Palette& c) {
             return pressedKey(c, PressedShape::Enter);
         }},
        {"cacheKeyBarPressXXL.png",
         [](const Palette& c) {
             return pressedKey(c, PressedShape::SpaceBar);
         }},
        // Buttons: normal above, pressed below
        {"btSelect2.png", plain(QSize(115, 30), ButtonKind::Primary)},
        {"btCancel.png", plain(QSize(115, 30), ButtonKind::Secondary)},
        {"btBig.png", plain(QSize(275, 54), ButtonKind::Primary)},
        {"btBigOff.png",
         [](const Palette& c) {
             return disabledButton(c, QSize(275, 54));
         }},
        {"btPunch.png", plain(QSize(208, 45), ButtonKind::Primary)},
        {"btSignal.png", plain(QSize(208, 45), ButtonKind::Warning)},
        {"btSmall.png", plain(QSize(91, 20), ButtonKind::Secondary)},
        {"btWebcam.png", plain(QSize(95, 26), ButtonKind::Secondary)},
        {"btUpdate.png", plain(QSize(111, 35), ButtonKind::Attention)},
        {"btConfig.png", plain(QSize(128, 35), ButtonKind::OnBar)},
        {"btMinimize.png", plain(QSize(97, 35), ButtonKind::OnBar)},
        {"btExit.png", withIcon(QSize(95, 35), ButtonKind::OnBar, Icon::Power, IconSide::Left)},
        {"btSearch.png", withIcon(QSize(138, 35), ButtonKind::Primary, Icon::Search, IconSide::Left)},
        {"btBack.png", withIcon(QSize(46, 40), ButtonKind::Secondary, Icon::ArrowLeft, IconSide::Centre)},
        {"btBackSmall.png", withIcon(QSize(36, 30), ButtonKind::Secondary, Icon::ArrowLeft, IconSide::Centre)},
        {"btPrev.png", withIcon(QSize(84, 21), ButtonKind::Secondary, Icon::ChevronLeft, IconSide::Left)},
        {"btNext.png", withIcon(QSize(84, 21), ButtonKind::Secondary, Icon::ChevronRight, IconSide::Right)},
        {"btHelp.png", helpMark},
        {"btAction.png", tileActions},
        // Switches and flags: see each function for the order of the states
        {"switch.png", toggleSwitch},
        {"switchPunch.png", punchSwitch},
        {"flagFR.png",
         [](const Palette& c) {
             return flag(c, Flag::France);
         }},
        {"flagUK.png",
         [](const Palette& c) {
             return flag(c, Flag::UnitedKingdom);
         }},
        {"flagES.png",
         [](const Palette& c) {
             return flag(c, Flag::Spain);
         }},
        // State marks
        {"etatEve.png", saleState},
        {"etatEveLocal.png", listState},
        {"etatConnexion.png", connectionState},
        {"btConnect.png", offlineStrip},
        {"etatWebcam.png", webcamState},
        // Small parts
        {"contourImgSmall.png", pictureFrame},
        {"sepGray.png", tileSeparator},
        {"sepBar.png", barSeparator},
        {"inputSelect.png", comboField},
        {"arrowDown.png", comboArrow},
        {"chkOff.png",
         [](const Palette& c) {
             return checkBox(c, false);
         }},
        {"chkOn.png",
         [](const Palette& c) {
             return checkBox(c, true);
         }},
    };
}

// The template names palette colours as @name@; every one must be known.
bool writeStyleSheet(const Palette& c, const QString& templatePath, const QString& outPath)
{
    QFile in(templatePath);
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(templatePath));
        return false;
    }
    QString text = QString::fromUtf8(in.readAll());
    for (const auto& [name, colour] : c.tokens()) {
        text.replace(QLatin1Char('@') + name + QLatin1Char('@'), colour.name(QColor::HexRgb));
    }
    const QRegularExpressionMatch left = QRegularExpression(QStringLiteral("@\\w+@")).match(text);
    if (left.hasMatch()) {
        std::fprintf(stderr, "unknown colour %s in %s\n", qPrintable(left.captured()), qPrintable(templatePath));
        return false;
    }
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(text.toUtf8()) < 0) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(outPath));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    // Text on the keys needs fonts, not a screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2 || args.size() > 3) {
        std::fprintf(stderr, "usage: gendesign <output folder> [style sheet template]\n");
        return 2;
    }
    const QDir out(args.at(1));
    if (!out.exists() && !QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    const QString styleTemplate = args.size() == 3 ? args.at(2) : QStringLiteral(GENDESIGN_STYLE_TEMPLATE);

    if (!kit::textFontsLoad()) {
        std::fprintf(stderr,
                     "cannot read %s or %s (Debian package fonts-dejavu-core)\n",
                     GENDESIGN_FONT,
                     GENDESIGN_FONT_BOLD);
        return 1;
    }
    const Palette colours = palette();
    for (const Output& output : outputs()) {
        const QImage image = kit::straightAlpha(output.draw(colours));
        const QString path = out.filePath(QLatin1String(output.name));
        // Quality 0 asks for the strongest compression.
        if (image.isNull() || !image.save(path, "PNG", 0)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return writeStyleSheet(colours, styleTemplate, out.filePath(QStringLiteral("Style.txt"))) ? 0 : 1;
}
