#pragma once

#include <string>
#include <vector>

#include "platform/published.h"

namespace calyxa::testing {

// Records every change reported by a hub: which property, with which transaction.
class TransactionRecorder {
 public:
  struct Change {
    std::string property;
    Transaction transaction;
  };

  explicit TransactionRecorder(ChangeHub& hub)
      : observation_(hub.observe([this](std::string_view property, const Transaction& t) {
          changes.push_back({std::string(property), t});
        })) {}

  // Transactions of the changes of `property`, in order.
  std::vector<Transaction> of(const std::string& property) const {
    std::vector<Transaction> result;
    for (const auto& change : changes) {
      if (change.property == property) result.push_back(change.transaction);
    }
    return result;
  }
  void clear() { changes.clear(); }

  std::vector<Change> changes;

 private:
  Observation observation_;
};

}  // namespace calyxa::testing
