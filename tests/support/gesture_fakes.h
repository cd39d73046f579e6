#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/contact_frame_source.h"
#include "platform/contact_record.h"
#include "platform/event_monitors.h"
#include "platform/preference_store.h"
#include "platform/system_settings.h"

namespace calyxa::testing {

// Frames are delivered by the test, from whichever thread it likes.
class FakeContactFrameSource final : public ContactFrameSource {
 public:
  Started start(ContactFrameHandler handler) override;

  // Hands one frame to the handler of the running session; false when none runs.
  bool deliver(const std::vector<ContactRecord>& records, double timestamp);
  bool deliverRaw(const void* records, std::int32_t count, double timestamp);

  int starts = 0;
  bool hasDevice = true;

 private:
  struct Delivery {
    ContactFrameHandler handler;
    std::int32_t frameNumber = 0;
  };
  struct Running {
    std::shared_ptr<Delivery> delivery;
  };
  std::shared_ptr<Running> running_ = std::make_shared<Running>();
};

// Records what the monitor asks; the test plays the system's part.
class FakeEventMonitors final : public EventMonitors {
 public:
  class Tap final : public EventTap {
   public:
    explicit Tap(std::uint32_t location) : location(location) {}
    std::uint32_t location;
  };
  class Source final : public EventTapRunLoopSource {};
  struct TapRequest {
    std::uint32_t location, placement, options;
    std::uint64_t mask;
    EventTapCallback callback;
    void* userInfo;
  };

  std::shared_ptr<EventTap> createEventTap(std::uint32_t location, std::uint32_t placement,
                                           std::uint32_t options, std::uint64_t mask,
                                           EventTapCallback callback, void* userInfo) override;
  std::shared_ptr<EventTapRunLoopSource> addEventTapToMainRunLoop(EventTap& tap) override;
  void enableEventTap(EventTap& tap, bool enabled) override;
  std::optional<EventMonitorToken> addGlobalMagnifyMonitor(MagnifyHandler handler) override;
  std::optional<EventMonitorToken> addGlobalKeyDownMonitor(KeyDownHandler handler) override;

  // Events of other programs.
  void sendGlobalMagnify(const MagnifyEvent& event);
  void sendGlobalKeyDown(const KeyDownEvent& event);
  int globalMagnifyMonitors() const;
  int globalKeyDownMonitors() const;

  std::set<std::uint32_t> tapLocationsThatWork;
  bool globalMonitorsAvailable = true;
  std::vector<TapRequest> tapRequests;
  std::vector<std::pair<std::uint32_t, bool>> enables;  // tap location, enabled
  int runLoopSources = 0;

 private:
  struct Global {
    std::map<int, MagnifyHandler> magnify;
    std::map<int, KeyDownHandler> keyDown;
    int nextId = 0;
  };
  std::shared_ptr<Global> global_ = std::make_shared<Global>();
};

// A preference store that passes everything to another one and writes down the calls.
class RecordingPreferenceStore final : public PreferenceStore {
 public:
  explicit RecordingPreferenceStore(std::shared_ptr<PreferenceStore> inner)
      : inner_(std::move(inner)) {}

  std::optional<PlistValue> copyValue(std::string_view key, std::string_view domain,
                                      std::string_view host) const override {
    return inner_->copyValue(key, domain, host);
  }
  void setValue(std::string_view key, const std::optional<PlistValue>& value,
                std::string_view domain, std::string_view host) override {
    writes.push_back(std::string(domain) + "::" + std::string(key));
    inner_->setValue(key, value, domain, host);
  }
  bool synchronize(std::string_view domain, std::string_view host) override {
    synchronizations.push_back(std::string(domain) + "|" + std::string(host));
    return inner_->synchronize(domain, host);
  }

  std::vector<std::string> writes;            // "domain::key", in order
  std::vector<std::string> synchronizations;  // "domain|host", in order

 private:
  std::shared_ptr<PreferenceStore> inner_;
};

class RecordingSystemSettings final : public SystemSettings {
 public:
  void activateSettings() override { calls.push_back("activateSettings"); }
  void restartDock() override { calls.push_back("restartDock"); }
  std::vector<std::string> calls;
};

}  // namespace calyxa::testing
