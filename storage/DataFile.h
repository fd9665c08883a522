// The data file storage.vlm: a 32-byte header, then records stored as chains
// of 9-byte tags and chunks (data tag + bytes, jump tags, one end tag carrying
// the kind id and checksum). Records are enciphered with the logged-in user's
// key; a rewritten record keeps its first position and grows at the file end.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/BinaryFile.h"
#include "platform/Set.h"
#include "storage/DataFileOwner.h"

namespace qv {

class TStream;
class TMemoryStream;

enum class TXFileOption { foEnciphered };  // bit 0 of the header's options
using TXFileOptions = Set<TXFileOption, 8>;

constexpr uint16_t XFileSignature = 0xBEBA;
constexpr uint16_t XFileVersion = 1;
constexpr std::size_t XFileHeaderSize = 32;
constexpr std::size_t XTagSize = 9;

enum TXTagType : uint8_t { ttData = 1, ttJump = 2, ttEnd = 3 };

// One tag as stored: a type byte and an 8-byte little-endian payload.
struct TXTag {
  uint8_t Type = 0;
  uint8_t Payload[8] = {};

  static TXTag Data(int64_t length);
  static TXTag Jump(int64_t position);
  static TXTag End(uint32_t kindId, uint32_t checksum);
  int64_t Length() const { return Int64(); }  // data tag
  int64_t Target() const { return Int64(); }  // jump tag
  uint32_t KindId() const;                    // end tag
  uint32_t Checksum() const;                  // end tag
  void ToBytes(uint8_t* bytes) const;         // 9 bytes
  static TXTag FromBytes(const uint8_t* bytes);

 private:
  int64_t Int64() const;
};

class TXFile {
 public:
  // Closed; owner supplies the database ID and the logged-in user's key.
  TXFile(std::string fileName, IDataFileOwner* owner);
  // Closes with the header rewritten when open.
  ~TXFile();
  TXFile(const TXFile&) = delete;
  TXFile& operator=(const TXFile&) = delete;

  bool IsOpen() const { return file_.IsOpen(); }
  // Gives the file a fresh header and nothing else: made (or emptied) and
  // locked when closed, emptied in place under its lock when open.
  bool CreateFile(TXFileOptions options);
  // Opens and locks an existing file (with create, makes it when missing),
  // reading and changing nothing: a database is read or made only under its
  // lock. False with "Database is in use" (InUse) when another session
  // holds it, else with why the file did not open.
  bool Lock(bool create = false);
  // Whether the file's name now names this open file, and not another put
  // in its place (a folder replaced while open).
  bool IsAt() const { return file_.IsAt(fileName_); }
  // The file as this session left it, in a change's middle too: still at
  // its name, its size what its writes made it, and its header's stamp and
  // ID as on disk since the open. False when another program wrote over it.
  bool AsLeft();
  // Its size alone as its writes made it.
  bool SizeAsLeft() const;
  bool SizeFits(int64_t size) const;
  bool InUse() const { return inUse_; }
  // Opens and locks an existing file (unless Lock did) and checks its header.
  // For an owner that cannot write, for reading only (locked all the same).
  bool Open();
  // False when not open; with rewriteHeader the 32 header bytes are written
  // back first and the result tells whether that worked. Closed either way.
  bool Close(bool rewriteHeader);
  int64_t Size() const;  // -1 when closed
  // fsync of the file (after writing what write-behind holds); false with
  // LastError when it fails.
  bool Sync();
  // Write-behind: appended chains are buffered and reach the file in large
  // writes at the latest at Sync or Close, so a write failure may only show
  // there. For owners that Sync before they rely on what was written.
  // Gives up the appended bytes still held for writing (a write that keeps
  // failing, which the database gives up): the file reads as it stands.
  void DropUnwritten();
  void SetWriteBehind(bool on) { writeBehind_ = on; }

  // The single current position that the tag operations use.
  int64_t Position() const { return pos_; }
  bool SetPosition(int64_t position);  // false for a negative position

  // One tag at the current position; true when all 9 bytes were written/read.
  bool WriteDataTag(int64_t length);
  bool WriteJumpTag(int64_t position);
  bool WriteEndTag(uint32_t kindId, uint32_t checksum);
  bool ReadTag(TXTag& tag);

  // Stores a record's encoding at position (below 0: append). The data stream
  // is zero-filled to a multiple of 16 when enciphered. The position, or -1.
  int64_t WriteData(uint32_t kindId, TMemoryStream& data, int64_t position);
  // Stores a record's encoding as one chunk at position (below 0: append),
  // whatever the bytes there: for space the caller knows to be free. The
  // chain takes ChainBytes(padded length) bytes. The position, or -1.
  int64_t PlaceData(uint32_t kindId, TMemoryStream& data, int64_t position);
  // Writes stored bytes already prepared (enciphered when the file is) as
  // one chunk at position (below 0: append), as PlaceData does.
  int64_t PlaceChain(const uint8_t* bytes, int64_t n, uint32_t kindId, uint32_t checksum, int64_t position);
  bool Enciphered() const { return options_.Contains(TXFileOption::foEnciphered); }
  // The stored length of an encoding of n bytes (padded when enciphered).
  int64_t StoredLength(int64_t n) const;
  // Bytes of a one-chunk chain holding length stored bytes.
  static int64_t ChainBytes(int64_t length) { return int64_t(2 * XTagSize) + length; }
  // Bytes of the chain that the last successful ReadRecord or ReadChain
  // read when it was one chunk followed by its end tag; 0 otherwise.
  int64_t LastChainBytes() const { return lastChainBytes_; }
  // Writes prepared (enciphered) bytes as a chain at position, rewriting an
  // existing chain in place when position lies inside the file.
  bool WriteRecord(TStream& source, uint32_t kindId, int64_t position, uint32_t checksum);
  // Collects the chain's bytes into destination (rewound, not emptied).
  bool ReadChain(TStream& destination, uint32_t& kindId, uint32_t& checksum, int64_t position);
  // Reads, deciphers and verifies the record at position into destination.
  bool ReadRecord(uint32_t& kindId, TMemoryStream& destination, int64_t position);

  // Stretches of the file that chain reads were last served from: records
  // read one after another in storage order then cost one read call per
  // few dozen records. Two, so that reading a record and the record it
  // refers to in turn keeps both. Any write or reopening drops them.
  struct ReadWindow {
    std::array<uint8_t, 4096> bytes;
    int64_t pos = 0;
    int64_t len = 0;
  };
  struct ReadWindows {
    std::array<ReadWindow, 2> windows{};
    std::size_t last = 0;
  };
  // What one thread needs to read records beside others: its own windows
  // and buffer, and the file's size when the reads began.
  struct TSharedReader {
    ReadWindows windows;
    std::vector<uint8_t> chain;  // the last record read, deciphered
    std::string error;           // why the last read failed, as LastError would say
    int64_t chainBytes = 0;      // as LastChainBytes
    int64_t size = 0;
  };
  // Readies reader for ReadRecordShared: the bytes write-behind holds go to
  // the file first. False with LastError when they cannot.
  bool PrepareSharedReads(TSharedReader& reader);
  // ReadRecord into reader.chain: any number of threads at once, each with
  // its own reader, as long as nothing writes the file meanwhile.
  bool ReadRecordShared(TSharedReader& reader, uint32_t& kindId, int64_t position) const;
  // Counts the writes made to the file: readers sharing it can tell that
  // something was written since they began.
  uint64_t Writes() const { return writes_; }

  uint32_t EncodeOptions() const;  // the header's bits, bit 0 from OptionSet
  void DecodeOptions(uint32_t bits);

  const std::string& FileName() const { return fileName_; }
  IDataFileOwner* Owner() const { return owner_; }
  const std::string& LastError() const { return lastError_; }
  TXFileOptions OptionSet() const { return options_; }
  // The 32 header bytes as last read or written (time stamp: last opening).
  const std::array<uint8_t, XFileHeaderSize>& Header() const { return header_; }
  // The header's time stamp (raw bits): this opening's (which Close with
  // the header rewritten writes), and the one the file held when opened.
  uint64_t Stamp() const;
  uint64_t StampOnDisk() const { return stampOnDisk_; }
  // Cuts the file to size bytes (never into the header) and syncs it; false
  // with LastError.
  bool Truncate(int64_t size);
  // DataFileChains.cpp. The CRC-32 of a one-chunk chain's data tag and end
  // tag (18 bytes: the length, kind and checksum of what it holds); false
  // when no such chain begins at position.
  bool ChainCheck(int64_t position, uint32_t& check);
  // Appends the stretches (position, bytes) that the chain at position
  // takes, tags included; false when its tags do not form a chain.
  bool ChainPieces(int64_t position, std::vector<std::pair<int64_t, int64_t>>& pieces);

 private:
  bool Fail(std::string message);
  // Fail with the system's reason for the failed write.
  bool FailWrite(const std::string& message);
  bool OpenLocked(bool create);
  bool WriteTag(const TXTag& tag);
  bool WriteAt(int64_t position, const void* bytes, std::size_t n);
  bool FlushTail();
  int64_t ReadRaw(int64_t position, void* dest, std::size_t n);
  static constexpr std::size_t kTailLimit = 1 << 20;
  // Pads and (when enciphered) enciphers the record's bytes; the bytes to
  // store (in data or payload_), their count and checksum.
  bool PrepareBytes(TMemoryStream& data, const uint8_t*& bytes, int64_t& n, uint32_t& checksum);
  bool WriteChainBytes(const uint8_t* bytes, int64_t n, uint32_t kindId, int64_t position, uint32_t checksum);
  bool AppendChain(const uint8_t* bytes, int64_t n, uint32_t kindId, int64_t position, uint32_t checksum);
  bool RewriteChain(const uint8_t* bytes, int64_t n, uint32_t kindId, int64_t position, uint32_t checksum);
  bool WriteEndTagAt(int64_t position, uint32_t kindId, uint32_t checksum);
  bool CollectChain(std::vector<uint8_t>& out, uint32_t& kindId, uint32_t& checksum, int64_t position);
  // The reading, deciphering and check of ReadRecord through raw reads;
  // end is set past the chain's end tag when the chain was collected.
  template <class Raw>
  bool ReadVerified(Raw&& raw, ReadWindows& windows, int64_t size, std::vector<uint8_t>& chain,
                    uint32_t& kindId, int64_t position, std::string& error, int64_t& chainBytes,
                    int64_t& end) const;
  bool VerifyChain(std::vector<uint8_t>& chain, uint32_t stored, std::string& error) const;
  void CloseFile();

  std::string fileName_;
  bool inUse_ = false;
  bool headerKnown_ = false;  // read or made: only then is it ever written back
  IDataFileOwner* owner_;
  std::string lastError_;
  std::array<uint8_t, XFileHeaderSize> header_{};
  TXFileOptions options_;
  uint32_t headerOptions_ = 0;  // the bits as read, written back unchanged
  BinaryFile file_;
  int64_t pos_ = 0;
  int64_t size_ = -1;             // kept in memory: the lock keeps other writers out
  int64_t syncedSize_ = -1;       // the size as last synced (or opened, made, cut)
  std::vector<uint8_t> payload_;  // enciphered record bytes
  std::vector<uint8_t> out_;      // tags and bytes assembled for one write
  std::vector<uint8_t> chain_;    // a chain's bytes as read
  std::vector<uint8_t> tail_;     // appended bytes not yet written (from tailStart_ on)
  int64_t tailStart_ = 0;
  int64_t lastChainBytes_ = 0;
  bool writeBehind_ = false;
  ReadWindows windows_;
  uint64_t writes_ = 0;
  uint64_t stampOnDisk_ = 0;
  void DropReadWindows() {
    for (ReadWindow& w : windows_.windows) w.len = 0;
  }
};

}  // namespace qv
