#include "platform/event_monitors.h"

#include <utility>
#include <vector>

namespace calyxa {

EventMonitorToken& EventMonitorToken::operator=(EventMonitorToken&& other) noexcept {
  if (this != &other) {
    remove();
    remove_ = std::move(other.remove_);
    other.remove_ = nullptr;
  }
  return *this;
}

void EventMonitorToken::remove() {
  if (auto remove = std::exchange(remove_, nullptr)) remove();
}

struct EventMonitors::LocalMonitors {
  template <class Handler>
  struct Entry {
    std::uint64_t id;
    Handler handler;
  };
  std::uint64_t nextId = 1;
  std::vector<Entry<LocalMagnifyHandler>> magnify;
  std::vector<Entry<LocalKeyDownHandler>> keyDown;
};

namespace {

template <class Entries>
void eraseEntry(Entries& entries, std::uint64_t id) {
  std::erase_if(entries, [id](const auto& entry) { return entry.id == id; });
}

// Handlers may add or remove monitors while they run: walk a copy.
template <class Entries, class Event>
EventDisposition deliver(const Entries& entries, const Event& event) {
  const Entries snapshot = entries;
  for (const auto& entry : snapshot) {
    if (entry.handler(event) == EventDisposition::consume) return EventDisposition::consume;
  }
  return EventDisposition::deliver;
}

}  // namespace

EventMonitors::EventMonitors()
    : local_(std::make_shared<LocalMonitors>()), focus_(std::make_shared<KeyboardFocusState>()) {}

std::optional<EventMonitorToken> EventMonitors::addLocalMagnifyMonitor(
    LocalMagnifyHandler handler) {
  const std::uint64_t id = local_->nextId++;
  local_->magnify.push_back({id, std::move(handler)});
  return EventMonitorToken([weak = std::weak_ptr(local_), id] {
    if (auto local = weak.lock()) eraseEntry(local->magnify, id);
  });
}

std::optional<EventMonitorToken> EventMonitors::addLocalKeyDownMonitor(
    LocalKeyDownHandler handler) {
  const std::uint64_t id = local_->nextId++;
  local_->keyDown.push_back({id, std::move(handler)});
  return EventMonitorToken([weak = std::weak_ptr(local_), id] {
    if (auto local = weak.lock()) eraseEntry(local->keyDown, id);
  });
}

EventDisposition EventMonitors::deliverLocalMagnifyEvent(const MagnifyEvent& event) {
  return deliver(local_->magnify, event);
}

EventDisposition EventMonitors::deliverLocalKeyDownEvent(const KeyDownEvent& event) {
  return deliver(local_->keyDown, event);
}

void EventMonitors::setOwnWindowHasKeyboardFocus(bool focused) {
  focus_->ownWindowFocused = focused;
}

bool EventMonitors::ownWindowHasKeyboardFocus() const {
  return focus_->ownWindowFocused;
}

}  // namespace calyxa
