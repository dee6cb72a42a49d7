#include "core/settings_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

namespace {

// Only the start of the file is read, so that a huge file cannot hold up
// start-up; the two fields the program writes are far shorter.
constexpr qint64 lettura_massima = 64 * 1024;

// A file nobody may write, even one that root could, is left as it is.
bool sola_lettura(const QFileInfo &file)
{
    constexpr QFile::Permissions scrittura = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return !file.isWritable() || !(file.permissions() & scrittura);
}

QString percorso_impostazioni(const QString &cartella)
{
    return cartella + QLatin1String(nome_file_impostazioni);
}

} // namespace

Impostazioni carica_file_impostazioni(const QString &cartella)
{
    const QFileInfo info(percorso_impostazioni(cartella));
    if (!info.exists() || (info.isFile() && info.size() == 0)) {
        const Impostazioni predefinite;
        salva_file_impostazioni(cartella, predefinite);
        return predefinite;
    }
    QFile file(info.filePath());
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return leggi_impostazioni(file.read(lettura_massima));
}

QString cartella_impostazioni(const QString &cartella_programma, const QString &cartella_utente,
                              const QStringList &cartelle_di_sistema)
{
    // A system folder takes no file of a user's, even where root could write it.
    const QString qui = QFileInfo(cartella_programma).canonicalFilePath();
    for (const QString &sistema : cartelle_di_sistema) {
        if (!qui.isEmpty() && qui == QFileInfo(sistema).canonicalFilePath())
            return cartella_utente;
    }
    if (QFileInfo::exists(percorso_impostazioni(cartella_programma)))
        return cartella_programma;
    // Whether the folder takes a new file is only known by trying.
    QTemporaryFile prova(cartella_programma + QStringLiteral("BootLoader.XXXXXX"));
    return prova.open() ? cartella_programma : cartella_utente;
}

bool salva_file_impostazioni(const QString &cartella, const Impostazioni &impostazioni)
{
    QDir().mkpath(cartella);
    const QFileInfo esistente(percorso_impostazioni(cartella));
    if (esistente.exists() && sola_lettura(esistente))
        return false;
    QSaveFile file(esistente.filePath());
    // Through a temporary file and a rename where the folder allows it,
    // otherwise in place; either way the file keeps its mode.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(componi_impostazioni(impostazioni));
    return file.commit();
}
