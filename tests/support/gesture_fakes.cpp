#include "support/gesture_fakes.h"

namespace calyxa::testing {

ContactFrameSource::Started FakeContactFrameSource::start(ContactFrameHandler handler) {
  ++starts;
  if (!hasDevice) return {};
  auto delivery = std::make_shared<Delivery>(Delivery{std::move(handler), 0});
  running_->delivery = delivery;

  class Session final : public ContactFrameSource::Session {
   public:
    Session(std::shared_ptr<Running> running, std::shared_ptr<Delivery> mine)
        : running_(std::move(running)), mine_(std::move(mine)) {}
    ~Session() override {
      if (running_->delivery == mine_) running_->delivery.reset();
    }

   private:
    std::shared_ptr<Running> running_;
    std::shared_ptr<Delivery> mine_;
  };
  static const char device = 'd';
  return {{&device}, std::make_unique<Session>(running_, delivery)};
}

bool FakeContactFrameSource::deliver(const std::vector<ContactRecord>& records, double timestamp) {
  return deliverRaw(records.empty() ? nullptr : records.data(),
                    static_cast<std::int32_t>(records.size()), timestamp);
}

bool FakeContactFrameSource::deliverRaw(const void* records, std::int32_t count, double timestamp) {
  const auto& delivery = running_->delivery;
  if (!delivery) return false;
  delivery->handler(0, records, count, timestamp, delivery->frameNumber++);
  return true;
}

std::shared_ptr<EventTap> FakeEventMonitors::createEventTap(
    std::uint32_t location, std::uint32_t placement, std::uint32_t options, std::uint64_t mask,
    EventTapCallback callback, void* userInfo) {
  tapRequests.push_back({location, placement, options, mask, callback, userInfo});
  if (!tapLocationsThatWork.contains(location)) return nullptr;
  return std::make_shared<Tap>(location);
}

std::shared_ptr<EventTapRunLoopSource> FakeEventMonitors::addEventTapToMainRunLoop(EventTap&) {
  ++runLoopSources;
  return std::make_shared<Source>();
}

void FakeEventMonitors::enableEventTap(EventTap& tap, bool enabled) {
  enables.emplace_back(static_cast<Tap&>(tap).location, enabled);
}

std::optional<EventMonitorToken> FakeEventMonitors::addGlobalMagnifyMonitor(
    MagnifyHandler handler) {
  if (!globalMonitorsAvailable) return std::nullopt;
  const int id = global_->nextId++;
  global_->magnify.emplace(id, std::move(handler));
  return EventMonitorToken([weak = std::weak_ptr(global_), id] {
    if (auto global = weak.lock()) global->magnify.erase(id);
  });
}

std::optional<EventMonitorToken> FakeEventMonitors::addGlobalKeyDownMonitor(
    KeyDownHandler handler) {
  if (!globalMonitorsAvailable) return std::nullopt;
  const int id = global_->nextId++;
  global_->keyDown.emplace(id, std::move(handler));
  return EventMonitorToken([weak = std::weak_ptr(global_), id] {
    if (auto global = weak.lock()) global->keyDown.erase(id);
  });
}

void FakeEventMonitors::sendGlobalMagnify(const MagnifyEvent& event) {
  const auto handlers = global_->magnify;
  for (const auto& [id, handler] : handlers)
    handler(event);
}

void FakeEventMonitors::sendGlobalKeyDown(const KeyDownEvent& event) {
  const auto handlers = global_->keyDown;
  for (const auto& [id, handler] : handlers)
    handler(event);
}

int FakeEventMonitors::globalMagnifyMonitors() const {
  return static_cast<int>(global_->magnify.size());
}

int FakeEventMonitors::globalKeyDownMonitors() const {
  return static_cast<int>(global_->keyDown.size());
}

}  // namespace calyxa::testing
