// Another program asking the CLIPBOARD's types every 10 ms, as clipboard
// managers and panels do, on a connection and a thread of its own, until
// destroyed. It counts the answers that named a property.
#pragma once

#include <atomic>
#include <string>
#include <thread>

namespace qv::test {

class ClipboardPoller {
 public:
  explicit ClipboardPoller(const std::string& display);
  ~ClipboardPoller();
  ClipboardPoller(const ClipboardPoller&) = delete;
  ClipboardPoller& operator=(const ClipboardPoller&) = delete;
  int Answers() const { return answers_; }

 private:
  void Run(const std::string& display);

  std::atomic<bool> stop_{false};
  std::atomic<int> answers_{0};
  std::thread thread_;
};

}  // namespace qv::test
