#pragma once

#include <QByteArrayView>

// The CRC16 register as the device sees it: two bytes that persist between
// calls, so that successive pages continue one CRC.
struct RegistroCrc
{
    int crc_alto = 0;  // 0..255
    int crc_basso = 0; // 0..255
    qint32 crc16 = 0;  // crc_alto * 256 + crc_basso, refreshed by every crc16_calc
};

// Advances the register over every byte of buf (reflected CRC16, constant
// 0x1021 applied after each right shift) and refreshes crc16. The caller sets
// the initial value.
void crc16_calc(RegistroCrc &registro, QByteArrayView buf);

// The 8-bit sum of the bytes of buf (checksum_pagina).
int check_calc(QByteArrayView buf);
