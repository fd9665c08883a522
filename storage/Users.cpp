// Users and keys: key derivation from a text, the check value that verifies a
// password, and the wrapping of the data key for non-master users.
#include "storage/Users.h"

#include <algorithm>
#include <cstring>

#include "platform/Exception.h"

namespace qv {
namespace {

// The key derivation draws from a linear congruential generator whose state it
// reseeds, as the run-time library's single global generator was used. Nothing
// else in the program draws from that generator (GUIDs come from the operating
// system), so its state lives here, private to this unit.
uint32_t gGeneratorState = 0;

constexpr uint32_t kSeedBase = 0x3B6D2F47;
constexpr uint32_t kMultiplier = 0x08088405;

// One generator step; the value below 256 is the top byte of the new state.
uint8_t NextRandomByte() {
  gGeneratorState = gGeneratorState * kMultiplier + 1;
  return uint8_t(gGeneratorState >> 24);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

TXUser::TXUser(const std::string& login) : Name(login) {
  QV_ASSERT(!login.empty());
  SetKey(key_);
}

void TXUser::SetKey(const TXKey& key) {
  key_ = key;
  AESExpandKey256(key_, encryption_);
  decryption_ = encryption_;
  AESExpandDecryptionKey(decryption_);
}

void TXUser::DeriveKey(const std::string& text, uint8_t rights, TXKey& key) {
  gGeneratorState = kSeedBase + uint32_t(text.size());
  for (std::size_t i = 0; i < key.size(); ++i) {
    uint8_t b = i < text.size() ? uint8_t(text[i]) : uint8_t(i);
    key[i] = b ^ NextRandomByte();
  }
  if (rights != 0) key[31] = rights;
}

void TXUser::EncryptBlock(const TXKey& source, TXKey& destination, const TXKey& key) {
  TAESExpandedKey256 schedule;
  AESExpandKey256(key, schedule);
  AESEncryptECB(source.data(), destination.data(), source.size(), schedule);
}

void TXUser::DecryptBlock(const TXKey& source, TXKey& destination, const TXKey& key) {
  TAESExpandedKey256 schedule;
  AESExpandKey256(key, schedule);
  AESExpandDecryptionKey(schedule);
  AESDecryptECB(source.data(), destination.data(), source.size(), schedule);
}

bool TXUser::SetPassword(const std::string& password, uint8_t rights, const std::string& dataPassword) {
  QV_ASSERT(dataPassword.empty() || rights != MasterRights);
  Rights = 0;
  TXKey key;
  DeriveKey(password, 0, key);
  SetKey(key);
  Rights = rights;

  TXKey identity, block;
  DeriveKey(Name, rights, identity);
  EncryptBlock(identity, block, key_);
  Check = BytesToHex(block);

  Wrapped.clear();
  if (!dataPassword.empty()) {
    TXKey dataKey;
    DeriveKey(dataPassword, 0, dataKey);
    EncryptBlock(dataKey, block, key_);
    Wrapped = BytesToHex(block);
  }
  return true;
}

// The entry comes from the description file, so every inconsistency in it is
// a failed login, never an assertion.
bool TXUser::Login(const std::string& password) {
  Rights = 0;
  LoginFault = TLoginFault::CheckForm;
  TXKey block, plain, identity, wrapped;
  if (!HexToBytes(Check, block)) return false;
  LoginFault = TLoginFault::WrappedForm;
  if (!Wrapped.empty() && !HexToBytes(Wrapped, wrapped)) return false;
  TXKey key;
  DeriveKey(password, 0, key);
  SetKey(key);
  DecryptBlock(block, plain, key_);
  DeriveKey(Name, 0, identity);
  LoginFault = TLoginFault::Password;
  if (std::memcmp(plain.data(), identity.data(), 31) != 0) return false;

  uint8_t rights = plain[31];
  bool master = rights == MasterRights;
  LoginFault = rights == 0 ? TLoginFault::NoRights : TLoginFault::WrappedKind;
  if (rights == 0 || master != Wrapped.empty()) return false;
  if (!master) {
    TXKey dataKey;
    DecryptBlock(wrapped, dataKey, key_);
    SetKey(dataKey);
  }
  Rights = rights;
  LoginFault = TLoginFault::None;
  return true;
}

std::string BytesToHex(const TXKey& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

bool HexToBytes(const std::string& text, TXKey& bytes) {
  if (text.size() != bytes.size() * 2) return false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    int hi = HexDigit(text[2 * i]), lo = HexDigit(text[2 * i + 1]);
    if (hi < 0 || lo < 0) return false;
    bytes[i] = uint8_t(hi << 4 | lo);
  }
  return true;
}

bool SameGUID(const TGUID& a, const TGUID& b) {
  return a.ToBytes() == b.ToBytes();
}

}  // namespace qv
