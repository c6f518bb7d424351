// The part of zlib's interface that recordings use (platform/record/), for
// the browser build, which has no zlib: our own streams (platform/rt/
// zlib_stream.h) stand behind it. Recordings made natively unpack here; one
// packed here would be stored rather than compressed, which zlib reads too.
#pragma once

typedef unsigned char Bytef;
typedef unsigned int uInt;
typedef unsigned long uLong;
typedef uLong uLongf;

#define Z_OK 0
#define Z_DATA_ERROR (-3)
#define Z_BUF_ERROR (-5)

extern "C" {
uLong crc32(uLong crc, const Bytef* buf, uInt len);
uLong compressBound(uLong sourceLen);
int compress2(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen, int level);
int uncompress(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen);
}
