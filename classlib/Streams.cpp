// Stream implementations.
#include "classlib/Streams.h"

#include <algorithm>
#include <cstring>

namespace qv {

int64_t TStream::Size() {
  int64_t pos = Seek(0, TSeekOrigin::soCurrent);
  int64_t end = Seek(0, TSeekOrigin::soEnd);
  Seek(pos, TSeekOrigin::soBeginning);
  return end;
}

void TStream::SetSize(int64_t) {}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  int64_t left = count;
  std::vector<uint8_t> buf(std::size_t(std::min<int64_t>(left, 1 << 16)));
  while (left > 0) {
    int64_t n = std::min<int64_t>(left, int64_t(buf.size()));
    source.ReadBuffer(buf.data(), n);
    WriteBuffer(buf.data(), n);
    left -= n;
  }
  return count;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || pos_ >= int64_t(data_.size())) return 0;
  int64_t n = std::min<int64_t>(count, int64_t(data_.size()) - pos_);
  std::memcpy(buffer, data_.data() + pos_, std::size_t(n));
  pos_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (pos_ + count > int64_t(data_.size())) data_.resize(std::size_t(pos_ + count));
  std::memcpy(data_.data() + pos_, buffer, std::size_t(count));
  pos_ += count;
  return count;
}

int64_t TStream::SeekTarget(int64_t current, int64_t size, int64_t offset, TSeekOrigin origin) {
  const int64_t base = origin == TSeekOrigin::soBeginning ? 0
                       : origin == TSeekOrigin::soCurrent ? current
                                                          : size;
  return std::max<int64_t>(base + offset, 0);
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  pos_ = SeekTarget(pos_, int64_t(data_.size()), offset, origin);
  return pos_;
}

void TMemoryStream::SetSize(int64_t size) {
  data_.resize(std::size_t(std::max<int64_t>(size, 0)));
  if (pos_ > size) pos_ = size;
}

void TMemoryStream::Clear() {
  data_.clear();
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
  TFileStream f(fileName, fmOpenRead);
  LoadFromStream(f);
}

void TMemoryStream::SaveToFile(const std::string& fileName) {
  TFileStream f(fileName, fmCreate);
  SaveToStream(f);
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  int64_t n = source.Size();
  SetSize(n);
  source.ReadBuffer(data_.data(), n);
  pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream& dest) {
  dest.WriteBuffer(data_.data(), int64_t(data_.size()));
}

TFileStream::TFileStream(const std::string& fileName, unsigned mode) : fileName_(fileName) {
  if (mode == fmCreate) {
    if (!file_.Open(fileName, BinaryFile::Mode::Create))
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + file_.ErrorText());
    writable_ = true;
    return;
  }
  unsigned access = mode & 3;
  auto m = access == fmOpenRead ? BinaryFile::Mode::Read : BinaryFile::Mode::ReadWrite;
  if (!file_.Open(fileName, m))
    throw EFOpenError("Cannot open file \"" + fileName + "\". " + file_.ErrorText());
  writable_ = access != fmOpenRead;
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t n = file_.ReadAt(pos_, buffer, std::size_t(count));
  if (n < 0) return 0;
  pos_ += n;
  return n;
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  if (count <= 0 || !writable_) return 0;
  if (!file_.WriteAt(pos_, buffer, std::size_t(count))) return 0;
  pos_ += count;
  return count;
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  pos_ = SeekTarget(pos_, origin == TSeekOrigin::soEnd ? file_.Size() : 0, offset, origin);
  return pos_;
}

void TFileStream::SetSize(int64_t size) {
  if (!file_.Truncate(size)) throw EWriteError("Stream write error");
  if (pos_ > size) pos_ = size;
}

}  // namespace qv
