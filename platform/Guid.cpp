// GUID text and byte forms; random GUIDs come from getrandom(2).
#include "platform/Guid.h"

#include <sys/random.h>

#include <cstdio>
#include <cstring>

#include "platform/Exception.h"

namespace qv {

std::array<uint8_t, 16> TGUID::ToBytes() const {
  std::array<uint8_t, 16> b{};
  for (int i = 0; i < 4; ++i) b[i] = uint8_t(D1 >> (8 * i));
  b[4] = uint8_t(D2), b[5] = uint8_t(D2 >> 8);
  b[6] = uint8_t(D3), b[7] = uint8_t(D3 >> 8);
  std::memcpy(&b[8], D4, 8);
  return b;
}

TGUID TGUID::FromBytes(const uint8_t* b) {
  TGUID g;
  g.D1 = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  g.D2 = uint16_t(b[4] | b[5] << 8);
  g.D3 = uint16_t(b[6] | b[7] << 8);
  std::memcpy(g.D4, b + 8, 8);
  return g;
}

bool CreateGUID(TGUID& guid) {
  uint8_t b[16];
  std::size_t got = 0;
  while (got < sizeof b) {
    ssize_t n = getrandom(b + got, sizeof b - got, 0);
    if (n <= 0) return false;
    got += std::size_t(n);
  }
  guid = TGUID::FromBytes(b);
  guid.D3 = uint16_t((guid.D3 & 0x0FFF) | 0x4000);   // version 4
  guid.D4[0] = uint8_t((guid.D4[0] & 0x3F) | 0x80);  // RFC 4122 variant
  return true;
}

std::string GUIDToString(const TGUID& g) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.D1, g.D2, g.D3,
                g.D4[0], g.D4[1], g.D4[2], g.D4[3], g.D4[4], g.D4[5], g.D4[6], g.D4[7]);
  return buf;
}

static int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool TryStringToGUID(const std::string& t, TGUID& guid) {
  if (t.size() != 38 || t[0] != '{' || t[37] != '}' || t[9] != '-' || t[14] != '-' || t[19] != '-' ||
      t[24] != '-')
    return false;
  uint8_t raw[16];  // the hex digits in reading order
  int n = 0;
  for (std::size_t i = 1; i < 37; ++i) {
    if (i == 9 || i == 14 || i == 19 || i == 24) continue;
    int hi = HexValue(t[i]), lo = HexValue(t[i + 1]);
    if (hi < 0 || lo < 0) return false;
    raw[n++] = uint8_t(hi << 4 | lo);
    ++i;
  }
  guid.D1 = uint32_t(raw[0]) << 24 | uint32_t(raw[1]) << 16 | uint32_t(raw[2]) << 8 | raw[3];
  guid.D2 = uint16_t(raw[4] << 8 | raw[5]);
  guid.D3 = uint16_t(raw[6] << 8 | raw[7]);
  std::memcpy(guid.D4, raw + 8, 8);
  return true;
}

TGUID StringToGUID(const std::string& text) {
  TGUID g;
  if (!TryStringToGUID(text, g)) throw EConvertError("'" + text + "' is not a valid GUID value");
  return g;
}

}  // namespace qv
