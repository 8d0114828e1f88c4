// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace brevora {

std::unique_ptr<DynamicLibrary> DynamicLibrary::Open(const std::string& name) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) return nullptr;
  return std::unique_ptr<DynamicLibrary>(new DynamicLibrary(handle));
}

DynamicLibrary::~DynamicLibrary() { dlclose(handle_); }

void* DynamicLibrary::Symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace brevora
