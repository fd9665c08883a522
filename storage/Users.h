// Users of a database and their keys: the check value that verifies a
// password, the data key wrapped for non-master users, and the expanded cipher
// schedules of the current key that the data file enciphers records with.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/Guid.h"
#include "storage/Aes.h"

namespace qv {

using TXKey = TAESKey256;

constexpr uint8_t MasterRights = 4;

class TXUser {
 public:
  // An empty login is an assertion failure.
  explicit TXUser(const std::string& login);

  // 32 bytes derived from text (see Users.cpp); byte 31 := rights when rights is not 0.
  static void DeriveKey(const std::string& text, uint8_t rights, TXKey& key);
  // AES-256 ECB of the 32 source bytes (two blocks) under key.
  static void EncryptBlock(const TXKey& source, TXKey& destination, const TXKey& key);
  static void DecryptBlock(const TXKey& source, TXKey& destination, const TXKey& key);

  // Sets Key, Rights, Check and Wrapped; always true. A data password together
  // with the master's rights is an assertion failure.
  bool SetPassword(const std::string& password, uint8_t rights, const std::string& dataPassword);
  // Verifies the password against Check; on success Rights is set and Key is
  // the data key. False (Rights 0) for a wrong password or damaged entry,
  // with LoginFault saying which.
  bool Login(const std::string& password);
  // Why the last Login failed. A check value that is well formed but does not
  // match is taken for a wrong password (nothing can tell a changed digit
  // from another password); the others show damage of the entry.
  enum class TLoginFault {
    None,
    Password,
    CheckForm,    // Check is not 64 hex digits
    WrappedForm,  // Wrapped is neither empty nor 64 hex digits
    NoRights,     // the password is right, but Check gives no rights
    WrappedKind,  // the password is right, but Wrapped is not empty exactly for the master
  };
  TLoginFault LoginFault = TLoginFault::None;

  // After SetPassword: the password key; after a successful Login: the data key.
  const TXKey& Key() const { return key_; }
  void SetKey(const TXKey& key);
  // The schedules of Key, kept up to date whenever Key changes.
  const TAESExpandedKey256& EncryptionSchedule() const { return encryption_; }
  const TAESExpandedKey256& DecryptionSchedule() const { return decryption_; }

  std::string Name;
  std::string Check;    // 64 hex digits: the identity block under the password key
  std::string Wrapped;  // 64 hex digits, or empty for the master
  uint8_t Rights = 0;   // MasterRights, or 0 when not logged in
  int Slot = -1;        // its number in the description's [USERS] (U_nn_...), when read from it

 private:
  TXKey key_{};
  TAESExpandedKey256 encryption_;
  TAESExpandedKey256 decryption_;
};

// 64 upper-case hex digits, two per byte in order.
std::string BytesToHex(const TXKey& bytes);
// False unless text has exactly 64 characters, each pair a hex number (either
// case); the bytes before a bad pair are already set.
bool HexToBytes(const std::string& text, TXKey& bytes);
bool SameGUID(const TGUID& a, const TGUID& b);

}  // namespace qv
