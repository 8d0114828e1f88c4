// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

namespace brevora {

// A shared library loaded at run time; unloaded when the object goes away.
class DynamicLibrary {
 public:
  // Loads the library by name (the system's search applies to a bare name)
  // or by path. Nothing when it cannot be loaded.
  static std::unique_ptr<DynamicLibrary> Open(const std::string& name);
  ~DynamicLibrary();
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // The address of an exported function, or nullptr when it has none of that name.
  void* Symbol(const char* name) const;

 private:
  explicit DynamicLibrary(void* handle) : handle_(handle) {}
  void* handle_;
};

}  // namespace brevora
