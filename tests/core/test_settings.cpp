#include "core/settings_format.h"
#include "core/settings_store.h"
#include "testing/files.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

#include <unistd.h>

namespace {

const QByteArray predefiniti = QByteArrayLiteral("Path = \r\nLanguage = 0\r\n");
const QByteArray vecchie = QByteArrayLiteral("Path = /old/\r\nLanguage = 1\r\n");
const QByteArray nuove = QByteArrayLiteral("Path = /new/\r\nLanguage = 0\r\n");
const QByteArray nessuno("(none)");
const char *const opzione_salva = "--salva";

constexpr QFile::Permissions leggibile = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                         | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions scrivibile = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
constexpr QFile::Permissions sola_lettura = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
using Modo = std::optional<QFile::Permissions>; // nothing: no file

QString file_in(const QString &cartella)
{
    return cartella + QLatin1String(nome_file_impostazioni);
}

// Saves "/new/" and Italian where the program folder and the user's folder say.
bool salva(const QString &programma, const QString &utente)
{
    return salva_file_impostazioni(cartella_impostazioni(programma, utente), {"/new/", 0});
}

// The child's exit codes: saved or not, told apart from a child that never ran.
constexpr int salvato = 10, non_salvato = 11;

// salva() from a child process of a user without privileges: root may write
// anywhere, so as root the child drops to "nobody". Nothing, with why in
// `errore`, when the child could not run as such a user.
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
    if (figlio.exitStatus() == QProcess::NormalExit && (figlio.exitCode() == salvato || figlio.exitCode() == non_salvato))
        return figlio.exitCode() == salvato;
    errore = QStringLiteral("setup: the test could not run itself as a user without privileges (%1 %2): %3")
                 .arg(eseguibile, argomenti.join(u' '), QString::fromLocal8Bit(figlio.readAllStandardError()));
    return std::nullopt;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    // The reader takes a quoted line whole; a folder that cannot be stored whole is left out.
    void componi_data()
    {
        QTest::addColumn<QString>("percorso");
        QTest::addColumn<QByteArray>("byte");
        QTest::newRow("defaults") << QString() << predefiniti;
        QTest::newRow("a comma: the line quoted") << "/srv/fw,v2/" << QByteArray("\"Path = /srv/fw,v2/\"\r\nLanguage = 0\r\n");
        QTest::newRow("a quote, no comma: as it is") << "/a\"b/\"" << QByteArray("Path = /a\"b/\"\r\nLanguage = 0\r\n");
        QTest::newRow("a quote and a comma: left out") << "/a\"b,/" << predefiniti;
        QTest::newRow("a CR: left out") << "/a\rb/" << predefiniti;
    }
    void componi()
    {
        QFETCH(QString, percorso);
        QTEST(componi_impostazioni({percorso, 0}), "byte");
    }

    void leggi_data()
    {
        QTest::addColumn<QByteArray>("contenuto");
        QTest::addColumn<QString>("percorso");
        QTest::addColumn<int>("lingua");
        const auto riga = [](const char *nome, const char *contenuto, const char *percorso, int lingua) {
            QTest::newRow(nome) << QByteArray(contenuto) << percorso << lingua;
        };
        riga("no blanks: one character lost", "Path=C:\\x\r\nLanguage=1\r\n", ":\\x", 0);
        riga("no equals sign", "abc\r\n", "bc", 0);
        riga("a comma cuts the folder, the rest read as the language", "Path = C:\\a,x= 2\r\nLanguage = 1\r\n", "C:\\a",
             2);
        riga("quoted line read whole, after the quotes dropped", "\"Path = /s/f,v2/\" junk\r\nLanguage = 1\r\n",
             "/s/f,v2/", 1);
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
            QTest::newRow(valore) << "Path = /fw/\r\nLanguage = " + QByteArray(valore) + "\r\n" << "/fw/" << lingua;
    }
    void leggi()
    {
        QFETCH(QByteArray, contenuto);
        const Impostazioni impostazioni = leggi_impostazioni(contenuto);
        QTEST(impostazioni.percorso_firmware, "percorso");
        QTEST(int(impostazioni.lingua), "lingua");
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
        const QString cartella = dir.path() + u'/';
        if (!prima.isNull())
            scrivi_file(file_in(cartella), prima);
        QTEST(carica_file_impostazioni(cartella).percorso_firmware, "percorso");
        QTEST(leggi_file(file_in(cartella)), "dopo");
    }

    // A file is replaced with its mode kept, or, read-only, left untouched
    // even by root; a folder a user cannot write sends the file to the user's.
    void where_the_settings_are_saved_data()
    {
        QTest::addColumn<bool>("senza_privilegi");
        QTest::addColumn<bool>("cartella_scrivibile");
        QTest::addColumn<Modo>("file");
        QTest::addColumn<QByteArray>("nel_programma"); // none: in the user's folder
        QTest::newRow("beside the program") << true << true << Modo() << nuove;
        QTest::newRow("a read-only folder: in the user's folder") << true << false << Modo() << nessuno;
        QTest::newRow("a writable file: in place") << true << false << Modo(sola_lettura | scrivibile) << nuove;
        QTest::newRow("a read-only file: untouched") << true << true << Modo(sola_lettura) << vecchie;
        QTest::newRow("root, a file of the owner's: replaced") << false << true << Modo(QFile::ReadOwner | QFile::WriteOwner)
                                                               << nuove;
        QTest::newRow("root, a read-only file: untouched") << false << true << Modo(sola_lettura) << vecchie;
    }
    void where_the_settings_are_saved()
    {
        QFETCH(bool, senza_privilegi);
        QFETCH(bool, cartella_scrivibile);
        QFETCH(Modo, file);
        QFETCH(QByteArray, nel_programma);
        QTemporaryDir programma, casa;
        const QString cartella = programma.path() + u'/', utente = casa.path() + QStringLiteral("/config/kestra/");
        const auto permessi = [](const QString &percorso, QFile::Permissions modo) {
            if (!QFile::setPermissions(percorso, modo))
                qFatal("the test could not set the permissions of %s", qPrintable(percorso));
        };
        permessi(casa.path(), leggibile | scrivibile);
        if (file)
            permessi(scrivi_file(file_in(cartella), vecchie), *file);
        permessi(programma.path(), leggibile | (cartella_scrivibile ? scrivibile : QFile::Permissions()));
        QString errore;
        const std::optional<bool> salvate = senza_privilegi ? salva_senza_privilegi(cartella, utente, errore)
                                                            : salva(cartella, utente);
        permessi(programma.path(), leggibile | QFile::WriteOwner);
        QVERIFY2(salvate, qPrintable(errore));
        QCOMPARE(*salvate, nel_programma != vecchie);
        QCOMPARE(leggi_file(file_in(cartella)), nel_programma);
        QCOMPARE(leggi_file(file_in(utente)), nel_programma == nessuno ? nuove : nessuno);
        if (file)
            QCOMPARE(QFile::permissions(file_in(cartella)) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     *file);
        // Nothing else left beside the program.
        QCOMPARE(QDir(cartella).entryList(QDir::Files | QDir::Hidden),
                 nel_programma == nessuno ? QStringList{} : QStringList{nome_file_impostazioni});
    }

    // An installed copy keeps its settings in the user's folder, whoever runs
    // it: a system folder takes no file of a user's, even one it holds.
    void an_installed_copy_keeps_its_settings_in_the_users_folder_data()
    {
        QTest::addColumn<bool>("di_sistema");
        QTest::newRow("a system folder that holds the file") << true;
        QTest::newRow("another folder") << false;
    }
    void an_installed_copy_keeps_its_settings_in_the_users_folder()
    {
        QFETCH(bool, di_sistema);
        QTemporaryDir programma, utente;
        scrivi_file(file_in(programma.path() + u'/'), vecchie);
        // Named through a link, as /bin is /usr/bin on Debian.
        const QString collegamento = utente.filePath("bin");
        QVERIFY2(QFile::link(di_sistema ? programma.path() : utente.path(), collegamento), "a link to a folder");
        QCOMPARE(cartella_impostazioni(programma.path() + u'/', utente.path() + u'/', {collegamento + u'/'}),
                 (di_sistema ? utente.path() : programma.path()) + u'/');
    }
};

// With "--salva PROGRAM USER" the program is the child of salva_senza_privilegi.
int main(int argc, char *argv[])
{
    if (argc == 4 && qstrcmp(argv[1], opzione_salva) == 0)
        return salva(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3])) ? salvato : non_salvato;
    QCoreApplication app(argc, argv);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_settings.moc"
