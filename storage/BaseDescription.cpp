// TXBase: the description file xbase.vlm (name, ID, users; in [ENGINE] the
// open marker, the commit mark, the damage found, and the checksums of the
// sorted index files), the context file, the users and the ID text.
#include <algorithm>
#include <regex>

#include "classlib/IniFiles.h"
#include "classlib/SysUtils.h"
#include "platform/Exception.h"
#include "platform/Files.h"
#include "storage/Base.h"

namespace qv {

namespace {

const char* const kGeneral = "GENERAL";
const char* const kUsers = "USERS";
// Our own section: "Open=1" while a session has the database open, so that
// the next Open knows when a session ended without Close.
const char* const kEngine = "ENGINE";
// index.vlm's entry count at the last commit, record 0 included (the only
// mark of earlier versions, still written for them).
const char* const kEntries = "Entries";
// The mark of the last commit (TCommitMark::ToText).
const char* const kCommit = "Commit";
// Damage a session found: every later Open reports it and opens read-only.
const char* const kDamage = "Damage";
// What a session writes past the last commit until its next (SetUnderway).
const char* const kUnderway = "Underway";
// The checksum free.vlm ends in, as last written.
const char* const kFree = "Free";
// Each sorted index file's checksum at its last save: "0041-000.idx=89ABCDEF".
const char* const kIndexSuffix = ".idx";

std::string UserKey(int i, const char* suffix) {
  return "U_" + IntToHex(uint32_t(i), 2) + suffix;
}

// The text of an open refused because a key of the description is not of the
// form the format gives it: the file shows its damage, so the open says so
// rather than blame the password or the ID.
std::string DamagedKey(const std::string& key, const char* section, const std::string& what) {
  return "xbase.vlm is damaged: key \"" + key + "\" of [" + section + "] " + what +
         "; with the catalogue closed, put back all of its files from one copy";
}

// A count of users: decimal digits only.
bool IsCount(const std::string& text) {
  return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

bool TXBase::ReadDescription() {
  LastError.clear();
  std::string fileName = path_ + "xbase.vlm";
  if (!FileExists(fileName)) return Fail("Failed to find dtabase file \"" + fileName + "\"");
  TMemIniFile ini(fileName);
  if (!ini.Loaded()) return Fail("Failed to read database file \"" + fileName + "\"");
  NoteDescriptionStamp();

  Name = ini.ReadString(kGeneral, "Name", "");
  Pass = ini.ReadBool(kGeneral, "Pass", Pass);
  std::string id = ini.ReadString(kGeneral, "ID", "");
  TGUID guid;
  // An empty or missing ID is the one case the open has always named so.
  if (id.empty()) return Fail("Invalid database ID");
  if (!TryStringToGUID(id, guid)) return Fail(DamagedKey("ID", kGeneral, "is not a database ID (a GUID)"));
  GUID = guid;

  // A damaged Count cannot make us look for more users than the section has
  // keys, and an entry without a login is no user.
  int32_t count = ini.ReadInteger(kUsers, "Count", 0);
  int32_t keys = int32_t(ini.ReadSection(kUsers).size());
  for (int32_t i = 0; i < count && i < keys; ++i) {
    std::string login = ini.ReadString(kUsers, UserKey(i, "_L"), "");
    if (login.empty()) continue;
    auto user = std::make_unique<TXUser>(login);
    user->Slot = i;
    user->Check = ini.ReadString(kUsers, UserKey(i, "_S"), "");
    user->Wrapped = ini.ReadString(kUsers, UserKey(i, "_P"), "");
    users_.push_back(std::move(user));
  }
  markerFound_ = ini.ReadBool(kEngine, "Open", false);
  ReadEngineState(ini);
  return true;
}

// Open found no user: the [USERS] section shows damage when its count is
// missing or no count, or when a user it counts has no login. A count of 0
// is well formed, and says the plain thing: there is no master account.
std::string TXBase::NoUserText() const {
  const std::string none = "Database has no master account";
  TMemIniFile ini(path_ + "xbase.vlm");
  if (!ini.Loaded()) return none;
  if (!ini.ValueExists(kUsers, "Count")) return DamagedKey("Count", kUsers, "is missing");
  const std::string count = ini.ReadString(kUsers, "Count", "");
  if (!IsCount(count)) return DamagedKey("Count", kUsers, "is not a count of users");
  const int32_t keys = int32_t(ini.ReadSection(kUsers).size());
  for (int32_t i = 0; i < StrToIntDef(count, 0) && i < keys; ++i)
    if (ini.ReadString(kUsers, UserKey(i, "_L"), "").empty())
      return DamagedKey(UserKey(i, "_L"), kUsers, "(a login) is missing or empty");
  return none;
}

// The login was refused: a wrong password, unless the entry shows damage.
std::string TXBase::LoginFailedText() const {
  using F = TXUser::TLoginFault;
  const int slot = std::max(user_->Slot, 0);
  const std::string check = UserKey(slot, "_S"), wrapped = UserKey(slot, "_P");
  const std::string of = " of login \"" + user_->Name + "\"";
  switch (user_->LoginFault) {
    case F::CheckForm:
      return DamagedKey(check, kUsers, "(the check value" + of + ") is not 64 hex digits");
    case F::WrappedForm:
      return DamagedKey(wrapped, kUsers, "(the wrapped key" + of + ") is neither empty nor 64 hex digits");
    case F::NoRights:
      return DamagedKey(check, kUsers, "(the check value" + of + ") gives the login no rights");
    case F::WrappedKind:
      return DamagedKey(wrapped, kUsers,
                        "(the wrapped key" + of + ") does not fit the rights its check value gives");
    case F::None:
    case F::Password:
      break;
  }
  return "Invalid password";
}

void TXBase::ReadEngineState(const TCustomIniFile& ini) {
  recordedEntries_ = std::max<int64_t>(0, StrToInt64Def(ini.ReadString(kEngine, kEntries, ""), 0));
  mark_ = TCommitMark();
  const std::string mark = ini.ReadString(kEngine, kCommit, "");
  markRead_ = mark_.FromText(mark);
  damagedMark_ = markRead_ ? std::string() : mark;
  const int64_t free = StrToInt64Def("$" + ini.ReadString(kEngine, kFree, ""), -1);
  freeRecorded_ = free >= 0 && free <= int64_t(UINT32_MAX);
  freeCheck_ = freeRecorded_ ? uint32_t(free) : 0;
  recordedDamage_ = ini.ReadString(kEngine, kDamage, "");
  clearing_ = ini.ReadBool(kEngine, kClearingKey, false);
  underway_ = ini.ReadString(kEngine, kUnderway, "");
  recordedIndexes_.clear();
  for (const std::string& key : ini.ReadSection(kEngine)) {
    if (key.size() <= 4 || key.compare(key.size() - 4, 4, kIndexSuffix) != 0) continue;
    int64_t crc = StrToInt64Def("$" + ini.ReadString(kEngine, key, ""), -1);
    if (crc >= 0 && crc <= int64_t(UINT32_MAX)) recordedIndexes_[key] = uint32_t(crc);
  }
}

void TXBase::WriteEngineState(TCustomIniFile& ini) const {
  ini.WriteString(kEngine, kEntries, IntToStr(mark_.Entries));
  ini.WriteString(kEngine, kCommit, mark_.ToText());
  if (freeRecorded_) ini.WriteString(kEngine, kFree, IntToHex(freeCheck_, 8));
  for (const auto& [file, crc] : recordedIndexes_) ini.WriteString(kEngine, file, IntToHex(crc, 8));
  for (const auto& [key, value] : commitKeys_) {
    if (value.empty())
      ini.DeleteKey(kEngine, key);
    else
      ini.WriteString(kEngine, key, value);
  }
}

void TXBase::SetCommitKey(const std::string& key, const std::string& value) {
  commitKeys_[key] = value;
}

void TXBase::SetUnderway(const std::string& what) {
  // One line of the description: a line break would end the value early.
  std::string text = what;
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  SetCommitKey(kUnderway, text);
}

bool TXBase::WriteDescription() {
  if (opened_ && !FolderStillOurs()) return Fail(RefusalText());
  if (WriteDescriptionFile(opened_)) return true;
  return FailWrite("Failed to write database description");
}

bool TXBase::WriteDescriptionFile(bool openMarker) {
  if (folderLoss_ != TFolderLoss::None) return false;
  // Other sections of the file are left as they stand.
  TMemIniFile ini(path_ + "xbase.vlm");
  ini.SetHooks(hooks_);
  ini.EraseSection(kGeneral);
  ini.WriteString(kGeneral, "Name", Name);
  ini.WriteString(kGeneral, "ID", GetIDText());
  ini.WriteBool(kGeneral, "Pass", Pass);
  ini.EraseSection(kUsers);
  ini.WriteInteger(kUsers, "Count", UserCount());
  for (int i = 0; i < UserCount(); ++i) {
    ini.WriteString(kUsers, UserKey(i, "_L"), users_[std::size_t(i)]->Name);
    ini.WriteString(kUsers, UserKey(i, "_S"), users_[std::size_t(i)]->Check);
    ini.WriteString(kUsers, UserKey(i, "_P"), users_[std::size_t(i)]->Wrapped);
  }
  ini.WriteBool(kEngine, "Open", openMarker);
  WriteEngineState(ini);
  const bool written = ini.UpdateFile();
  // A failed write may have replaced the file or left it: either way it is
  // as this session left it.
  if (folderLoss_ == TFolderLoss::None) NoteDescriptionStamp();
  if (!written) return false;
  markUnwritten_ = false;
  // A removed key is gone from the file now; one with a value stays for
  // every later write.
  std::erase_if(commitKeys_, [](const auto& key) { return key.second.empty(); });
  return true;
}

// Written on its own, so that the rest of the description (the commit mark
// above all) stays as the files were found.
void TXBase::RecordDamage(const std::string& text) {
  if (!recordedDamage_.empty() || path_.empty() || !FolderStillOurs()) return;
  TMemIniFile ini(path_ + "xbase.vlm");
  if (!ini.Loaded()) return;
  ini.SetHooks(hooks_);
  ini.WriteString(kEngine, kDamage, text);
  const bool written = ini.UpdateFile();
  if (folderLoss_ == TFolderLoss::None) NoteDescriptionStamp();
  if (written) recordedDamage_ = text;
}

void TXBase::ForgetDamage() {
  damage_.clear();
  recordedDamage_.clear();
  SetCommitKey(kDamage, "");
}

std::string TXBase::ReadEngineKey(const std::string& key) const {
  if (path_.empty()) return std::string();
  TMemIniFile ini(path_ + "xbase.vlm");
  return ini.ReadString(kEngine, key, "");
}

bool TXBase::WriteEngineKey(const std::string& key, const std::string& value) {
  LastError.clear();
  if (!opened_) return Fail("Database is not opened");
  FolderStillOurs();  // refused below when it is not
  TMemIniFile ini(path_ + "xbase.vlm");
  if (!ini.Loaded()) return Fail("Failed to read database description");
  if (RefuseWrite()) return false;
  ini.SetHooks(hooks_);
  ini.WriteString(kEngine, key, value);
  const bool written = ini.UpdateFile();
  if (folderLoss_ == TFolderLoss::None) NoteDescriptionStamp();
  if (!written) return FailWrite("Failed to write database description");
  return true;
}

bool TXBase::SaveContextFile() {
  TMemoryStream stream;
  if (!context_.SaveToStream(stream)) return false;
  std::string data(reinterpret_cast<const char*>(stream.Memory()), std::size_t(stream.Size()));
  return WriteFileAtomic(path_ + "context.vlm", data, hooks_);
}

bool TXBase::LoadContextFile() {
  try {
    return context_.LoadFromFile(path_ + "context.vlm");
  } catch (const Exception&) {
    return false;
  }
}

bool TXBase::DeleteIndexFiles() {
  // Only names this engine gives its sorted indexes ("0041-000.idx"), and
  // the temporary files of an interrupted save.
  static const std::regex kIndexName("[0-9A-F]{4,8}-[0-9A-F]{3}\\.idx(\\.tmp)?");
  std::vector<std::string> names;
  bool removed = ListFolder(path_, names);
  for (const auto& name : names)
    if (std::regex_match(name, kIndexName)) removed = DeleteFile(path_ + name, hooks_) && removed;
  return SyncDirectory(path_, hooks_) && removed;
}

TXUser* TXBase::FindUser(const std::string& login) const {
  for (const auto& user : users_)
    if (user->Name == login) return user.get();
  return nullptr;
}

TXUser* TXBase::GetUser(int i) const {
  QV_ASSERT(i >= 0 && i < UserCount());
  return users_[std::size_t(i)].get();
}

std::string TXBase::GetIDText() const {
  return GUIDToString(GUID);
}

void TXBase::SetIDText(const std::string& text) {
  GUID = StringToGUID(text);
}

}  // namespace qv
