// A shared library bound by name at run time: loaded, and every entry point of a fixed list
// resolved. A library is bound whole or not at all; binding a bound library again is a
// success without a second load. A failed load never prints or aborts.
#pragma once

#include <span>
#include <string>
#include <vector>

namespace lirra {

class BoundLibrary {
 public:
  BoundLibrary() = default;
  ~BoundLibrary();
  BoundLibrary(const BoundLibrary&) = delete;
  BoundLibrary& operator=(const BoundLibrary&) = delete;
  // A bound library can change hands (an early start hands its engine to the window).
  BoundLibrary(BoundLibrary&& other) noexcept;
  BoundLibrary& operator=(BoundLibrary&& other) noexcept;

  // Loads `path` and resolves `names` in order. False, with nothing kept, when the file
  // does not load or any name is missing.
  bool bind(const std::string& path, std::span<const char* const> names);
  // Unloads (when bound) and forgets the addresses.
  void unbind();
  bool bound() const { return handle_ != nullptr; }
  // How many times a load was attempted; lets tests see that a second bind loads nothing.
  int loads() const { return loads_; }

  // An entry point outside the fixed list, or null when the library lacks it (or none is bound).
  template <typename F>
  F optionalFunction(const char* name) const {
    return reinterpret_cast<F>(lookup(name));
  }

  template <typename F>
  F function(size_t index) const {
    return reinterpret_cast<F>(addresses_.at(index));
  }

 private:
  void* lookup(const char* name) const;

  void* handle_ = nullptr;
  std::vector<void*> addresses_;
  int loads_ = 0;
};

}  // namespace lirra
