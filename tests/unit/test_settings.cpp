#include "settings/settings_file.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QByteArray predefiniti = QByteArrayLiteral("Path = \r\nLanguage = 0\r\n");

QString cartella_di(const QTemporaryDir &dir)
{
    return dir.path() + u'/';
}

QString file_in(const QTemporaryDir &dir)
{
    return cartella_di(dir) + QLatin1String(nome_file_impostazioni);
}

void scrivi(const QString &percorso, const QByteArray &contenuto)
{
    QFile file(percorso);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contenuto), contenuto.size());
}

QByteArray leggi(const QString &percorso)
{
    QFile file(percorso);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

constexpr QFile::Permissions tutti_leggono = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                             | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther;
constexpr QFile::Permissions tutti_scrivono = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
constexpr QFile::Permissions file_in_sola_lettura = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;

const QByteArray vecchie = QByteArrayLiteral("Path = /old/\r\nLanguage = 1\r\n");
const QByteArray nuove = QByteArrayLiteral("Path = /new/\r\nLanguage = 0\r\n");
const char *const opzione_salva = "--salva";

// Saves "/new/" and Italian into `cartella` from a child process of a user
// without privileges: root may write anywhere, so as root the child drops to
// "nobody". True when the child wrote the file.
bool salva_senza_privilegi(const QString &cartella)
{
    QString programma = QCoreApplication::applicationFilePath();
    QStringList argomenti{QLatin1String(opzione_salva), cartella};
    if (geteuid() == 0) {
        argomenti = QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", programma} + argomenti;
        programma = QStringLiteral("setpriv");
    }
    QProcess figlio;
    figlio.start(programma, argomenti);
    return figlio.waitForFinished() && figlio.exitStatus() == QProcess::NormalExit && figlio.exitCode() == 0;
}

// The mode bits of a file, without what they mean for the current user.
QFile::Permissions modo(const QString &percorso)
{
    return QFile::permissions(percorso) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser);
}

// A folder of the test that others may enter, holding the old settings.
void prepara(QTemporaryDir &dir, QFile::Permissions cartella, QFile::Permissions file)
{
    scrivi(file_in(dir), vecchie);
    QVERIFY(QFile::setPermissions(file_in(dir), file));
    QVERIFY(QFile::setPermissions(dir.path(), cartella));
}

QByteArray casuali(int lunghezza, quint32 seme)
{
    QRandomGenerator generatore(seme);
    QByteArray dati(lunghezza, Qt::Uninitialized);
    for (char &c : dati)
        c = char(generatore.bounded(256));
    return dati;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void componi_data();
    void componi();
    void leggi_campi_data();
    void leggi_campi();
    void leggi_lingua_data();
    void leggi_lingua();
    void leggi_spazzatura_binaria();
    void leggi_riga_enorme();

    void file_mancante_riceve_i_predefiniti();
    void file_vuoto_riceve_i_predefiniti();
    void file_esistente_non_riscritto();
    void cartella_al_posto_del_file();
    void cartella_inesistente();
    void cartella_che_e_un_file();
    void cartella_in_sola_lettura_file_scrivibile();
    void file_in_sola_lettura_intatto();
    void file_in_sola_lettura_intatto_anche_per_root();
    void sostituzione_mantiene_i_permessi();
    void file_binario();
    void file_enorme_letto_solo_in_testa();
    void salva_sostituisce_tutto();
    void andata_e_ritorno_data();
    void andata_e_ritorno();
};

void TestSettings::componi_data()
{
    QTest::addColumn<QString>("percorso");
    QTest::addColumn<int>("lingua");
    QTest::addColumn<QByteArray>("byte_attesi");

    QTest::newRow("predefiniti") << QString() << 0 << predefiniti;
    QTest::newRow("inglese") << "C:\\Firmware\\" << 1 << QByteArray("Path = C:\\Firmware\\\r\nLanguage = 1\r\n");
    QTest::newRow("lingua 2") << "/fw/" << 2 << QByteArray("Path = /fw/\r\nLanguage = 2\r\n");
    QTest::newRow("lingua negativa") << "/fw/" << -5 << QByteArray("Path = /fw/\r\nLanguage = -5\r\n");
    QTest::newRow("utf-8 di sistema") << QString::fromUtf8("/caff\u00e8/") << 0
                                      << QByteArray("Path = /caff\xc3\xa8/\r\nLanguage = 0\r\n");
    QTest::newRow("virgola: riga tra virgolette")
        << "/srv/fw,v2/" << 1 << QByteArray("\"Path = /srv/fw,v2/\"\r\nLanguage = 1\r\n");
    QTest::newRow("virgolette: cartella tralasciata") << "/a\"b/" << 0 << predefiniti;
    QTest::newRow("CR: cartella tralasciata") << "/a\rb/" << 0 << predefiniti;
    QTest::newRow("LF: cartella tralasciata") << "/a\nb/" << 0 << predefiniti;
}

void TestSettings::componi()
{
    QFETCH(QString, percorso);
    QFETCH(int, lingua);
    QFETCH(QByteArray, byte_attesi);
    QCOMPARE(componi_impostazioni({percorso, qint16(lingua)}), byte_attesi);
}

void TestSettings::leggi_campi_data()
{
    QTest::addColumn<QByteArray>("contenuto");
    QTest::addColumn<QString>("percorso");
    QTest::addColumn<int>("lingua");

    QTest::newRow("come scritto") << QByteArray("Path = C:\\Firmware\\\r\nLanguage = 1\r\n") << "C:\\Firmware\\" << 1;
    QTest::newRow("senza spazi perde un carattere") << QByteArray("Path=C:\\x\r\nLanguage=1\r\n") << ":\\x" << 0;
    QTest::newRow("senza uguale") << QByteArray("abc\r\n") << "bc" << 0;
    QTest::newRow("uguale nel percorso") << QByteArray("Path = /a=b/\r\nLanguage = 1\r\n") << "/a=b/" << 1;
    QTest::newRow("virgola nel percorso")
        << QByteArray("Path = C:\\a,b\\\r\nLanguage = 1\r\n") << "C:\\a" << 0;
    QTest::newRow("resto della riga come lingua") << QByteArray("Path = C:\\a,x= 2\r\nLanguage = 1\r\n") << "C:\\a" << 2;
    QTest::newRow("tra virgolette") << QByteArray("\"Path = C:\\a,b\\\"\r\nLanguage = 1\r\n") << "C:\\a,b\\" << 1;
    QTest::newRow("dopo le virgolette scartato")
        << QByteArray("\"Path = /q/\" junk\r\nLanguage = 1\r\n") << "/q/" << 1;
    QTest::newRow("virgolette mai chiuse")
        << QByteArray("\"Path = /q/\r\nLanguage = 1") << "/q/\r\nLanguage = 1" << 0;
    QTest::newRow("una riga") << QByteArray("Path = /fw/\r\n") << "/fw/" << 0;
    QTest::newRow("una riga senza a capo") << QByteArray("Path = /fw/") << "/fw/" << 0;
    QTest::newRow("valori vuoti") << QByteArray("Path = \r\nLanguage = \r\n") << "" << 0;
    QTest::newRow("senza valori") << QByteArray("Path =\r\nLanguage =\r\n") << "" << 0;
    QTest::newRow("vuoto") << QByteArray() << "" << 0;
    QTest::newRow("prima riga vuota") << QByteArray("\r\nLanguage = 1\r\n") << "" << 1;
    QTest::newRow("solo LF") << QByteArray("Path = /a/\nLanguage = 1\n") << "/a/" << 1;
    QTest::newRow("solo CR") << QByteArray("Path = /a/\rLanguage = 1\r") << "/a/" << 1;
    QTest::newRow("spazi iniziali saltati") << QByteArray(" \t Path = /a/\r\n\tLanguage = 1\r\n") << "/a/" << 1;
    QTest::newRow("spazi finali tenuti") << QByteArray("Path = /a b/ \r\nLanguage = 1\r\n") << "/a b/ " << 1;
    QTest::newRow("chiavi ignorate") << QByteArray("Foo = /a/\r\nBar = 1\r\n") << "/a/" << 1;
    QTest::newRow("chiavi scambiate") << QByteArray("Language = 1\r\nPath = /a/\r\n") << "1" << 0;
    QTest::newRow("virgola in fondo") << QByteArray("Path = /a/,") << "/a/" << 0;
    QTest::newRow("righe in piu ignorate")
        << QByteArray("Path = /a/\r\nLanguage = 1\r\nLanguage = 0\r\n") << "/a/" << 1;
    QTest::newRow("utf-8 di sistema") << QByteArray("Path = /caff\xc3\xa8/\r\nLanguage = 1\r\n")
                                      << QString::fromUtf8("/caff\u00e8/") << 1;
    // A character outside the BMP right after "=" is dropped whole, not half of it.
    QTest::newRow("fuori BMP dopo uguale") << QByteArray("Path=\xf0\x9f\x98\x80x\r\nLanguage = 1\r\n") << "x" << 1;
    QTest::newRow("solo un carattere fuori BMP") << QByteArray("Path =\xf0\x9f\x98\x80\r\nLanguage = 1\r\n") << "" << 1;
    QTest::newRow("fuzz: fuori BMP senza uguale")
        << QByteArray("\xf2\xb3\x8a\x82\xc2 \t\r\xdf\xd2\xce.5e111e9\n94\r")
        << QString::fromUtf8("\xef\xbf\xbd \t") << 0;
}

void TestSettings::leggi_campi()
{
    QFETCH(QByteArray, contenuto);
    QFETCH(QString, percorso);
    QFETCH(int, lingua);

    const Impostazioni impostazioni = leggi_impostazioni(contenuto);
    QCOMPARE(impostazioni.percorso_firmware, percorso);
    QCOMPARE(int(impostazioni.lingua), lingua);
}

void TestSettings::leggi_lingua_data()
{
    QTest::addColumn<QByteArray>("valore");
    QTest::addColumn<int>("lingua");

    QTest::newRow("0") << QByteArray("0") << 0;
    QTest::newRow("1") << QByteArray("1") << 1;
    QTest::newRow("2") << QByteArray("2") << 2;
    QTest::newRow("x") << QByteArray("x") << 0;
    QTest::newRow("1.5") << QByteArray("1.5") << 2;
    QTest::newRow("2.5") << QByteArray("2.5") << 2;
    QTest::newRow("0.5") << QByteArray("0.5") << 0;
    QTest::newRow(".5") << QByteArray(".5") << 0;
    QTest::newRow("2.6") << QByteArray("2.6") << 3;
    QTest::newRow("-1") << QByteArray("-1") << -1;
    QTest::newRow("+3") << QByteArray("+3") << 3;
    QTest::newRow("spazi prima") << QByteArray("  \t7") << 7;
    QTest::newRow("12abc") << QByteArray("12abc") << 12;
    QTest::newRow("1.5e1") << QByteArray("1.5e1") << 15;
    QTest::newRow("esponente senza cifre") << QByteArray("1e") << 1;
    QTest::newRow("e5") << QByteArray("e5") << 0;
    QTest::newRow("solo segno") << QByteArray("-") << 0;
    QTest::newRow("solo punto") << QByteArray(".") << 0;
    QTest::newRow("32767") << QByteArray("32767") << 32767;
    QTest::newRow("-32768") << QByteArray("-32768") << -32768;
    QTest::newRow("-32768.5 pari") << QByteArray("-32768.5") << -32768;
    QTest::newRow("32767.5 fuori") << QByteArray("32767.5") << 1;
    QTest::newRow("99999") << QByteArray("99999") << 1;
    QTest::newRow("-40000") << QByteArray("-40000") << 1;
    QTest::newRow("1e999") << QByteArray("1e999") << 1;
    QTest::newRow("-1e999") << QByteArray("-1e999") << 1;
    QTest::newRow("1e-999") << QByteArray("1e-999") << 0;
    QTest::newRow("inf non e un numero") << QByteArray("inf") << 0;
    QTest::newRow("nan non e un numero") << QByteArray("nan") << 0;
    QTest::newRow("migliaia non lette") << QByteArray("1'000") << 1;
}

void TestSettings::leggi_lingua()
{
    QFETCH(QByteArray, valore);
    QFETCH(int, lingua);
    QCOMPARE(int(leggi_impostazioni("Path = /fw/\r\nLanguage = " + valore + "\r\n").lingua), lingua);
}

void TestSettings::leggi_spazzatura_binaria()
{
    for (quint32 seme = 0; seme < 200; ++seme) {
        const QByteArray contenuto = casuali(int(seme) * 13, seme);
        const Impostazioni impostazioni = leggi_impostazioni(contenuto);
        QVERIFY(impostazioni.percorso_firmware.size() <= contenuto.size());
    }
    // Only the characters the reader looks for.
    QRandomGenerator generatore(7);
    const char scelta[] = {',', '"', '\r', '\n', ' ', '\t', '=', '1', '.', 'e', '-'};
    for (int prova = 0; prova < 500; ++prova) {
        QByteArray contenuto;
        for (int i = generatore.bounded(40); i > 0; --i)
            contenuto += scelta[generatore.bounded(int(sizeof scelta))];
        leggi_impostazioni(contenuto);
    }
}

void TestSettings::leggi_riga_enorme()
{
    const QByteArray cartella(10 * 1024 * 1024, 'x');
    QElapsedTimer cronometro;
    cronometro.start();
    const Impostazioni impostazioni = leggi_impostazioni("Path = " + cartella + "\r\nLanguage = 1\r\n");
    QVERIFY2(cronometro.elapsed() < 5000, "a 10 MB line must be read in linear time");
    QCOMPARE(impostazioni.percorso_firmware.size(), cartella.size());
    QCOMPARE(int(impostazioni.lingua), 1);
}

void TestSettings::file_mancante_riceve_i_predefiniti()
{
    QTemporaryDir dir;
    const Impostazioni impostazioni = carica_file_impostazioni(cartella_di(dir));
    QCOMPARE(impostazioni.percorso_firmware, QString());
    QCOMPARE(int(impostazioni.lingua), 0);
    QCOMPARE(leggi(file_in(dir)), predefiniti);
}

void TestSettings::file_vuoto_riceve_i_predefiniti()
{
    QTemporaryDir dir;
    scrivi(file_in(dir), QByteArray());
    const Impostazioni impostazioni = carica_file_impostazioni(cartella_di(dir));
    QCOMPARE(impostazioni.percorso_firmware, QString());
    QCOMPARE(int(impostazioni.lingua), 0);
    QCOMPARE(leggi(file_in(dir)), predefiniti);
}

void TestSettings::file_esistente_non_riscritto()
{
    QTemporaryDir dir;
    const QByteArray contenuto("Path=/x/\nLanguage = 2\n");
    scrivi(file_in(dir), contenuto);
    const Impostazioni impostazioni = carica_file_impostazioni(cartella_di(dir));
    QCOMPARE(impostazioni.percorso_firmware, "x/");
    QCOMPARE(int(impostazioni.lingua), 2);
    QCOMPARE(leggi(file_in(dir)), contenuto);
}

void TestSettings::cartella_al_posto_del_file()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QLatin1String(nome_file_impostazioni)));
    const Impostazioni impostazioni = carica_file_impostazioni(cartella_di(dir));
    QCOMPARE(impostazioni.percorso_firmware, QString());
    QCOMPARE(int(impostazioni.lingua), 0);
    QVERIFY(!salva_file_impostazioni(cartella_di(dir), {"/fw/", 1}));
    QVERIFY(QFileInfo(file_in(dir)).isDir());
}

void TestSettings::cartella_inesistente()
{
    QTemporaryDir dir;
    const QString cartella = cartella_di(dir) + "manca/";
    QVERIFY(!salva_file_impostazioni(cartella, {"/fw/", 1}));
    const Impostazioni impostazioni = carica_file_impostazioni(cartella);
    QCOMPARE(impostazioni.percorso_firmware, QString());
    QCOMPARE(int(impostazioni.lingua), 0);
    QVERIFY(!QFileInfo::exists(cartella));
}

void TestSettings::cartella_che_e_un_file()
{
    QTemporaryDir dir;
    const QString file = cartella_di(dir) + "file";
    scrivi(file, "content");
    QVERIFY(!salva_file_impostazioni(file + u'/', {"/fw/", 1}));
    QCOMPARE(int(carica_file_impostazioni(file + u'/').lingua), 0);
    QCOMPARE(leggi(file), QByteArray("content"));
}

void TestSettings::cartella_in_sola_lettura_file_scrivibile()
{
    QTemporaryDir dir;
    prepara(dir, tutti_leggono, file_in_sola_lettura | tutti_scrivono);
    const bool salvato = salva_senza_privilegi(cartella_di(dir));
    QVERIFY(QFile::setPermissions(dir.path(), tutti_leggono | QFile::WriteOwner));
    QVERIFY(salvato);
    QCOMPARE(leggi(file_in(dir)), nuove);
    QCOMPARE(modo(file_in(dir)), file_in_sola_lettura | tutti_scrivono);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{nome_file_impostazioni});
}

void TestSettings::file_in_sola_lettura_intatto()
{
    QTemporaryDir dir;
    prepara(dir, tutti_leggono | tutti_scrivono, file_in_sola_lettura);
    QVERIFY(!salva_senza_privilegi(cartella_di(dir)));
    QCOMPARE(leggi(file_in(dir)), vecchie);
    QCOMPARE(modo(file_in(dir)), file_in_sola_lettura);
}

void TestSettings::file_in_sola_lettura_intatto_anche_per_root()
{
    QTemporaryDir dir;
    prepara(dir, tutti_leggono | QFile::WriteOwner, file_in_sola_lettura);
    QVERIFY(!salva_file_impostazioni(cartella_di(dir), {"/new/", 0}));
    QCOMPARE(leggi(file_in(dir)), vecchie);
    QCOMPARE(modo(file_in(dir)), file_in_sola_lettura);
}

void TestSettings::sostituzione_mantiene_i_permessi()
{
    QTemporaryDir dir;
    const QFile::Permissions solo_proprietario = QFile::ReadOwner | QFile::WriteOwner;
    prepara(dir, tutti_leggono | QFile::WriteOwner, solo_proprietario);
    QVERIFY(salva_file_impostazioni(cartella_di(dir), {"/new/", 0}));
    QCOMPARE(leggi(file_in(dir)), nuove);
    QCOMPARE(modo(file_in(dir)), solo_proprietario);
}

void TestSettings::file_binario()
{
    QTemporaryDir dir;
    for (quint32 seme = 1; seme <= 20; ++seme) {
        scrivi(file_in(dir), casuali(int(seme) * 997, seme));
        carica_file_impostazioni(cartella_di(dir));
    }
}

void TestSettings::file_enorme_letto_solo_in_testa()
{
    QTemporaryDir dir;
    scrivi(file_in(dir), "Path = " + QByteArray(10 * 1024 * 1024, 'x') + "\r\nLanguage = 1\r\n");
    QElapsedTimer cronometro;
    cronometro.start();
    const Impostazioni impostazioni = carica_file_impostazioni(cartella_di(dir));
    QVERIFY(cronometro.elapsed() < 5000);
    QCOMPARE(impostazioni.percorso_firmware.size(), 64 * 1024 - 7);
    QCOMPARE(int(impostazioni.lingua), 0); // the language line is beyond what is read
}

void TestSettings::salva_sostituisce_tutto()
{
    QTemporaryDir dir;
    scrivi(file_in(dir), QByteArray(1000, 'z'));
    QVERIFY(salva_file_impostazioni(cartella_di(dir), {"/fw/", 1}));
    QCOMPARE(leggi(file_in(dir)), QByteArray("Path = /fw/\r\nLanguage = 1\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{nome_file_impostazioni});
}

void TestSettings::andata_e_ritorno_data()
{
    QTest::addColumn<QString>("percorso");
    QTest::addColumn<int>("lingua");

    QTest::newRow("predefiniti") << QString() << 0;
    QTest::newRow("unix") << "/home/user/firmware/" << 1;
    QTest::newRow("windows") << "C:\\Firmware\\" << 0;
    QTest::newRow("virgole") << "/srv/fw,v2/,x/" << 0;
    QTest::newRow("virgola windows") << "C:\\a,b\\" << 1;
    QTest::newRow("spazi") << "/my firmware/v 2/" << 2;
    QTest::newRow("non ascii") << QString::fromUtf8("/caff\u00e8/") << -1;
    QTest::newRow("lingua massima") << "/fw/" << 32767;
    QTest::newRow("lingua minima") << "/fw/" << -32768;
}

void TestSettings::andata_e_ritorno()
{
    QFETCH(QString, percorso);
    QFETCH(int, lingua);

    QTemporaryDir dir;
    QVERIFY(salva_file_impostazioni(cartella_di(dir), {percorso, qint16(lingua)}));
    const Impostazioni letto = carica_file_impostazioni(cartella_di(dir));
    QCOMPARE(letto.percorso_firmware, percorso);
    QCOMPARE(int(letto.lingua), lingua);
}

// With "--salva FOLDER" the program is the child of salva_senza_privilegi.
int main(int argc, char *argv[])
{
    if (argc == 3 && qstrcmp(argv[1], opzione_salva) == 0)
        return salva_file_impostazioni(QString::fromLocal8Bit(argv[2]), {"/new/", 0}) ? 0 : 1;
    QCoreApplication app(argc, argv);
    TestSettings test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_settings.moc"
