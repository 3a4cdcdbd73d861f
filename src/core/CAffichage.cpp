#include "core/CAffichage.h"

#include "core/Log.h"

#include <QFile>

#include <array>

CAffichage* gAffichage = nullptr;

namespace
{

constexpr int kMessageCount = 34;
constexpr int kLabelCount = 160;

struct LanguageFiles
{
    const char* messages;
    const char* labels;
};

// Indexed by language: French, English, Spanish.
constexpr std::array<LanguageFiles, 3> kFiles{{
    {":/lang/kestrova/mess_fr.txt", ":/lang/kestrova/trad_fr.txt"},
    {":/lang/kestrova/mess_en.txt", ":/lang/kestrova/trad_en.txt"},
    {":/lang/kestrova/mess_sp.txt", ":/lang/kestrova/trad_sp.txt"},
}};

QString lookUp(const QList<QStringList>& tables, int language, int index)
{
    if (language < 0 || language >= tables.size()) {
        return {};
    }
    const QStringList& table = tables.at(language);
    if (index < 0 || index >= table.size()) {
        return {};
    }
    return table.at(index);
}

}  // namespace

// The resources live in a static library: without this reference the linker drops
// them from any executable that does not name them itself. Registering twice is
// harmless. Q_INIT_RESOURCE may not be used inside a namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

CAffichage::CAffichage()
{
    initMessages();
}

CAffichage::~CAffichage() = default;

void CAffichage::initMessages()
{
    initResources();
    messages.clear();
    traductions.clear();
    for (const LanguageFiles& files : kFiles) {
        messages.append(getFileList(QLatin1String(files.messages), kMessageCount));
        traductions.append(getFileList(QLatin1String(files.labels), kLabelCount));
    }
}

QStringList CAffichage::getFileList(QString path, int count)
{
    QStringList texts;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (int i = 0; i < count; ++i) {
            if (i >= lines.size()) {
                texts.append(QString());
                continue;
            }
            // Read through the char pointer: a NUL byte ends the text.
            QString text = QString::fromLatin1(lines.at(i).constData());
            text.remove(QLatin1Char('\r'));
            text.replace(QLatin1String("\\n"), QLatin1String("\n"));
            texts.append(text);
        }
        file.close();
    }
    if (texts.size() != count) {
        enregistreLog(4,
                      QStringLiteral("Erreur nb messages (") + path + QStringLiteral(") : ")
                          + QString::number(texts.size()) + QStringLiteral(" / ") + QString::number(count),
                      true);
    }
    return texts;
}

QString CAffichage::getTraduction(int language, int index) const
{
    return lookUp(traductions, language, index);
}

QString CAffichage::getMessage(int language, int index) const
{
    return lookUp(messages, language, index);
}

QStringList CAffichage::getHeaderSearchTab(int language) const
{
    QStringList headers;
    for (int index : {125, 126, 127, 128, 130, 131, 132, 129}) {
        headers.append(getTraduction(language, index));
    }
    return headers;
}

QStringList CAffichage::getHeaderLocalTicketTab(int language) const
{
    QStringList headers;
    for (int index : {133, 142, 134, 134, 135, 138, 136, 137, 139, 141, 140, 144, 143}) {
        headers.append(getTraduction(language, index));
    }
    return headers;
}
