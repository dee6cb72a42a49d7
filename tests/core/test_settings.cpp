#include "core/settings_format.h"
#include "core/settings_store.h"
#include "testing/files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <optional>

#include <unistd.h>

namespace {

const QByteArray predefiniti = QByteArrayLiteral("Path = \r\nLanguage = 0\r\n");
const QByteArray vecchie = QByteArrayLiteral("Path = /old/\r\nLanguage = 1\r\n");
const QByteArray nuove = QByteArrayLiteral("Path = /new/\r\nLanguage = 0\r\n");
const char *const opzione_salva = "--salva";

constexpr QFile::Permissions leggibile = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                         | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions scrivibile = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
constexpr QFile::Permissions sola_lettura = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
using Modo = std::optional<QFile::Permissions>; // nothing: no file

QString cartella_di(const QTemporaryDir &dir)
{
    return dir.path() + u'/';
}

QString file_in(const QString &cartella)
{
    return cartella + QLatin1String(nome_file_impostazioni);
}

// The mode bits of a file, without what they mean for the current user.
QFile::Permissions modo(const QString &percorso)
{
    return QFile::permissions(percorso) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

// What the child says it did: a test tells it from a child that never ran.
const QByteArray salvato("saved\n"), non_salvato("not saved\n");

// Saves "/new/" and Italian where the program folder and the user's folder
// say, from a child process of a user without privileges: root may write
// anywhere, so as root the child drops to "nobody". Whether it saved; nothing,
// with why in `errore`, when the child could not run as such a user.
std::optional<bool> salva_senza_privilegi(const QString &programma, const QString &utente, QString &errore)
{
    QString eseguibile = QCoreApplication::applicationFilePath();
    QStringList argomenti{QLatin1String(opzione_salva), programma, utente};
    if (geteuid() == 0) {
        argomenti = QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", eseguibile} + argomenti;
        eseguibile = QStringLiteral("setpriv");
    }
    QProcess figlio;
    figlio.start(eseguibile, argomenti);
    figlio.waitForFinished();
    const QByteArray detto = figlio.readAllStandardOutput();
    if (detto == salvato || detto == non_salvato)
        return detto == salvato;
    errore = QStringLiteral("setup: the test could not run itself as a user without privileges (%1 %2): %3")
                 .arg(eseguibile, argomenti.join(u' '), QString::fromLocal8Bit(figlio.readAllStandardError()));
    return std::nullopt;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void componi_data()
    {
        QTest::addColumn<QString>("percorso");
        QTest::addColumn<int>("lingua");
        QTest::addColumn<QByteArray>("byte");
        QTest::newRow("defaults") << QString() << 0 << predefiniti;
        QTest::newRow("backslashes, a negative language")
            << "C:\\Firmware\\" << -5 << QByteArray("Path = C:\\Firmware\\\r\nLanguage = -5\r\n");
        QTest::newRow("UTF-8") << QString::fromUtf8("/caff\u00e8/") << 1
                               << QByteArray("Path = /caff\xc3\xa8/\r\nLanguage = 1\r\n");
        // The reader takes the quoted line whole; a folder that cannot be stored whole is left out.
        QTest::newRow("a comma: the line quoted")
            << "/srv/fw,v2/" << 1 << QByteArray("\"Path = /srv/fw,v2/\"\r\nLanguage = 1\r\n");
        QTest::newRow("a quote, no comma: as it is") << "/a\"b/\"" << 1 << QByteArray("Path = /a\"b/\"\r\nLanguage = 1\r\n");
        QTest::newRow("a quote and a comma: left out") << "/a\"b,/" << 0 << predefiniti;
        QTest::newRow("a CR: left out") << "/a\rb/" << 0 << predefiniti;
    }
    void componi()
    {
        QFETCH(QString, percorso);
        QFETCH(int, lingua);
        QTEST(componi_impostazioni({percorso, qint16(lingua)}), "byte");
    }

    void leggi_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("percorso");
        QTest::addColumn<int>("lingua");
        const auto riga = [](const char *nome, const char *contenuto, const char *percorso, int lingua) {
            QTest::newRow(nome) << QByteArray(contenuto) << percorso << lingua;
        };
        riga("as written", "Path = C:\\Firmware\\\r\nLanguage = 1\r\n", "C:\\Firmware\\", 1);
        riga("no blanks: one character lost", "Path=C:\\x\r\nLanguage=1\r\n", ":\\x", 0);
        riga("no equals sign", "abc\r\n", "bc", 0);
        riga("a comma cuts the folder", "Path = C:\\a,b\\\r\nLanguage = 1\r\n", "C:\\a", 0);
        riga("the rest of the line read as the language", "Path = C:\\a,x= 2\r\nLanguage = 1\r\n", "C:\\a", 2);
        riga("quoted line read whole", "\"Path = /srv/fw,v2/\"\r\nLanguage = 1\r\n", "/srv/fw,v2/", 1);
        riga("after the quotes dropped", "\"Path = /q/\" junk\r\nLanguage = 1\r\n", "/q/", 1);
        riga("a comma right after the quotes", "\"Path = /q/\",x= 2\r\nLanguage = 1", "/q/", 2);
        riga("quotes never closed", "\"Path = /q/\r\nLanguage = 1", "/q/\r\nLanguage = 1", 0);
        riga("LF and CR alone end lines", "Path = /a/\nLanguage = 1\r", "/a/", 1);
        riga("leading blanks skipped, trailing kept", " \tPath = /a b/ \r\nLanguage = 1", "/a b/ ", 1);
        riga("outside the BMP after = goes whole", "Path=\xf0\x9f\x98\x80x\r\nLanguage = 1", "x", 1);
    }
    void leggi()
    {
        QFETCH(QByteArray, contenuto);
        const Impostazioni impostazioni = leggi_impostazioni(contenuto);
        QTEST(impostazioni.percorso_firmware, "percorso");
        QTEST(int(impostazioni.lingua), "lingua");
    }

    void leggi_lingua_data()
    {
        QTest::addColumn<QByteArray>("valore");
        QTest::addColumn<int>("lingua");
        const std::pair<const char *, int> righe[] = {
            {"2", 2},       {"x", 0},        {"+3", 3},       {"1.5", 2},      {"2.5", 2},       {"2.6", 3},      {"-1", -1},
            {" \t7", 7},    {"12abc", 12},   {"1.5e1", 15},   {"1e", 1},        {"e5", 0},       {".", 0},
            {"32767", 32767}, {"-32768.5", -32768}, {"32767.5", 1}, {"-40000", 1}, {"1e999", 1}, {"1e-999", 0},
            {"inf", 0},     {"2e1", 20},     {"35e-1", 4},    {".6", 1},
        };
        for (const auto &[valore, lingua] : righe)
            QTest::newRow(valore) << QByteArray(valore) << lingua;
    }
    void leggi_lingua()
    {
        QFETCH(QByteArray, valore);
        QTEST(int(leggi_impostazioni("Path = /fw/\r\nLanguage = " + valore + "\r\n").lingua), "lingua");
    }

    void carica_data()
    {
        QTest::addColumn<QByteArray>("prima"); // null: no file
        QTest::addColumn<QString>("percorso");
        QTest::addColumn<QByteArray>("dopo");
        const QByteArray lunga = "Path = " + QByteArray(100000, 'x');
        QTest::newRow("missing: the defaults") << QByteArray() << "" << predefiniti;
        QTest::newRow("read, left as it is") << QByteArray("Path=/x/\n") << "x/" << QByteArray("Path=/x/\n");
        QTest::newRow("only the start read") << lunga << QString(65536 - 7, u'x') << lunga;
    }
    void carica()
    {
        QFETCH(QByteArray, prima);
        QTemporaryDir dir;
        if (!prima.isNull())
            scrivi_file(file_in(cartella_di(dir)), prima);
        QTEST(carica_file_impostazioni(cartella_di(dir)).percorso_firmware, "percorso");
        QTEST(leggi_file(file_in(cartella_di(dir))), "dopo");
    }

    void where_a_user_without_privileges_saves_data()
    {
        QTest::addColumn<bool>("cartella_scrivibile");
        QTest::addColumn<Modo>("file");
        QTest::addColumn<QByteArray>("nel_programma");
        QTest::addColumn<QByteArray>("nell_utente");
        const QByteArray nessuno("(none)");
        QTest::newRow("beside the program") << true << Modo() << nuove << nessuno;
        QTest::newRow("a read-only folder: in the user's folder") << false << Modo() << nessuno << nuove;
        QTest::newRow("a writable file: in place") << false << Modo(sola_lettura | scrivibile) << nuove << nessuno;
        QTest::newRow("a read-only file: untouched") << true << Modo(sola_lettura) << vecchie << nessuno;
    }
    void where_a_user_without_privileges_saves()
    {
        QFETCH(bool, cartella_scrivibile);
        QFETCH(Modo, file);
        QTemporaryDir programma, casa;
        const QString utente = casa.path() + QStringLiteral("/config/kestra-updater/");
        QVERIFY2(QFile::setPermissions(casa.path(), leggibile | scrivibile), "the test could not set the permissions");
        if (file) {
            scrivi_file(file_in(cartella_di(programma)), vecchie);
            QVERIFY2(QFile::setPermissions(file_in(cartella_di(programma)), *file), "the test could not set the permissions");
        }
        QVERIFY2(QFile::setPermissions(programma.path(),
                                      leggibile | (cartella_scrivibile ? scrivibile : QFile::Permissions())), "the test could not set the permissions");
        QString errore;
        QVERIFY2(salva_senza_privilegi(cartella_di(programma), utente, errore), qPrintable(errore));
        QVERIFY2(QFile::setPermissions(programma.path(), leggibile | QFile::WriteOwner), "the test could not set the permissions");
        QTEST(leggi_file(file_in(cartella_di(programma))), "nel_programma");
        QTEST(leggi_file(file_in(utente)), "nell_utente");
        if (file)
            QCOMPARE(modo(file_in(cartella_di(programma))), *file);
    }

    // An installed copy keeps its settings in the user's folder, whoever runs
    // it: a system folder takes no file of a user's, even one it holds.
    void an_installed_copy_keeps_its_settings_in_the_users_folder_data()
    {
        QTest::addColumn<bool>("di_sistema");
        QTest::addColumn<bool>("con_file");
        QTest::addColumn<bool>("dal_programma");
        QTest::newRow("a system folder") << true << false << false;
        QTest::newRow("a system folder that holds the file") << true << true << false;
        QTest::newRow("another writable folder") << false << false << true;
    }
    void an_installed_copy_keeps_its_settings_in_the_users_folder()
    {
        QFETCH(bool, di_sistema);
        QFETCH(bool, con_file);
        QTemporaryDir programma, utente;
        if (con_file)
            scrivi_file(file_in(cartella_di(programma)), vecchie);
        // Named through a link, as /bin is /usr/bin on Debian.
        const QString collegamento = utente.filePath("bin");
        QVERIFY2(QFile::link(programma.path(), collegamento), "a link to the program's folder");
        const QStringList sistema = di_sistema ? QStringList{collegamento + u'/'} : QStringList{};
        QTEST(cartella_impostazioni(cartella_di(programma), cartella_di(utente), sistema) == cartella_di(programma),
              "dal_programma");
    }

    // Replaced with its mode kept, or, read-only, left untouched even by root.
    void a_file_keeps_its_mode_data()
    {
        QTest::addColumn<QFile::Permissions>("modo_file");
        QTest::newRow("writable: replaced") << (QFile::ReadOwner | QFile::WriteOwner);
        QTest::newRow("read-only: untouched") << sola_lettura;
    }
    void a_file_keeps_its_mode()
    {
        QFETCH(QFile::Permissions, modo_file);
        QTemporaryDir dir;
        const bool scrivibile = modo_file.testFlag(QFile::WriteOwner);
        scrivi_file(file_in(cartella_di(dir)), vecchie);
        QVERIFY2(QFile::setPermissions(file_in(cartella_di(dir)), modo_file), "the test could not set the permissions");
        QCOMPARE(salva_file_impostazioni(cartella_di(dir), {"/new/", 0}), scrivibile);
        QCOMPARE(leggi_file(file_in(cartella_di(dir))), scrivibile ? nuove : vecchie);
        QCOMPARE(modo(file_in(cartella_di(dir))), modo_file);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{nome_file_impostazioni});
    }
};

// With "--salva PROGRAM USER" the program is the child of salva_senza_privilegi.
int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], opzione_salva) == 0) {
        const QString cartella = cartella_impostazioni(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        const bool fatto = salva_file_impostazioni(cartella, {"/new/", 0});
        std::fwrite((fatto ? salvato : non_salvato).constData(), 1, (fatto ? salvato : non_salvato).size(), stdout);
        return 0;
    }
    QCoreApplication app(argc, argv);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings.moc"
