#include "core/commands.h"

QByteArray comando_password(const QString &password)
{
    return QByteArrayLiteral("PAS=") + password.toLatin1();
}

QByteArray comando_access_point()
{
    return QByteArrayLiteral("MOP=\x02");
}

QByteArray comando_reset()
{
    return QByteArrayLiteral("RST!");
}

QByteArray comando_identificazione()
{
    return QByteArrayLiteral("FWI");
}

bool risponde_con_un_byte(QByteArrayView comando)
{
    return comando.startsWith("PG");
}
