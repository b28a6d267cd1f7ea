#include "bound_library.h"

#include <dlfcn.h>

#include <utility>

namespace lirra {

BoundLibrary::~BoundLibrary() { unbind(); }

BoundLibrary::BoundLibrary(BoundLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)),
      addresses_(std::move(other.addresses_)),
      loads_(other.loads_) {
  other.addresses_.clear();
}

BoundLibrary& BoundLibrary::operator=(BoundLibrary&& other) noexcept {
  if (this != &other) {
    unbind();
    handle_ = std::exchange(other.handle_, nullptr);
    addresses_ = std::move(other.addresses_);
    other.addresses_.clear();
    loads_ += other.loads_;
  }
  return *this;
}

bool BoundLibrary::bind(const std::string& path, std::span<const char* const> names) {
  if (handle_) return true;
  ++loads_;
  int flags = RTLD_NOW | RTLD_LOCAL;
#ifdef LIRRA_KEEP_UNLOADED_LIBRARIES_MAPPED
  // Sanitizer builds: a library's dependencies keep a few one-time blocks from their
  // start-up; once unmapped, LeakSanitizer reports them from an unknown module.
  flags |= RTLD_NODELETE;
#endif
  void* handle = dlopen(path.c_str(), flags);
  if (!handle) return false;
  std::vector<void*> addresses;
  addresses.reserve(names.size());
  for (const char* name : names) addresses.push_back(dlsym(handle, name));
  for (void* address : addresses) {
    if (!address) {  // never half-bound
      dlclose(handle);
      return false;
    }
  }
  handle_ = handle;
  addresses_ = std::move(addresses);
  return true;
}

void* BoundLibrary::lookup(const char* name) const { return handle_ ? dlsym(handle_, name) : nullptr; }

void BoundLibrary::unbind() {
  if (handle_) dlclose(handle_);
  handle_ = nullptr;
  addresses_.clear();
}

}  // namespace lirra
