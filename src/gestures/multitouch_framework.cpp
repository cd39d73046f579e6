#include "gestures/multitouch_framework.h"

#include <dlfcn.h>

namespace calyxa {
namespace {

using CreateList = const void* (*)();
using RegisterCallback = void (*)(const void* device, MultitouchFrameCallback callback);
using StartDevice = std::int32_t (*)(const void* device, std::int32_t mode);
using ArrayCount = long (*)(const void* array);
using ArrayValue = const void* (*)(const void* array, long index);
using Retain = const void* (*)(const void* object);
using Release = void (*)(const void* object);

template <class Function>
Function lookup(void* handle, const char* name) {
  return reinterpret_cast<Function>(::dlsym(handle, name));
}

}  // namespace

MultitouchFrameworkStart startMultitouchFramework(MultitouchFrameCallback callback) {
  MultitouchFrameworkStart result;
  // Immediate binding: a framework that cannot resolve its symbols fails here, not mid-frame.
  result.handle = ::dlopen(kMultitouchFrameworkPath, RTLD_NOW);
  if (!result.handle) return result;

  const auto createList = lookup<CreateList>(result.handle, "MTDeviceCreateList");
  const auto registerCallback =
      lookup<RegisterCallback>(result.handle, "MTRegisterContactFrameCallback");
  const auto startDevice = lookup<StartDevice>(result.handle, "MTDeviceStart");
  if (!createList || !registerCallback || !startDevice) return result;
  // The list is a CoreFoundation array; the framework brings CoreFoundation with it.
  const auto count = lookup<ArrayCount>(result.handle, "CFArrayGetCount");
  const auto valueAt = lookup<ArrayValue>(result.handle, "CFArrayGetValueAtIndex");
  const auto retain = lookup<Retain>(result.handle, "CFRetain");
  const auto release = lookup<Release>(result.handle, "CFRelease");
  if (!count || !valueAt || !retain || !release) return result;

  const void* list = createList();
  if (!list) return result;
  const long devices = count(list);
  for (long i = 0; i < devices; ++i) {
    const void* device = valueAt(list, i);
    if (!device) continue;
    registerCallback(device, callback);
    startDevice(device, 0);
    // Started devices outlive the list.
    result.devices.push_back(retain(device));
  }
  release(list);
  return result;
}

}  // namespace calyxa
