// The data file: header handling, locking, and writing and reading record
// chains. A chain is assembled in memory and written with as few writes as
// possible; reading goes through a small read-ahead window so that a record
// of ordinary size costs one read. Positions are 64-bit throughout.
#include "storage/DataFile.h"

#include <errno.h>

#include <algorithm>
#include <cstring>

#include "classlib/Streams.h"
#include "classlib/SysUtils.h"
#include "platform/DateTime.h"
#include "platform/Exception.h"
#include "storage/Aes.h"
#include "storage/Crc32.h"
#include "storage/Users.h"

namespace qv {
namespace {

void PutLE(uint8_t* p, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) p[i] = uint8_t(v >> (8 * i));
}

uint64_t GetLE(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= uint64_t(p[i]) << (8 * i);
  return v;
}

void PutDateTime(uint8_t* p, double t) {
  uint64_t bits;
  std::memcpy(&bits, &t, sizeof bits);
  PutLE(p, bits, 8);
}

std::string Quoted(const std::string& text) {
  return "\"" + text + "\"";
}
std::string PositionText(int64_t position) {
  return Quoted(IntToHex(uint64_t(position), 16));
}

void AddTag(std::vector<uint8_t>& out, const TXTag& tag) {
  std::size_t at = out.size();
  out.resize(at + XTagSize);
  tag.ToBytes(out.data() + at);
}

constexpr std::size_t kOptionsOffset = 4;
constexpr std::size_t kTimeOffset = 8;
constexpr std::size_t kGuidOffset = 16;

// Reading through a window: one read usually brings a tag, its chunk and the
// end tag; longer chunks are read straight into their destination. Raw reads
// n bytes at a position and gives the count read, or -1.
template <class Raw>
class ChainReader {
 public:
  ChainReader(Raw& raw, TXFile::ReadWindows& windows) : raw_(raw), w_(windows) {}

  bool Read(int64_t position, uint8_t* dest, std::size_t n) {
    for (std::size_t i = 0; i < w_.windows.size(); ++i) {
      const TXFile::ReadWindow& w = w_.windows[i];
      if (position >= w.pos && position + int64_t(n) <= w.pos + w.len) {
        std::memcpy(dest, w.bytes.data() + (position - w.pos), n);
        w_.last = i;
        return true;
      }
    }
    if (n > w_.windows[0].bytes.size()) return raw_(position, dest, n) == int64_t(n);
    // The window not served from last is refilled.
    const std::size_t i = 1 - w_.last;
    TXFile::ReadWindow& w = w_.windows[i];
    w.len = 0;
    const int64_t got = raw_(position, w.bytes.data(), w.bytes.size());
    if (got < 0) return false;
    w.pos = position;
    w.len = got;
    w_.last = i;
    if (got < int64_t(n)) return false;
    std::memcpy(dest, w.bytes.data(), n);
    return true;
  }

 private:
  Raw& raw_;
  TXFile::ReadWindows& w_;
};

// Collects the chain's bytes into out, in a file of size bytes. Every length
// and target is checked against the file, and the tags and bytes met may not
// add up to more than the file holds, so a damaged chain (a jump cycle
// included) ends in failure with error set. On success end is the position
// after the end tag, and chainBytes the chain's size when it was one chunk
// followed by its end tag (else 0).
template <class Raw>
bool CollectChainFrom(Raw& raw, TXFile::ReadWindows& windows, int64_t size, std::vector<uint8_t>& out,
                      uint32_t& kindId, uint32_t& checksum, int64_t position, std::string& error,
                      int64_t& chainBytes, int64_t& end) {
  out.clear();
  chainBytes = 0;
  auto fail = [&error](std::string text) {
    error = std::move(text);
    return false;
  };
  if (position < 0) return fail("Failed to set position " + PositionText(position));
  ChainReader<Raw> reader(raw, windows);
  int tags = 0;
  int64_t here = position;
  int64_t budget = size;
  for (;;) {
    uint8_t raw9[XTagSize];
    budget -= int64_t(XTagSize);
    if (budget < 0 || !reader.Read(here, raw9, sizeof raw9)) return fail("Failed to read data tag");
    here += int64_t(XTagSize);
    ++tags;
    TXTag tag = TXTag::FromBytes(raw9);
    switch (tag.Type) {
      case ttData: {
        int64_t length = tag.Length();
        if (length < 0 || length > size - here || length > budget) return fail("Failed to read data");
        budget -= length;
        std::size_t at = out.size();
        out.resize(at + std::size_t(length));
        if (length > 0 && !reader.Read(here, out.data() + at, std::size_t(length)))
          return fail("Failed to read data");
        here += length;
        break;
      }
      case ttJump:
        if (tag.Target() < 0 || tag.Target() >= size)
          return fail("Failed to set position " + PositionText(tag.Target()));
        here = tag.Target();
        break;
      case ttEnd:
        kindId = tag.KindId();
        checksum = tag.Checksum();
        end = here;
        // One data tag, its bytes and the end tag right after them.
        if (tags == 2 && here - position == TXFile::ChainBytes(int64_t(out.size())))
          chainBytes = here - position;
        return true;
      default:
        return fail("Unknown data tag encountered " + Quoted(IntToHex(tag.Type, 2)));
    }
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Tags

TXTag TXTag::Data(int64_t length) {
  TXTag t;
  t.Type = ttData;
  PutLE(t.Payload, uint64_t(length), 8);
  return t;
}

TXTag TXTag::Jump(int64_t position) {
  TXTag t;
  t.Type = ttJump;
  PutLE(t.Payload, uint64_t(position), 8);
  return t;
}

TXTag TXTag::End(uint32_t kindId, uint32_t checksum) {
  TXTag t;
  t.Type = ttEnd;
  PutLE(t.Payload, kindId, 4);
  PutLE(t.Payload + 4, checksum, 4);
  return t;
}

int64_t TXTag::Int64() const {
  return int64_t(GetLE(Payload, 8));
}
uint32_t TXTag::KindId() const {
  return uint32_t(GetLE(Payload, 4));
}
uint32_t TXTag::Checksum() const {
  return uint32_t(GetLE(Payload + 4, 4));
}

void TXTag::ToBytes(uint8_t* bytes) const {
  bytes[0] = Type;
  std::memcpy(bytes + 1, Payload, sizeof Payload);
}

TXTag TXTag::FromBytes(const uint8_t* bytes) {
  TXTag t;
  t.Type = bytes[0];
  std::memcpy(t.Payload, bytes + 1, sizeof t.Payload);
  return t;
}

// ---------------------------------------------------------------------------
// Life cycle

TXFile::TXFile(std::string fileName, IDataFileOwner* owner) : fileName_(std::move(fileName)), owner_(owner) {
  QV_ASSERT(owner_ != nullptr);
}

TXFile::~TXFile() {
  if (IsOpen()) Close(true);
}

bool TXFile::Fail(std::string message) {
  lastError_ = std::move(message);
  return false;
}

bool TXFile::FailWrite(const std::string& message) {
  return Fail(message + ": " + file_.ErrorText());
}

void TXFile::CloseFile() {
  DropReadWindows();
  tail_.clear();
  file_.Close();  // also releases the lock
  headerKnown_ = false;
  size_ = -1;
  pos_ = 0;
}

// Opens (or, when create is set, makes when missing) the file and takes the
// exclusive lock. Nothing is truncated or written here: until the lock is
// held the file may be another session's.
bool TXFile::OpenLocked(bool create) {
  DropReadWindows();
  inUse_ = false;
  const bool readOnly = !create && owner_->OpensReadOnly();
  using Mode = BinaryFile::Mode;
  const Mode mode = create ? Mode::OpenOrCreate : readOnly ? Mode::Read : Mode::ReadWrite;
  if (!file_.Open(fileName_, mode, owner_->Hooks()))
    return Fail(std::string(create ? "Failed to create" : "Failed to open") + " data file " +
                Quoted(fileName_) + ": " + file_.ErrorText());
  // A file system without advisory locks is not refused; only a held lock is.
  if (!file_.TryLock() && (file_.Error() == EWOULDBLOCK || file_.Error() == EAGAIN)) {
    CloseFile();
    inUse_ = true;
    return Fail("Database is in use");
  }
  size_ = syncedSize_ = file_.Size();
  pos_ = 0;
  return true;
}

bool TXFile::CreateFile(TXFileOptions options) {
  lastError_.clear();
  // An open file is emptied where it is, under the lock it holds: letting
  // the lock go to make the file again would let another session in.
  const bool openedHere = !IsOpen();
  if (openedHere && !OpenLocked(true)) return false;
  DropReadWindows();
  tail_.clear();
  headerKnown_ = false;

  options_ = options;
  headerOptions_ = 0;
  header_.fill(0);
  PutLE(header_.data(), XFileSignature, 2);
  PutLE(header_.data() + 2, XFileVersion, 2);
  PutLE(header_.data() + kOptionsOffset, EncodeOptions(), 4);
  PutDateTime(header_.data() + kTimeOffset, Now());
  auto guid = owner_->DatabaseID().ToBytes();
  std::copy(guid.begin(), guid.end(), header_.begin() + kGuidOffset);

  // The fresh header goes first and the rest is cut after it: should either
  // fail, the file still begins with a header, and an open can tell what it
  // holds.
  size_ = file_.Size();
  if (!WriteAt(0, header_.data(), header_.size())) {
    if (openedHere) CloseFile();
    return FailWrite("Failed to write data file header");
  }
  if (!file_.Truncate(int64_t(XFileHeaderSize))) {
    std::string reason = file_.ErrorText();
    if (openedHere) CloseFile();
    return Fail("Failed to create data file " + Quoted(fileName_) + ": " + reason);
  }
  size_ = syncedSize_ = int64_t(XFileHeaderSize);
  pos_ = size_;
  stampOnDisk_ = Stamp();
  headerKnown_ = true;
  return true;
}

bool TXFile::Lock(bool create) {
  lastError_.clear();
  return IsOpen() || OpenLocked(create);
}

bool TXFile::Open() {
  lastError_.clear();
  if (!IsOpen() && !OpenLocked(false)) return false;

  std::array<uint8_t, XFileHeaderSize> header;
  const auto guid = owner_->DatabaseID().ToBytes();
  std::string failure;
  if (ReadRaw(0, header.data(), header.size()) != int64_t(header.size()))
    failure = "Failed to read data file header";
  else if (GetLE(header.data(), 2) != XFileSignature)
    failure = "Bad data file signature";  // the version is not examined
  else if (!std::equal(header.begin() + kGuidOffset, header.end(), guid.begin()))
    failure = "Bad database ID";
  if (!failure.empty()) {
    CloseFile();
    return Fail(failure);
  }
  header_ = header;
  headerKnown_ = true;
  stampOnDisk_ = Stamp();
  DecodeOptions(uint32_t(GetLE(header_.data() + kOptionsOffset, 4)));
  PutDateTime(header_.data() + kTimeOffset, Now());  // the stamp records the last opening
  return true;
}

bool TXFile::Close(bool rewriteHeader) {
  if (!IsOpen()) return false;
  bool ok = FlushTail();
  if (!ok) FailWrite("Failed to write record data");
  if (rewriteHeader && headerKnown_) {
    PutLE(header_.data() + kOptionsOffset, EncodeOptions(), 4);
    bool written = WriteAt(0, header_.data(), header_.size());
    if (!written) FailWrite("Failed to write data file header");
    ok = ok && written;
  }
  CloseFile();
  return ok;
}

int64_t TXFile::Size() const {
  return IsOpen() ? size_ : -1;
}

bool TXFile::Sync() {
  if (!IsOpen()) return Fail("Data file is not opened");
  if (!FlushTail()) return Fail("Failed to write data file " + Quoted(fileName_) + ": " + file_.ErrorText());
  if (!file_.Sync()) return Fail("Failed to sync data file " + Quoted(fileName_) + ": " + file_.ErrorText());
  syncedSize_ = size_;
  return true;
}

uint32_t TXFile::EncodeOptions() const {
  return (headerOptions_ & ~1u) | (options_.Contains(TXFileOption::foEnciphered) ? 1u : 0u);
}

void TXFile::DecodeOptions(uint32_t bits) {
  headerOptions_ = bits;
  options_ = (bits & 1) ? TXFileOptions{TXFileOption::foEnciphered} : TXFileOptions{};
}

// ---------------------------------------------------------------------------
// Positions and tags

bool TXFile::SetPosition(int64_t position) {
  if (position < 0) return false;
  pos_ = position;
  return true;
}

// With write-behind on, appends at the end of the file collect in a buffer that goes to
// the file in large writes (at Sync, at Close, when it grows large, and before
// anything reads or rewrites the bytes it holds). A failed buffer write keeps
// the bytes for the next attempt, so the file never has a hole.
bool TXFile::FlushTail() {
  if (tail_.empty()) return true;
  if (!file_.WriteAt(tailStart_, tail_.data(), tail_.size())) return false;
  tail_.clear();
  return true;
}

void TXFile::DropUnwritten() {
  DropReadWindows();
  tail_.clear();
  const int64_t size = file_.Size();
  if (size >= 0) size_ = size;
}

// Bytes still held for writing are read from the buffer when it cannot be
// written (a full disc): what it holds is not lost to reading, and a
// failed write is not taken for damage.
int64_t TXFile::ReadRaw(int64_t position, void* dest, std::size_t n) {
  if (tail_.empty() || position + int64_t(n) <= tailStart_ || FlushTail())
    return file_.ReadAt(position, dest, n);
  auto* out = static_cast<uint8_t*>(dest);
  std::size_t got = 0;
  if (position < tailStart_) {
    const int64_t before = file_.ReadAt(position, out, std::size_t(tailStart_ - position));
    if (before != tailStart_ - position) return before;
    got = std::size_t(before);
  }
  const std::size_t from = std::size_t(std::max(position, tailStart_) - tailStart_);
  if (from >= tail_.size()) return int64_t(got);
  const std::size_t take = std::min(n - got, tail_.size() - from);
  std::memcpy(out + got, tail_.data() + from, take);
  return int64_t(got + take);
}

bool TXFile::WriteAt(int64_t position, const void* bytes, std::size_t n) {
  DropReadWindows();
  ++writes_;
  if (writeBehind_ && position == size_ && position > 0) {
    // A buffer full since a write of it failed (a full disc) takes no more:
    // it would grow with every chain and be tried whole for each of them.
    if (tail_.size() >= kTailLimit && !FlushTail()) return false;
    if (tail_.empty()) tailStart_ = position;
    const auto* p = static_cast<const uint8_t*>(bytes);
    tail_.insert(tail_.end(), p, p + n);
    pos_ = size_ = position + int64_t(n);
    return tail_.size() < kTailLimit || FlushTail();
  }
  if (!tail_.empty() && position + int64_t(n) > tailStart_ && !FlushTail()) return false;
  if (!file_.WriteAt(position, bytes, n)) {
    // A failed write may still have grown the file; it never shrinks what
    // the file holds, write-behind bytes included.
    int64_t size = file_.Size();
    if (size >= 0) size_ = std::max(size_, size);
    return false;
  }
  pos_ = position + int64_t(n);
  size_ = std::max(size_, pos_);
  return true;
}

bool TXFile::WriteTag(const TXTag& tag) {
  uint8_t bytes[XTagSize];
  tag.ToBytes(bytes);
  return IsOpen() && WriteAt(pos_, bytes, sizeof bytes);
}

bool TXFile::WriteDataTag(int64_t length) {
  return WriteTag(TXTag::Data(length));
}
bool TXFile::WriteJumpTag(int64_t position) {
  return WriteTag(TXTag::Jump(position));
}
bool TXFile::WriteEndTag(uint32_t kindId, uint32_t checksum) {
  return WriteTag(TXTag::End(kindId, checksum));
}

bool TXFile::ReadTag(TXTag& tag) {
  uint8_t bytes[XTagSize];
  if (!IsOpen() || ReadRaw(pos_, bytes, sizeof bytes) != int64_t(sizeof bytes)) return false;
  tag = TXTag::FromBytes(bytes);
  pos_ += XTagSize;
  return true;
}

// ---------------------------------------------------------------------------
// Writing records

int64_t TXFile::StoredLength(int64_t n) const {
  if (!options_.Contains(TXFileOption::foEnciphered)) return n;
  return (n + int64_t(AESBlockSize) - 1) / int64_t(AESBlockSize) * int64_t(AESBlockSize);
}

bool TXFile::PrepareBytes(TMemoryStream& data, const uint8_t*& bytes, int64_t& n, uint32_t& checksum) {
  bytes = data.Memory();
  n = data.Size();
  if (options_.Contains(TXFileOption::foEnciphered)) {
    const TXUser* user = owner_->LoggedInUser();
    if (!user) return Fail("No user is logged in");
    n = StoredLength(n);
    data.SetSize(n);  // the zero fill belongs to the caller's stream, as the checksum covers it
    checksum = StreamCRC32(data);
    payload_.resize(std::size_t(n));
    AESEncryptECB(data.Memory(), payload_.data(), payload_.size(), user->EncryptionSchedule());
    bytes = payload_.data();
  } else {
    checksum = StreamCRC32(data);
    bytes = data.Memory();
  }
  data.Seek(0, TSeekOrigin::soEnd);
  return true;
}

int64_t TXFile::WriteData(uint32_t kindId, TMemoryStream& data, int64_t position) {
  lastError_.clear();
  if (!IsOpen()) {
    Fail("Data file is not opened");
    return -1;
  }
  if (position < 0) position = Size();
  const uint8_t* bytes = nullptr;
  int64_t n = 0;
  uint32_t checksum = 0;
  if (!PrepareBytes(data, bytes, n, checksum)) return -1;
  if (!WriteChainBytes(bytes, n, kindId, position, checksum)) return -1;
  return position;
}

int64_t TXFile::PlaceData(uint32_t kindId, TMemoryStream& data, int64_t position) {
  lastError_.clear();
  if (!IsOpen()) {
    Fail("Data file is not opened");
    return -1;
  }
  const uint8_t* bytes = nullptr;
  int64_t n = 0;
  uint32_t checksum = 0;
  if (!PrepareBytes(data, bytes, n, checksum)) return -1;
  return PlaceChain(bytes, n, kindId, checksum, position);
}

int64_t TXFile::PlaceChain(const uint8_t* bytes, int64_t n, uint32_t kindId, uint32_t checksum,
                           int64_t position) {
  lastError_.clear();
  if (!IsOpen()) {
    Fail("Data file is not opened");
    return -1;
  }
  if (position < 0) position = Size();
  if (position < int64_t(XFileHeaderSize) || position > size_) {
    Fail("Failed to set position " + PositionText(position));
    return -1;
  }
  if (!AppendChain(bytes, n, kindId, position, checksum)) return -1;
  return position;
}

bool TXFile::WriteRecord(TStream& source, uint32_t kindId, int64_t position, uint32_t checksum) {
  lastError_.clear();
  if (!IsOpen()) return Fail("Data file is not opened");
  source.SetPosition(0);
  std::vector<uint8_t> bytes(std::size_t(std::max<int64_t>(source.Size(), 0)));
  if (source.Read(bytes.data(), int64_t(bytes.size())) != int64_t(bytes.size()))
    return Fail("Failed to write record data");
  return WriteChainBytes(bytes.data(), int64_t(bytes.size()), kindId, position, checksum);
}

bool TXFile::WriteChainBytes(const uint8_t* bytes, int64_t n, uint32_t kindId, int64_t position,
                             uint32_t checksum) {
  if (position < 0) return Fail("Failed to set position " + PositionText(position));
  if (size_ <= position) return AppendChain(bytes, n, kindId, position, checksum);
  return RewriteChain(bytes, n, kindId, position, checksum);
}

// A data tag, the bytes and the end tag in one write.
bool TXFile::AppendChain(const uint8_t* bytes, int64_t n, uint32_t kindId, int64_t position,
                         uint32_t checksum) {
  out_.clear();
  AddTag(out_, TXTag::Data(n));
  out_.insert(out_.end(), bytes, bytes + n);
  AddTag(out_, TXTag::End(kindId, checksum));
  if (!WriteAt(position, out_.data(), out_.size())) return FailWrite("Failed to write record data");
  return true;
}

// Walks the old chain, filling each of its chunks, and continues at the end of
// the file when the record grew. The old chain comes from the file, so it is
// checked like a chain being read: a damaged one (negative or oversized
// lengths, targets outside the file, more tags than the file can hold) fails
// the write, and the database then appends the record anew.
bool TXFile::RewriteChain(const uint8_t* bytes, int64_t n, uint32_t kindId, int64_t position,
                          uint32_t checksum) {
  int64_t remaining = n;
  int64_t here = position;
  int64_t budget = size_;  // a sound chain never covers more bytes than the file holds
  for (;;) {
    uint8_t raw[XTagSize];
    budget -= int64_t(XTagSize);
    if (budget < 0 || here < 0 || ReadRaw(here, raw, sizeof raw) != int64_t(sizeof raw))
      return Fail("Failed to read record beginning");
    TXTag tag = TXTag::FromBytes(raw);
    switch (tag.Type) {
      case ttData: {
        int64_t length = tag.Length();
        if (length < 0 || length > size_ - here - int64_t(XTagSize) || length > budget)
          return Fail("Failed to read record beginning");
        budget -= length;
        int64_t chunk = std::min(remaining, length);
        out_.clear();
        AddTag(out_, TXTag::Data(chunk));
        out_.insert(out_.end(), bytes, bytes + chunk);
        bytes += chunk;
        remaining -= chunk;
        if (remaining == 0) AddTag(out_, TXTag::End(kindId, checksum));
        if (!WriteAt(here, out_.data(), out_.size())) return FailWrite("Failed to write data");
        if (remaining == 0) return true;
        here += int64_t(XTagSize) + length;
        break;
      }
      case ttJump:
        // An empty record meeting a jump ends the chain here. Otherwise the
        // jump tag stays as it is (rewriting the same 9 bytes changes nothing).
        if (remaining == 0) return WriteEndTagAt(here, kindId, checksum);
        if (tag.Target() < 0 || tag.Target() >= size_)
          return Fail("Failed to set position " + PositionText(tag.Target()));
        here = tag.Target();
        break;
      case ttEnd: {
        if (remaining == 0) return WriteEndTagAt(here, kindId, checksum);
        int64_t tail = size_;
        uint8_t jump[XTagSize];
        TXTag::Jump(tail).ToBytes(jump);
        if (!WriteAt(here, jump, sizeof jump)) return FailWrite("Failed to write jump tag");
        if (!AppendChain(bytes, remaining, kindId, tail, checksum))
          return FailWrite("Failed to write beginning tag");
        return true;
      }
      default:
        return Fail("Unknown data tag encountered " + Quoted(IntToHex(tag.Type, 2)));
    }
  }
}

bool TXFile::WriteEndTagAt(int64_t position, uint32_t kindId, uint32_t checksum) {
  uint8_t raw[XTagSize];
  TXTag::End(kindId, checksum).ToBytes(raw);
  if (!WriteAt(position, raw, sizeof raw)) return FailWrite("Failed to write ending tag");
  return true;
}

// ---------------------------------------------------------------------------
// Reading records

bool TXFile::CollectChain(std::vector<uint8_t>& out, uint32_t& kindId, uint32_t& checksum, int64_t position) {
  lastError_.clear();
  auto raw = [this](int64_t at, void* dest, std::size_t n) { return ReadRaw(at, dest, n); };
  int64_t end = -1;
  if (!CollectChainFrom(raw, windows_, size_, out, kindId, checksum, position, lastError_, lastChainBytes_,
                        end))
    return false;
  pos_ = end;
  return true;
}

bool TXFile::ReadChain(TStream& destination, uint32_t& kindId, uint32_t& checksum, int64_t position) {
  destination.SetPosition(0);
  if (!IsOpen()) return Fail("Data file is not opened");
  if (!CollectChain(chain_, kindId, checksum, position)) return false;
  destination.WriteBuffer(chain_.data(), int64_t(chain_.size()));
  return true;
}

bool TXFile::VerifyChain(std::vector<uint8_t>& chain, uint32_t stored, std::string& error) const {
  if (Enciphered()) {
    const TXUser* user = owner_->LoggedInUser();
    // A length that is no multiple of the block size can only come from a
    // damaged file: it fails the read instead of raising the cipher's error.
    if (!user || chain.size() % AESBlockSize != 0) {
      error = "File reading failure";
      return false;
    }
    AESDecryptECB(chain.data(), chain.data(), chain.size(), user->DecryptionSchedule());
  }
  const uint32_t computed = CalcCRC32(chain.data(), chain.size());
  if (computed != stored) {
    error = "Data corrupted [" + IntToHex(computed, 8) + "<>" + IntToHex(stored, 8) + "]";
    return false;
  }
  return true;
}

template <class Raw>
bool TXFile::ReadVerified(Raw&& raw, ReadWindows& windows, int64_t size, std::vector<uint8_t>& chain,
                          uint32_t& kindId, int64_t position, std::string& error, int64_t& chainBytes,
                          int64_t& end) const {
  if (position < 0 || position >= size) {
    error = "Bad reading position " + PositionText(position);
    return false;
  }
  uint32_t stored = 0;
  if (!CollectChainFrom(raw, windows, size, chain, kindId, stored, position, error, chainBytes, end)) {
    error = "File reading failure";
    return false;
  }
  return VerifyChain(chain, stored, error);
}

bool TXFile::ReadRecord(uint32_t& kindId, TMemoryStream& destination, int64_t position) {
  lastError_.clear();
  if (!IsOpen()) return Fail("Data file is not opened");
  auto raw = [this](int64_t at, void* dest, std::size_t n) { return ReadRaw(at, dest, n); };
  uint32_t storedKind = 0;
  int64_t end = -1;
  const bool ok =
      ReadVerified(raw, windows_, size_, chain_, storedKind, position, lastError_, lastChainBytes_, end);
  if (end >= 0) pos_ = end;
  if (!ok) return false;
  if (!Enciphered()) destination.SetPosition(0);
  destination.WriteBuffer(chain_.data(), int64_t(chain_.size()));
  destination.SetPosition(0);
  kindId = storedKind;
  return true;
}

bool TXFile::PrepareSharedReads(TSharedReader& reader) {
  lastError_.clear();
  if (!IsOpen()) return Fail("Data file is not opened");
  if (!FlushTail()) return Fail("Failed to write data file " + Quoted(fileName_) + ": " + file_.ErrorText());
  reader.windows = ReadWindows{};
  reader.size = size_;
  return true;
}

bool TXFile::ReadRecordShared(TSharedReader& reader, uint32_t& kindId, int64_t position) const {
  reader.error.clear();
  if (!IsOpen()) {
    reader.error = "Data file is not opened";
    return false;
  }
  auto raw = [this](int64_t at, void* dest, std::size_t n) { return file_.ReadShared(at, dest, n); };
  int64_t end = -1;
  return ReadVerified(raw, reader.windows, reader.size, reader.chain, kindId, position, reader.error,
                      reader.chainBytes, end);
}

// Its size to the byte as its own writes left it; only bytes held for
// writing whose write failed part way may lie past where they begin.
bool TXFile::SizeAsLeft() const {
  return !IsOpen() || SizeFits(file_.Size());
}

bool TXFile::SizeFits(int64_t size) const {
  const int64_t least = tail_.empty() ? size_ : tailStart_;
  return size >= 0 && size >= least && size <= size_;
}

bool TXFile::AsLeft() {
  if (!IsOpen()) return true;
  int64_t size = -1;
  if (!file_.IsAt(fileName_, size) || !SizeFits(size)) return false;
  if (!headerKnown_) return true;
  // The header as on disk: the stamp of the opening before this one (this
  // one's is written at the close), and the database's ID.
  std::array<uint8_t, XFileHeaderSize> header;
  if (file_.ReadShared(0, header.data(), header.size()) != int64_t(header.size())) return false;
  return GetLE(header.data() + kTimeOffset, 8) == stampOnDisk_ &&
         std::equal(header.begin() + kGuidOffset, header.end(), header_.begin() + kGuidOffset);
}

uint64_t TXFile::Stamp() const {
  return GetLE(header_.data() + kTimeOffset, 8);
}

bool TXFile::Truncate(int64_t size) {
  if (!IsOpen()) return Fail("Data file is not opened");
  if (size < int64_t(XFileHeaderSize)) return Fail("Bad data file size " + IntToStr(size));
  if (!FlushTail() || !file_.Truncate(size))
    return Fail("Failed to truncate data file " + Quoted(fileName_) + ": " + file_.ErrorText());
  // Its size is known before the sync, at which the folder's guard looks.
  DropReadWindows();
  size_ = syncedSize_ = size;
  pos_ = std::min(pos_, size_);
  ++writes_;
  if (!file_.Sync())
    return Fail("Failed to truncate data file " + Quoted(fileName_) + ": " + file_.ErrorText());
  return true;
}

}  // namespace qv
