#pragma once

#include <set>
#include <string>

#include "platform/contact_frame_source.h"
#include "platform/contact_record.h"
#include "platform/event_monitors.h"
#include "platform/preference_store.h"
#include "platform/system_settings.h"

namespace calyxa::testing {

// Frames are delivered by the test, from whichever thread it likes, while a session runs.
class FakeContactFrameSource final : public ContactFrameSource {
 public:
  Started start(ContactFrameHandler handler) override {
    *handler_ = std::move(handler);
    struct Ends final : Session {
      explicit Ends(std::shared_ptr<ContactFrameHandler> handler) : handler(std::move(handler)) {}
      ~Ends() override { *handler = nullptr; }
      std::shared_ptr<ContactFrameHandler> handler;
    };
    return {{handler_.get()}, std::make_unique<Ends>(handler_)};
  }
  // False when no session runs.
  bool deliver(const std::vector<ContactRecord>& records, double timestamp) {
    if (*handler_) (*handler_)(0, records.data(), std::int32_t(records.size()), timestamp, 0);
    return bool(*handler_);
  }

 private:
  std::shared_ptr<ContactFrameHandler> handler_ = std::make_shared<ContactFrameHandler>();
};

// Records what the monitor asks; the test plays the system's part.
class FakeEventMonitors final : public EventMonitors {
 public:
  std::shared_ptr<EventTap> createEventTap(std::uint32_t location, std::uint32_t, std::uint32_t,
                                           std::uint64_t mask, EventTapCallback, void*) override {
    tapRequests.emplace_back(location, mask);
    return tapLocationsThatWork.contains(location) ? std::make_shared<EventTap>() : nullptr;
  }
  std::shared_ptr<EventTapRunLoopSource> addEventTapToMainRunLoop(EventTap&) override {
    return std::make_shared<EventTapRunLoopSource>();
  }
  void enableEventTap(EventTap&, bool enabled) override { enables.push_back(enabled); }
  std::optional<EventMonitorToken> addGlobalMagnifyMonitor(MagnifyHandler handler) override {
    return install(magnify, std::move(handler));
  }
  std::optional<EventMonitorToken> addGlobalKeyDownMonitor(KeyDownHandler handler) override {
    return install(keyDown, std::move(handler));
  }
  template <class Handler>
  static EventMonitorToken install(const std::shared_ptr<Handler>& slot, Handler handler) {
    *slot = std::move(handler);
    return EventMonitorToken([slot] { *slot = nullptr; });
  }

  std::set<std::uint32_t> tapLocationsThatWork;
  std::vector<std::pair<std::uint32_t, std::uint64_t>> tapRequests;  // location, mask
  std::vector<bool> enables;
  // The global monitors, for events of other programs; empty once removed.
  std::shared_ptr<MagnifyHandler> magnify = std::make_shared<MagnifyHandler>();
  std::shared_ptr<KeyDownHandler> keyDown = std::make_shared<KeyDownHandler>();
};

// Passes everything to another store and writes down the synchronisations, "domain|host".
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
    inner_->setValue(key, value, domain, host);
  }
  std::vector<std::optional<PlistValue>> copyValues(const std::vector<std::string>& keys,
                                                    std::string_view domain,
                                                    std::string_view host) const override {
    return inner_->copyValues(keys, domain, host);
  }
  bool setValues(const std::vector<Change>& changes, std::string_view domain,
                 std::string_view host) override {
    return inner_->setValues(changes, domain, host);
  }
  bool synchronize(std::string_view domain, std::string_view host) override {
    synchronizations.push_back(std::string(domain) + "|" + std::string(host));
    return inner_->synchronize(domain, host);
  }
  std::vector<std::string> synchronizations;

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
