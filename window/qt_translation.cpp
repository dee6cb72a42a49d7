#include "window/qt_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

TraduzioneQt::~TraduzioneQt()
{
    imposta(1);
}

void TraduzioneQt::imposta(int lingua)
{
    const bool italiano = lingua == 0;
    if (italiano == m_installata)
        return;
    if (!italiano) {
        QCoreApplication::removeTranslator(&m_italiano);
        m_installata = false;
        return;
    }
    if (m_italiano.isEmpty()
        && !m_italiano.load(QLocale(QLocale::Italian), QStringLiteral("qtbase"), QStringLiteral("_"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return; // not installed: Qt's texts stay English
    m_installata = QCoreApplication::installTranslator(&m_italiano);
}
