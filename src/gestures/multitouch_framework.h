#pragma once

#include <cstdint>
#include <vector>

namespace calyxa {

inline constexpr const char* kMultitouchFrameworkPath =
    "/System/Library/PrivateFrameworks/MultitouchSupport.framework/MultitouchSupport";

// The framework's frame callback: device, first contact record (or null), count, timestamp in
// seconds, frame number; returns 0.
using MultitouchFrameCallback = std::int32_t (*)(std::int32_t device, const void* records,
                                                 std::int32_t count, double timestamp,
                                                 std::int32_t frameNumber);

struct MultitouchFrameworkStart {
  // The loaded framework, kept for the life of the process; null when it is absent.
  void* handle = nullptr;
  // The devices registered with `callback` and started.
  std::vector<const void*> devices;
};

// Loads the private multitouch framework, registers `callback` with each of its devices and
// starts them. Anything missing (framework, symbol, device list) ends the attempt silently.
MultitouchFrameworkStart startMultitouchFramework(MultitouchFrameCallback callback);

}  // namespace calyxa
