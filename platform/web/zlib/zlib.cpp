#include "zlib.h"

#include "platform/rt/zlib_stream.h"

extern "C" {

uLong crc32(uLong crc, const Bytef* buf, uInt len) {
  return buf ? kv::rt::Crc32(static_cast<uint32_t>(crc), buf, len) : 0;
}

uLong compressBound(uLong sourceLen) { return kv::rt::ZlibBound(sourceLen); }

int compress2(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen, int) {
  const size_t size = kv::rt::StoreZlib(source, sourceLen, dest, *destLen);
  if (size == 0) return Z_BUF_ERROR;
  *destLen = size;
  return Z_OK;
}

int uncompress(Bytef* dest, uLongf* destLen, const Bytef* source, uLong sourceLen) {
  size_t written = 0;
  const kv::rt::InflateResult r = kv::rt::InflateZlib(source, sourceLen, dest, *destLen, &written);
  *destLen = written;
  if (r == kv::rt::InflateResult::kOk) return Z_OK;
  return r == kv::rt::InflateResult::kNoRoom ? Z_BUF_ERROR : Z_DATA_ERROR;
}

}  // extern "C"
