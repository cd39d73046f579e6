#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/animation.h"

namespace calyxa {

// Stops an observation when destroyed (or when cancel() is called). Outliving the observed
// object is harmless.
class Observation {
 public:
  Observation() = default;
  explicit Observation(std::function<void()> stop) : stop_(std::move(stop)) {}
  Observation(Observation&& other) noexcept : stop_(std::exchange(other.stop_, nullptr)) {}
  Observation& operator=(Observation&& other) noexcept {
    if (this != &other) {
      cancel();
      stop_ = std::exchange(other.stop_, nullptr);
    }
    return *this;
  }
  Observation(const Observation&) = delete;
  Observation& operator=(const Observation&) = delete;
  ~Observation() { cancel(); }

  void cancel() {
    if (stop_) std::exchange(stop_, nullptr)();
  }

 private:
  std::function<void()> stop_;
};

namespace detail {

// Observers in registration order. Notification walks a snapshot, so observers may add or
// remove observers (themselves included) while being notified.
template <class... Args>
class ObserverList {
 public:
  using Callback = std::function<void(Args...)>;

  Observation add(Callback callback) {
    auto entry = std::make_shared<Entry>(Entry{std::move(callback), true});
    state_->entries.push_back(entry);
    std::weak_ptr<State> weakState = state_;
    std::weak_ptr<Entry> weakEntry = entry;
    return Observation([weakState, weakEntry] {
      auto state = weakState.lock();
      auto entry = weakEntry.lock();
      if (!state || !entry) return;
      entry->active = false;
      std::erase(state->entries, entry);
    });
  }

  void notify(Args... args) const {
    if (state_->entries.empty()) return;
    const auto snapshot = state_->entries;
    for (const auto& entry : snapshot) {
      if (entry->active) entry->callback(args...);
    }
  }

  std::size_t size() const { return state_->entries.size(); }

 private:
  struct Entry {
    Callback callback;
    bool active;
  };
  struct State {
    std::vector<std::shared_ptr<Entry>> entries;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace detail

// One notification point for every published property of an object: a view that redraws on any
// change observes this instead of each property.
class ChangeHub {
 public:
  using Callback = std::function<void(std::string_view property, const Transaction&)>;
  Observation observe(Callback callback) { return observers_.add(std::move(callback)); }
  void notify(std::string_view property, const Transaction& transaction) const {
    observers_.notify(property, transaction);
  }

 private:
  detail::ObserverList<std::string_view, const Transaction&> observers_;
};

// A published property: every assignment notifies its observers, even one that stores an equal
// value, with the transaction in force at the time of the change.
template <class T>
class Published {
 public:
  using Observer = std::function<void(const T& value, const Transaction& transaction)>;

  explicit Published(T initial = T{}, ChangeHub* hub = nullptr, std::string_view name = {})
      : value_(std::move(initial)), hub_(hub), name_(name) {}
  Published(const Published&) = delete;
  Published& operator=(const Published&) = delete;

  const T& get() const noexcept { return value_; }
  operator const T&() const noexcept { return value_; }
  const T* operator->() const noexcept { return &value_; }
  std::string_view name() const noexcept { return name_; }

  Published& operator=(T value) {
    set(std::move(value));
    return *this;
  }

  void set(T value) {
    value_ = std::move(value);
    publish();
  }

  // In-place change: one assignment, one notification.
  template <class Mutation>
  void mutate(Mutation&& mutation) {
    std::forward<Mutation>(mutation)(value_);
    publish();
  }

  Observation observe(Observer observer) { return observers_.add(std::move(observer)); }

  // The owner's own reaction to an assignment; runs before any observer is told.
  void setDidSet(std::function<void()> didSet) { didSet_ = std::move(didSet); }

 private:
  void publish() {
    if (didSet_) didSet_();
    const Transaction& transaction = currentTransaction();
    if (hub_) hub_->notify(name_, transaction);
    observers_.notify(value_, transaction);
  }

  T value_;
  ChangeHub* hub_;
  std::string_view name_;
  std::function<void()> didSet_;
  detail::ObserverList<const T&, const Transaction&> observers_;
};

}  // namespace calyxa
