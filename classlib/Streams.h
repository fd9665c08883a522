// Streams of the class library: the abstract TStream with its raising
// ReadBuffer/WriteBuffer, a growable memory stream and a file stream.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/BinaryFile.h"
#include "platform/Exception.h"

namespace qv {

class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  // Reads or writes up to count bytes at the position; the number moved.
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;
  virtual int64_t Size();
  virtual void SetSize(int64_t size);

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t pos) { Seek(pos, TSeekOrigin::soBeginning); }
  // Where a seek from origin lands, for a stream at current of size bytes (never before 0).
  static int64_t SeekTarget(int64_t current, int64_t size, int64_t offset, TSeekOrigin origin);
  // Raise EReadError "Stream read error" / EWriteError "Stream write error" when short.
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies count bytes from the source's position; count 0 copies the whole source from 0.
  int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
 public:
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return int64_t(data_.size()); }
  void SetSize(int64_t size) override;

  void Clear();
  uint8_t* Memory() { return data_.data(); }
  const uint8_t* Memory() const { return data_.data(); }
  // Raise EFOpenError/EFCreateError or EReadError/EWriteError like the file stream.
  void LoadFromFile(const std::string& fileName);
  void SaveToFile(const std::string& fileName);
  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& dest);

 private:
  std::vector<uint8_t> data_;
  int64_t pos_ = 0;
};

enum TFileMode : unsigned { fmOpenRead = 0, fmOpenWrite = 1, fmOpenReadWrite = 2, fmCreate = 0xFF00 };

class TFileStream : public TStream {
 public:
  // Raises EFCreateError or EFOpenError when the file cannot be created or opened.
  TFileStream(const std::string& fileName, unsigned mode);
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return file_.Size(); }
  void SetSize(int64_t size) override;
  bool Flush() { return file_.Sync(); }
  const std::string& FileName() const { return fileName_; }

 private:
  BinaryFile file_;
  std::string fileName_;
  int64_t pos_ = 0;
  bool writable_ = false;
};

}  // namespace qv
