// A program of our own that reads a selection as the toolkits do: one window
// and one property for every read, large data in pieces (INCR), each piece
// deleted as it is read, either in the read itself or in a request of its
// own. It can give up after a few pieces, as a toolkit that tires does, and
// it times what it gets (for the benchmarks; the tests only look at bytes).
#pragma once
// clang-format off
#include <X11/Xlib.h>
// clang-format on

#include <chrono>
#include <string>

namespace qv::test {

class SelectionReader {
 public:
  enum class Delete { InTheRead, Separately };
  struct Options {
    Delete mode = Delete::InTheRead;
    size_t giveUpAfter = 0;                     // pieces; 0: reads to the end
    std::chrono::milliseconds patience{10000};  // for the answer and for each piece
  };
  struct Result {
    bool whole = false;  // the answer came and, for pieces, the empty one ended it
    bool incr = false;
    std::string type;
    std::string bytes;
    size_t pieces = 0;
    double firstByteMs = 0, totalMs = 0, longestWaitMs = 0;  // from the request
    std::string failure;
  };

  explicit SelectionReader(const std::string& display);
  ~SelectionReader();
  SelectionReader(const SelectionReader&) = delete;
  SelectionReader& operator=(const SelectionReader&) = delete;
  bool Open() const { return d_ != nullptr; }
  ::Display* Connection() const { return d_; }
  Window Id() const { return w_; }

  Result Read(const char* selection, const char* target, const Options& options);
  Result Read(const char* selection, const char* target) { return Read(selection, target, Options{}); }

 private:
  // The next event for our window within the time left; false when none came.
  bool Next(XEvent& ev, std::chrono::steady_clock::time_point deadline);

  ::Display* d_ = nullptr;
  Window w_ = 0;
  Atom property_ = 0, incr_ = 0;
};

}  // namespace qv::test
