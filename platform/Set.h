// Set<E>: a small bit set over an enumeration, standing in for the class
// library's "set of" types (include, exclude, contains and set algebra).
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>

namespace qv {

template <class E, std::size_t N = 64>
class Set {
  static constexpr std::size_t kWords = (N + 63) / 64;

 public:
  constexpr Set() = default;
  constexpr Set(std::initializer_list<E> items) {
    for (E e : items) Include(e);
  }

  constexpr bool Contains(E e) const {
    auto i = Index(e);
    return (words_[i / 64] >> (i % 64)) & 1u;
  }
  constexpr Set& Include(E e) {
    auto i = Index(e);
    words_[i / 64] |= uint64_t(1) << (i % 64);
    return *this;
  }
  constexpr Set& Exclude(E e) {
    auto i = Index(e);
    words_[i / 64] &= ~(uint64_t(1) << (i % 64));
    return *this;
  }
  constexpr bool Empty() const {
    for (auto w : words_)
      if (w) return false;
    return true;
  }
  constexpr Set operator+(const Set& o) const {
    return Combine(o, [](uint64_t a, uint64_t b) { return a | b; });
  }
  constexpr Set operator-(const Set& o) const {
    return Combine(o, [](uint64_t a, uint64_t b) { return a & ~b; });
  }
  constexpr Set operator*(const Set& o) const {
    return Combine(o, [](uint64_t a, uint64_t b) { return a & b; });
  }
  constexpr Set& operator+=(const Set& o) { return *this = *this + o; }
  constexpr Set& operator-=(const Set& o) { return *this = *this - o; }
  constexpr Set& operator*=(const Set& o) { return *this = *this * o; }
  constexpr Set operator+(E e) const { return Set(*this).Include(e); }
  constexpr Set operator-(E e) const { return Set(*this).Exclude(e); }
  constexpr bool operator==(const Set& o) const {
    for (std::size_t i = 0; i < kWords; ++i)
      if (words_[i] != o.words_[i]) return false;
    return true;
  }
  // True when every member of this set is in o (the class library's "<=").
  constexpr bool SubsetOf(const Set& o) const { return (*this - o).Empty(); }

 private:
  static constexpr std::size_t Index(E e) { return static_cast<std::size_t>(e) % N; }
  template <class F>
  constexpr Set Combine(const Set& o, F f) const {
    Set r;
    for (std::size_t i = 0; i < kWords; ++i) r.words_[i] = f(words_[i], o.words_[i]);
    return r;
  }
  uint64_t words_[kWords] = {};
};

}  // namespace qv
