#include "core/firmware_file.h"

#include "core/firmware_header.h"
#include "core/statuses.h"

#include <QFile>

#include <cerrno>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

FileFirmware problema(ProblemaFile problema, const std::error_code &errore = {})
{
    FileFirmware file;
    file.problema = problema;
    if (errore)
        file.motivo = QString::fromStdString(errore.message());
    return file;
}

// What the system's answer to a look at a path says of it.
FileFirmware problema_di(const std::error_code &errore)
{
    if (errore == std::errc::no_such_file_or_directory || errore == std::errc::not_a_directory)
        return problema(ProblemaFile::Inesistente);
    if (errore == std::errc::too_many_symbolic_link_levels)
        return problema(ProblemaFile::Ciclo);
    return problema(ProblemaFile::Illeggibile, errore);
}

// Reads up to `quanti` bytes; false when the read failed.
bool leggi(std::ifstream &flusso, QByteArray &byte, qint64 quanti)
{
    byte.resize(quanti);
    flusso.read(byte.data(), std::streamsize(quanti));
    byte.resize(qsizetype(flusso.gcount()));
    return !flusso.bad();
}

FileFirmware apri(const fs::path &percorso, std::ifstream &flusso)
{
    std::error_code errore;
    const fs::file_status stato = fs::status(percorso, errore);
    if (errore)
        return problema_di(errore);
    if (fs::is_directory(stato))
        return problema(ProblemaFile::Cartella);
    if (!fs::is_regular_file(stato))
        return problema(ProblemaFile::NonRegolare);
    const std::uintmax_t dimensione = fs::file_size(percorso, errore);
    if (errore)
        return problema_di(errore);
    if (dimensione == 0)
        return problema(ProblemaFile::Vuoto);
    errno = 0;
    flusso.open(percorso, std::ios::binary);
    if (!flusso.is_open())
        return problema(ProblemaFile::Illeggibile, std::error_code(errno ? errno : EIO, std::generic_category()));
    FileFirmware file;
    if (!leggi(flusso, file.intestazione, lunghezza_intestazione))
        return problema(ProblemaFile::Illeggibile, std::make_error_code(std::errc::io_error));
    file.byte_immagine = qint64(dimensione) - file.intestazione.size();
    return file;
}

} // namespace

FileFirmware leggi_intestazione_firmware(const fs::path &percorso)
{
    std::ifstream flusso;
    return apri(percorso, flusso);
}

FileFirmware leggi_file_firmware(const fs::path &percorso, QByteArrayView intestazione_aperta, qint64 massimo)
{
    std::ifstream flusso;
    FileFirmware file = apri(percorso, flusso);
    const bool cambiato = !intestazione_aperta.isEmpty()
                          && (file.problema == ProblemaFile::Inesistente || file.problema == ProblemaFile::Vuoto
                              || (file.letto() && file.intestazione != intestazione_aperta));
    if (cambiato)
        return problema(ProblemaFile::Cambiato);
    if (!file.letto())
        return file;
    if (file.byte_immagine <= 0)
        return problema(ProblemaFile::SenzaDati);
    if (file.byte_immagine > massimo)
        return problema(ProblemaFile::TroppoGrande);
    if (!leggi(flusso, file.immagine, file.byte_immagine) || file.immagine.size() != file.byte_immagine)
        return problema(ProblemaFile::Illeggibile, std::make_error_code(std::errc::io_error));
    return file;
}

Testo stato_file_firmware(ProblemaFile problema)
{
    switch (problema) {
    case ProblemaFile::Inesistente:
    case ProblemaFile::Vuoto:
    case ProblemaFile::Cambiato:
        return stato::file_firmware_cambiato;
    case ProblemaFile::SenzaDati:
        return stato::file_firmware_vuoto;
    case ProblemaFile::TroppoGrande:
        return stato::file_firmware_troppo_grande;
    case ProblemaFile::Nessuno:
    case ProblemaFile::Cartella:
    case ProblemaFile::NonRegolare:
    case ProblemaFile::Ciclo:
    case ProblemaFile::Illeggibile:
        break;
    }
    return stato::file_firmware_illeggibile;
}

fs::path percorso_di(const QString &testo)
{
#ifdef Q_OS_WIN
    return fs::path(testo.toStdWString());
#else
    return fs::path(QFile::encodeName(testo).toStdString());
#endif
}

QString testo_di(const fs::path &percorso)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(percorso.native());
#else
    return QFile::decodeName(QByteArray::fromStdString(percorso.native()));
#endif
}
