#pragma once

#include <memory>

namespace calyxa {

// Lets deferred work that captured its owner find out whether the owner still exists: the work
// holds a watch and does nothing once the owner (and with it this token) is gone. Main thread only.
class LifetimeToken {
 public:
  using Watch = std::weak_ptr<const char>;
  Watch watch() const { return alive_; }

 private:
  std::shared_ptr<const char> alive_ = std::make_shared<const char>('\0');
};

}  // namespace calyxa
