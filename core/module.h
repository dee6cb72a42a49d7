#pragma once

#include <QtGlobal>

// The Wi-Fi module: its address in Access Point mode, its TCP port and the
// password the prompt offers before anything is typed.
inline constexpr const char *indirizzo_access_point_predefinito = "192.168.1.1";
inline constexpr quint16 porta_modulo = 7999;
inline constexpr const char *password_predefinita = "40718253";
