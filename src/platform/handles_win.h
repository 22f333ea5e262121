// Move-only owners of kernel handles and of libraries loaded at run time (Windows only), closed once.
#pragma once

#include <windows.h>

#include <utility>

namespace vantor::win {

// A kernel object handle (file, event, thread...) closed by `Close` (CloseHandle unless another
// closer, such as IcmpCloseHandle, was given). Null and INVALID_HANDLE_VALUE both mean none.
class UniqueHandle {
 public:
  using Closer = BOOL(WINAPI*)(HANDLE);

  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle, Closer close = &CloseHandle)
      : handle_(handle == INVALID_HANDLE_VALUE ? nullptr : handle), close_(close) {}
  ~UniqueHandle() { Reset(); }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)), close_(other.close_) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = std::exchange(other.handle_, nullptr);
      close_ = other.close_;
    }
    return *this;
  }

  HANDLE Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }
  void Reset() {
    if (handle_ != nullptr && close_ != nullptr) close_(handle_);
    handle_ = nullptr;
  }

 private:
  HANDLE handle_ = nullptr;
  Closer close_ = &CloseHandle;
};

// A library loaded at run time, freed once; Entry finds a function in it (null when missing).
class LoadedLibrary {
 public:
  LoadedLibrary() = default;
  explicit LoadedLibrary(const wchar_t* name) : module_(LoadLibraryW(name)) {}
  ~LoadedLibrary() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  LoadedLibrary(const LoadedLibrary&) = delete;
  LoadedLibrary& operator=(const LoadedLibrary&) = delete;
  LoadedLibrary(LoadedLibrary&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
  LoadedLibrary& operator=(LoadedLibrary&& other) noexcept {
    if (this != &other) {
      if (module_ != nullptr) FreeLibrary(module_);
      module_ = std::exchange(other.module_, nullptr);
    }
    return *this;
  }

  explicit operator bool() const { return module_ != nullptr; }
  template <typename Fn>
  Fn Entry(const char* name) const {
    if (module_ == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
  }

 private:
  HMODULE module_ = nullptr;
};

}  // namespace vantor::win
