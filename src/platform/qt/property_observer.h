#pragma once

#include <QObject>
#include <QPointer>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/published.h"

namespace calyxa {

// Holds observations of published properties for one QObject (a view) and ends them when the
// object is destroyed. Callbacks run synchronously, on the main thread, inside the change: the
// transaction they receive is the one the change was made in, so a view retargets its animated
// values with the animation the store asked for. Reach it through observeProperty and
// observeChanges rather than directly.
class PropertyObserver final : public QObject {
  Q_OBJECT

 public:
  // The owner's observer, created on first use as a child of the owner.
  static PropertyObserver& of(QObject* owner);

  void keep(Observation observation) { observations_.push_back(std::move(observation)); }
  // Ends every observation of the owner.
  void stopAll() { observations_.clear(); }
  std::size_t count() const { return observations_.size(); }

 private:
  explicit PropertyObserver(QObject* owner);
  std::vector<Observation> observations_;
};

// Calls `onChange(value, transaction)` on every assignment of `property` while `owner` lives.
template <class T, class Callback>
void observeProperty(QObject* owner, Published<T>& property, Callback onChange) {
  QPointer<QObject> guard(owner);
  PropertyObserver::of(owner).keep(property.observe(
      [guard, onChange = std::move(onChange)](const T& value, const Transaction& transaction) {
        if (guard) onChange(value, transaction);
      }));
}

// Calls `onChange(property, transaction)` when one of the named properties reporting to `hub`
// changes, while `owner` lives. An empty list means every property.
void observeChanges(QObject* owner, ChangeHub& hub, std::vector<std::string> properties,
                    std::function<void(std::string_view, const Transaction&)> onChange);

}  // namespace calyxa
