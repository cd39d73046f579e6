#include "views/icon_raster_cache.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <exception>
#include <mutex>

#include "platform/qt/generic_icon.h"
#include "platform/qt/qt_image.h"

namespace calyxa {

std::size_t IconRasterCache::KeyHash::operator()(const Key& key) const {
  std::size_t seed = std::hash<const void*>{}(key.content);
  for (const std::size_t part : {std::hash<double>{}(key.width), std::hash<double>{}(key.height),
                                 std::hash<int>{}(key.pixels)}) {
    seed ^= part + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
  }
  return seed;
}

IconRasterCache& IconRasterCache::shared() {
  static IconRasterCache cache;
  // Workers must not go on decoding with a toolkit that is being taken down.
  static std::once_flag stopsWithTheApplication;
  std::call_once(stopsWithTheApplication,
                 [] { qAddPostRoutine([] { IconRasterCache::shared().stopDecoding(); }); });
  return cache;
}

IconRasterCache::IconRasterCache(std::size_t byteBudget, int threads) : budget_(byteBudget) {
  // Leave a core to the frames; icons come in fast enough on one.
  const int count = threads > 0 ? threads : std::clamp(QThread::idealThreadCount() - 1, 1, 4);
  for (int i = 0; i < count; ++i)
    workers_.emplace_back([this] { work(); });
}

IconRasterCache::~IconRasterCache() {
  stopDecoding();
}

void IconRasterCache::stopDecoding() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    jobs_.clear();
  }
  changed_.notify_all();
  for (std::thread& worker : workers_) {
    if (worker.joinable()) worker.join();
  }
  QCoreApplication::removePostedEvents(&mailbox_);
  done_.clear();
  pending_.clear();
}

namespace {
const QEvent::Type kPicturesDone = static_cast<QEvent::Type>(QEvent::registerEventType());
}

bool IconRasterCache::Mailbox::event(QEvent* event) {
  if (event->type() != kPicturesDone) return QObject::event(event);
  cache_.deliverDone();
  return true;
}

void IconRasterCache::work() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
    if (stopping_) return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    ++busy_;
    lock.unlock();
    QImage pixels = decode(job.icon, job.key.pixels);
    lock.lock();
    done_.push_back({job.key, std::move(job.icon), std::move(pixels)});
    --busy_;
    changed_.notify_all();
    QCoreApplication::postEvent(&mailbox_, new QEvent(kPicturesDone));
  }
}

void IconRasterCache::deliverDone() {
  std::deque<Done> done;
  {
    std::lock_guard lock(mutex_);
    done.swap(done_);
  }
  for (Done& picture : done)
    deliver(picture.key, picture.icon, std::move(picture.image));
}

IconRasterCache::Key IconRasterCache::keyOf(const Image& icon, int pixelSize) {
  return {icon.content().get(), icon.width(), icon.height(), pixelSize};
}

QImage IconRasterCache::decode(const Image& icon, int pixelSize) {
  const QSize size(pixelSize, pixelSize);
  QImage pixels;
  try {
    if (!icon.isNull()) pixels = toQImage(icon.content()->render(pixelSize, pixelSize));
  } catch (const std::exception&) {
    pixels = {};  // out of memory on a hostile file: the generic icon stands in
  }
  if (pixels.isNull()) return drawGenericApplicationIcon(size, {});
  if (pixels.size() != size) {
    pixels = pixels.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return pixels;
}

const QImage* IconRasterCache::find(const Key& key) {
  const auto found = entries_.find(key);
  if (found == entries_.end()) return nullptr;
  recency_.splice(recency_.begin(), recency_, found->second.use);
  return &found->second.image;
}

void IconRasterCache::insert(const Key& key, const Image& icon, QImage image) {
  if (entries_.contains(key)) return;
  recency_.push_front(key);
  bytes_ += static_cast<std::size_t>(image.sizeInBytes());
  entries_.emplace(key, Entry{icon.content(), std::move(image), recency_.begin()});
  // The newest picture stays even when it alone exceeds the budget: it is about to be drawn.
  while (bytes_ > budget_ && recency_.size() > 1) {
    const auto oldest = entries_.find(recency_.back());
    bytes_ -= static_cast<std::size_t>(oldest->second.image.sizeInBytes());
    entries_.erase(oldest);
    recency_.pop_back();
  }
}

QImage IconRasterCache::image(const Image& icon, int pixelSize, QObject* receiver,
                              std::function<void()> onReady) {
  if (pixelSize < 1 || pixelSize > kMaxPixelSize) return {};
  const Key key = keyOf(icon, pixelSize);
  if (const QImage* cached = find(key)) return *cached;

  const auto [waiting, isNew] = pending_.try_emplace(key);
  if (receiver && onReady) {
    auto& waiters = waiting->second;
    const auto same = std::find_if(waiters.begin(), waiters.end(),
                                   [&](const Waiter& w) { return w.receiver == receiver; });
    if (same != waiters.end()) {
      same->onReady = std::move(onReady);
    } else {
      waiters.push_back({receiver, std::move(onReady)});
    }
  }
  if (isNew) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back({key, icon});
    }
    changed_.notify_one();
  }
  return {};
}

void IconRasterCache::deliver(const Key& key, const Image& icon, QImage image) {
  insert(key, icon, std::move(image));
  const auto found = pending_.find(key);
  if (found == pending_.end()) return;
  const std::vector<Waiter> waiters = std::move(found->second);
  pending_.erase(found);
  for (const Waiter& waiter : waiters) {
    if (waiter.receiver) waiter.onReady();
  }
}

QImage IconRasterCache::imageNow(const Image& icon, int pixelSize) {
  if (pixelSize < 1 || pixelSize > kMaxPixelSize) return {};
  const Key key = keyOf(icon, pixelSize);
  if (const QImage* cached = find(key)) return *cached;
  QImage pixels = decode(icon, pixelSize);
  insert(key, icon, pixels);
  return pixels;
}

void IconRasterCache::waitUntilIdle() {
  // A callback may ask for more icons: go on until nothing is left to decode.
  while (!pending_.empty()) {
    {
      std::unique_lock lock(mutex_);
      if (stopping_) return;
      changed_.wait(lock, [&] { return jobs_.empty() && busy_ == 0; });
    }
    deliverDone();
  }
}

}  // namespace calyxa
