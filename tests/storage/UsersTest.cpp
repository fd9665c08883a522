// Key derivation known answers, password check values, and logging in with
// right, wrong and damaged user entries.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "storage/Users.h"

namespace qv {
namespace {

std::string Derived(const std::string& text, uint8_t rights) {
  TXKey key;
  TXUser::DeriveKey(text, rights, key);
  return BytesToHex(key);
}

TXKey KeyOf(const std::string& text) {
  TXKey key;
  TXUser::DeriveKey(text, 0, key);
  return key;
}

// A Check value for name whose identity block carries the given last byte.
std::string CheckWithRights(const std::string& name, uint8_t rights, const std::string& password) {
  TXKey identity = KeyOf(name), block;
  identity[31] = rights;
  TXUser::EncryptBlock(identity, block, KeyOf(password));
  return BytesToHex(block);
}

TEST(DeriveKey, KnownAnswers) {
  EXPECT_EQ(Derived("", 0), "2759AC2E556F85D520EC802F4A40B6B39F2857A622ACD7E5D2329B229B0337C7");
  EXPECT_EQ(Derived("quirvane", 4), "168E00CFF4F62CE49E2FA5E3630098B53A6BA0B976A260DC385AA5C13BA09E04");
  EXPECT_EQ(Derived("quirvane", 0), "168E00CFF4F62CE49E2FA5E3630098B53A6BA0B976A260DC385AA5C13BA09EB9");
  EXPECT_EQ(Derived("secret", 0), "2437D9EBD03F941272DCECBCE990117553BB85FE03E25F03D3E42AA9234B342D");
}

TEST(DeriveKey, LongTextsDependOnTheirFirst32BytesAndLength) {
  std::string a(40, 'x'), b = a, c(41, 'x');
  b[35] = 'y';
  EXPECT_EQ(Derived(a, 0), Derived(b, 0));
  EXPECT_NE(Derived(a, 0), Derived(c, 0));
  b[31] = 'y';
  EXPECT_NE(Derived(a, 0), Derived(b, 0));
  EXPECT_NE(Derived("ab", 0), Derived("abc", 0));
}

TEST(Users, MasterCheckValuesAreStable) {
  TXUser a("quirvane"), b("quirvane");
  a.SetPassword("", MasterRights, "");
  EXPECT_EQ(a.Check, "8C66923DF74D4C2D8B81D211BFC2D041BAFF36F11D34A20AA6B951D651A7062F");
  EXPECT_TRUE(a.Wrapped.empty());
  a.SetPassword("secret", MasterRights, "");
  EXPECT_EQ(a.Check, "CB4FE222EF17F5F2344A4E504B94DF0AD375CA2415B0F9BD88D14347F540B975");
  b.SetPassword("secret", MasterRights, "");
  EXPECT_EQ(a.Check, b.Check);
}

TEST(Users, MasterLogsInWithItsPasswordOnly) {
  for (std::string password : {"", "secret", "a password longer than thirty-two bytes"}) {
    SCOPED_TRACE(password);
    TXUser setter("quirvane");
    setter.SetPassword(password, MasterRights, "");
    TXUser user("quirvane");
    user.Check = setter.Check;
    EXPECT_FALSE(user.Login(password + "!"));
    EXPECT_EQ(user.Rights, 0);
    ASSERT_TRUE(user.Login(password));
    EXPECT_EQ(user.Rights, MasterRights);
    EXPECT_EQ(user.Key(), KeyOf(password));
  }
}

TEST(Users, NonMasterUnwrapsTheMastersDataKey) {
  TXUser setter("guest");
  setter.SetPassword("guest-pw", 2, "master-pw");
  EXPECT_EQ(setter.Wrapped.size(), 64u);
  TXUser user("guest");
  user.Check = setter.Check;
  user.Wrapped = setter.Wrapped;
  ASSERT_TRUE(user.Login("guest-pw"));
  EXPECT_EQ(user.Rights, 2);
  EXPECT_EQ(user.Key(), KeyOf("master-pw"));
}

TEST(Users, SchedulesFollowTheKey) {
  TXUser user("quirvane");
  user.SetPassword("secret", MasterRights, "");
  TAESExpandedKey256 enc, dec;
  AESExpandKey256(KeyOf("secret"), enc);
  dec = enc;
  AESExpandDecryptionKey(dec);
  EXPECT_EQ(0, std::memcmp(enc.W, user.EncryptionSchedule().W, sizeof enc.W));
  EXPECT_EQ(0, std::memcmp(dec.W, user.DecryptionSchedule().W, sizeof dec.W));
  user.SetKey(KeyOf("other"));
  EXPECT_NE(0, std::memcmp(enc.W, user.EncryptionSchedule().W, sizeof enc.W));
}

TEST(Users, DamagedEntriesFailTheLoginWithoutAssertions) {
  TXUser setter("quirvane");
  setter.SetPassword("pw", MasterRights, "");
  TXUser guest("guest");
  guest.SetPassword("pw", 2, "master");

  struct Case {
    const char* what;
    std::string name, check, wrapped;
  } cases[] = {
      {"63 digits", "quirvane", setter.Check.substr(1), ""},
      {"65 digits", "quirvane", setter.Check + "0", ""},
      {"not hex", "quirvane", "G" + setter.Check.substr(1), ""},
      {"other name", "quirvanf", setter.Check, ""},
      {"rights 0", "quirvane", CheckWithRights("quirvane", 0, "pw"), ""},
      {"master with a wrapped key", "quirvane", setter.Check, guest.Wrapped},
      {"non-master without a wrapped key", "guest", guest.Check, ""},
      {"wrapped key not hex", "guest", guest.Check, "Z" + guest.Wrapped.substr(1)},
      {"wrapped key too short", "guest", guest.Check, guest.Wrapped.substr(2)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    TXUser user(c.name);
    user.Check = c.check;
    user.Wrapped = c.wrapped;
    EXPECT_FALSE(user.Login("pw"));
    EXPECT_EQ(user.Rights, 0);
  }
}

TEST(Users, ProgrammerErrorsAreAssertions) {
  EXPECT_THROW(TXUser(""), EAssertionFailed);
  TXUser user("quirvane");
  EXPECT_THROW(user.SetPassword("pw", MasterRights, "data"), EAssertionFailed);
}

TEST(HexText, ConvertsBothWaysAndRejectsBadText) {
  TXKey bytes;
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = uint8_t(i * 9);
  std::string text = BytesToHex(bytes);
  EXPECT_EQ(text.substr(0, 8), "0009121B");
  TXKey back{};
  ASSERT_TRUE(HexToBytes(text, back));
  EXPECT_EQ(back, bytes);
  std::string lower = text;
  for (auto& ch : lower) ch = char(std::tolower(ch));
  ASSERT_TRUE(HexToBytes(lower, back));
  EXPECT_EQ(back, bytes);

  TXKey partial{};
  std::string bad = text;
  bad[5] = ' ';
  EXPECT_FALSE(HexToBytes(bad, partial));
  EXPECT_EQ(partial[0], 0x00);
  EXPECT_EQ(partial[1], 0x09);  // pairs before the bad one are already set
  EXPECT_EQ(partial[2], 0x00);
  EXPECT_FALSE(HexToBytes(text.substr(2), partial));
}

}  // namespace
}  // namespace qv
