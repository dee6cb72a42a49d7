#include "core/settings_format.h"
#include "core/settings_store.h"
#include "testing/files.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <pwd.h>
#include <unistd.h>

namespace {

const QByteArray predefiniti = QByteArrayLiteral("Path = \r\nLanguage = 0\r\n");
const QByteArray vecchie = QByteArrayLiteral("Path = /old/\r\nLanguage = 1\r\n");
const QByteArray nuove = QByteArrayLiteral("Path = /new/\r\nLanguage = 0\r\n");
const QByteArray nessuno("(none)");

constexpr QFile::Permissions leggibile = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                         | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions scrivibile = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
constexpr QFile::Permissions sola_lettura = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;

QString file_in(const QString &cartella)
{
    return cartella + QLatin1String(nome_file_impostazioni);
}

// Saves "/new/" and Italian where the program folder and the user's folder
// say; root may write anywhere, so a user without privileges is "nobody".
bool salva(const QString &programma, const QString &utente, bool senza_privilegi)
{
    const passwd *chi = senza_privilegi && geteuid() == 0 ? getpwnam("nobody") : nullptr;
    if (chi && (setegid(chi->pw_gid) != 0 || seteuid(chi->pw_uid) != 0))
        qFatal("the test could not act as nobody");
    const bool salvate = salva_file_impostazioni(cartella_impostazioni(programma, utente), {"/new/", 0});
    if (chi && (seteuid(0) != 0 || setegid(0) != 0))
        qFatal("the test could not act as root again");
    return salvate;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    // A file as read, and as written from what it reads (or from `scritto`):
    // the reader takes a quoted line whole, so a folder that cannot be stored whole is left out.
    void leggi_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("percorso");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QString>("scritto"); // null: not written
        const auto riga = [](const char *nome, const char *contenuto, const char *percorso, int lingua,
                             const char *scritto = nullptr) {
            QTest::newRow(nome) << QByteArray(contenuto) << percorso << lingua << QString::fromUtf8(scritto);
        };
        riga("defaults", predefiniti, "", 0, "");
        riga("a comma: the line quoted", "\"Path = /s/f,v2/\"\r\nLanguage = 1\r\n", "/s/f,v2/", 1, "/s/f,v2/");
        riga("a quote, no comma: as it is", "Path = /a\"b/\"\r\nLanguage = 1\r\n", "/a\"b/\"", 1, "/a\"b/\"");
        riga("a quote and a comma: left out", predefiniti, "", 0, "/a\"b,/");
        riga("a CR: left out", predefiniti, "", 0, "/a\rb/");
        riga("no blanks: one character lost", "Path=C:\\x\r\nLanguage=1\r\n", ":\\x", 0);
        riga("no equals sign", "abc\r\n", "bc", 0);
        riga("a comma cuts the folder, the rest is the language", "Path = C:\\a,x= 2\r\nLanguage = 1", "C:\\a", 2);
        riga("after the quotes dropped", "\"Path = /q/\" junk\r\nLanguage = 1\r\n", "/q/", 1);
        riga("a comma right after the quotes", "\"Path = /q/\",x= 2\r\nLanguage = 1", "/q/", 2);
        riga("quotes never closed", "\"Path = /q/\r\nLanguage = 1", "/q/\r\nLanguage = 1", 0);
        riga("LF and CR alone end lines", "Path = /a/\nLanguage = 1\r", "/a/", 1);
        riga("leading blanks skipped, trailing kept", " \tPath = /a b/ \r\nLanguage = 1", "/a b/ ", 1);
        riga("outside the BMP after = goes whole", "Path=\xf0\x9f\x98\x80x\r\nLanguage = 1", "x", 1);
        // The language: the leading number, rounded half to even; English when it does not fit 16 bits.
        const std::pair<const char *, int> lingue[] = {
            {"+3", 3},       {"1.5", 2},         {"2.5", 2},     {" \t7", 7},   {"12abc", 12},  {"1.5e1", 15},
            {"1e", 1},       {"e5", 0},          {".", 0},       {".6", 1},     {"35e-1", 4},   {"32767", 32767},
            {"-32768.5", -32768}, {"32767.5", 1}, {"1e999", 1},  {"1e-999", 0},
        };
        for (const auto &[valore, lingua] : lingue)
            riga(valore, "Path = /fw/\r\nLanguage = " + QByteArray(valore) + "\r\n", "/fw/", lingua);
    }
    void leggi()
    {
        QFETCH(QByteArray, contenuto);
        const Impostazioni impostazioni = leggi_impostazioni(contenuto);
        QTEST(impostazioni.percorso_firmware, "percorso");
        QFETCH(int, lingua);
        QCOMPARE(int(impostazioni.lingua), lingua);
        QFETCH(QString, scritto);
        if (!scritto.isNull())
            QCOMPARE(componi_impostazioni({scritto, qint16(lingua)}), contenuto);
    }

    // A missing file is written with the defaults; a huge one is only read at its start, and left as it is.
    void carica()
    {
        QTemporaryDir dir;
        const QString cartella = dir.path() + u'/';
        QCOMPARE(carica_file_impostazioni(cartella).percorso_firmware, QString());
        QCOMPARE(leggi_file(file_in(cartella)), predefiniti);
        const QByteArray lunga = "Path = " + QByteArray(100000, 'x');
        scrivi_file(file_in(cartella), lunga);
        QCOMPARE(carica_file_impostazioni(cartella).percorso_firmware, QString(65536 - 7, u'x'));
        QCOMPARE(leggi_file(file_in(cartella)), lunga);
    }

    // A file is replaced with its mode kept, or, read-only, left untouched
    // even by root; a folder a user cannot write sends the file to the user's.
    void where_the_settings_are_saved_data()
    {
        QTest::addColumn<bool>("senza_privilegi");
        QTest::addColumn<bool>("cartella_scrivibile");
        QTest::addColumn<QFile::Permissions>("file"); // none: no file
        QTest::addColumn<QByteArray>("nel_programma"); // none: in the user's folder
        const QFile::Permissions nessun_file, del_proprietario = QFile::ReadOwner | QFile::WriteOwner;
        QTest::newRow("beside the program") << true << true << nessun_file << nuove;
        QTest::newRow("a read-only folder: in the user's folder") << true << false << nessun_file << nessuno;
        QTest::newRow("a writable file: in place") << true << false << (sola_lettura | scrivibile) << nuove;
        QTest::newRow("a read-only file: untouched") << true << true << sola_lettura << vecchie;
        QTest::newRow("root, a file of the owner's: replaced") << false << true << del_proprietario << nuove;
        QTest::newRow("root, a read-only file: untouched") << false << true << sola_lettura << vecchie;
    }
    void where_the_settings_are_saved()
    {
        QFETCH(bool, senza_privilegi);
        QFETCH(bool, cartella_scrivibile);
        QFETCH(QFile::Permissions, file);
        QFETCH(QByteArray, nel_programma);
        QTemporaryDir programma, casa;
        const QString cartella = programma.path() + u'/', utente = casa.path() + QStringLiteral("/config/kestra/");
        const auto permessi = [](const QString &percorso, QFile::Permissions modo) {
            QVERIFY2(QFile::setPermissions(percorso, modo), qPrintable("setup: the permissions of " + percorso));
        };
        permessi(casa.path(), leggibile | scrivibile);
        if (file)
            permessi(scrivi_file(file_in(cartella), vecchie), file);
        permessi(programma.path(), leggibile | (cartella_scrivibile ? scrivibile : QFile::Permissions()));
        const bool salvate = salva(cartella, utente, senza_privilegi);
        permessi(programma.path(), leggibile | QFile::WriteOwner);
        QCOMPARE(salvate, nel_programma != vecchie);
        QCOMPARE(leggi_file(file_in(cartella)), nel_programma);
        QCOMPARE(leggi_file(file_in(utente)), nel_programma == nessuno ? nuove : nessuno);
        if (file)
            QCOMPARE(QFile::permissions(file_in(cartella)) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     file);
        // Nothing else left beside the program.
        QCOMPARE(QDir(cartella).entryList(QDir::Files | QDir::Hidden),
                 nel_programma == nessuno ? QStringList{} : QStringList{nome_file_impostazioni});
    }

    // An installed copy keeps its settings in the user's folder, whoever runs
    // it: a system folder takes no file of a user's, even one it holds.
    void an_installed_copy_keeps_its_settings_in_the_users_folder()
    {
        QTemporaryDir programma, utente;
        const QString qui = programma.path() + u'/', la = utente.path() + u'/';
        scrivi_file(file_in(qui), vecchie);
        // Named through a link, as /bin is /usr/bin on Debian.
        QVERIFY2(QFile::link(programma.path(), utente.filePath("bin")), "a link to the program's folder");
        QCOMPARE(cartella_impostazioni(qui, la, {la + "bin/"}), la);
        QCOMPARE(cartella_impostazioni(qui, la, {la}), qui);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
