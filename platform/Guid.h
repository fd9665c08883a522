// 16-byte GUIDs: creation, the braced text form and the little-endian byte form.
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace qv {

struct TGUID {
  uint32_t D1 = 0;
  uint16_t D2 = 0;
  uint16_t D3 = 0;
  uint8_t D4[8] = {};

  // The 16 bytes as stored in files: D1, D2, D3 little-endian, then D4.
  std::array<uint8_t, 16> ToBytes() const;
  static TGUID FromBytes(const uint8_t* bytes);
  bool operator==(const TGUID& o) const { return ToBytes() == o.ToBytes(); }
};

// Asks the operating system for 16 random bytes (a version 4 GUID); false when it cannot.
bool CreateGUID(TGUID& guid);
// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" with upper-case hex digits.
std::string GUIDToString(const TGUID& guid);
// Accepts the braced form (either case); false for anything else.
bool TryStringToGUID(const std::string& text, TGUID& guid);
// As TryStringToGUID, but raises EConvertError for a text that is not a GUID.
TGUID StringToGUID(const std::string& text);

}  // namespace qv
