#include "platform/qt/property_observer.h"

#include <algorithm>

namespace calyxa {

PropertyObserver::PropertyObserver(QObject* owner) : QObject(owner) {
  setObjectName(QStringLiteral("calyxa-property-observer"));
}

PropertyObserver& PropertyObserver::of(QObject* owner) {
  const auto children = owner->findChildren<PropertyObserver*>(Qt::FindDirectChildrenOnly);
  if (!children.isEmpty()) return *children.front();
  return *new PropertyObserver(owner);  // owned by `owner` as its child
}

void observeChanges(QObject* owner, ChangeHub& hub, std::vector<std::string> properties,
                    std::function<void(std::string_view, const Transaction&)> onChange) {
  QPointer<QObject> guard(owner);
  PropertyObserver::of(owner).keep(
      hub.observe([guard, properties = std::move(properties), onChange = std::move(onChange)](
                      std::string_view property, const Transaction& transaction) {
        if (!guard) return;
        if (!properties.empty() &&
            std::find(properties.begin(), properties.end(), property) == properties.end()) {
          return;
        }
        onChange(property, transaction);
      }));
}

}  // namespace calyxa
