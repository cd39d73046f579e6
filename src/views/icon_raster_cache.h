#pragma once

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QThreadPool>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/image.h"

namespace calyxa {

// Icons decoded to pixels for drawing, off the main thread, so that no frame waits for a file:
// a view asks for an icon at its pixel size, draws a placeholder while it is not ready and is
// called back when it is. Decoded pictures are kept, least recently used first out, within a
// memory budget. Used on the main thread only; the decoding runs on a pool of worker threads.
class IconRasterCache {
 public:
  // Room for 2,000 icons at 96 and at 48 pixels.
  static constexpr std::size_t kDefaultByteBudget = 96u * 1024 * 1024;
  static constexpr int kMaxPixelSize = 2048;

  static IconRasterCache& shared();

  explicit IconRasterCache(std::size_t byteBudget = kDefaultByteBudget, int threads = 0);
  ~IconRasterCache();
  IconRasterCache(const IconRasterCache&) = delete;
  IconRasterCache& operator=(const IconRasterCache&) = delete;

  // `icon` at `pixelSize` × `pixelSize` device pixels when it is decoded already. Otherwise a
  // null image: the decoding starts (once, however many ask) and `onReady` runs on the main
  // thread when the picture is in the cache, provided `receiver` still lives then. Each
  // receiver is called once per request, with the latest callback it gave; a null receiver
  // only warms the cache. Sizes outside 1 … kMaxPixelSize give a null image and no call.
  QImage image(const Image& icon, int pixelSize, QObject* receiver, std::function<void()> onReady);

  // The same picture, decoded here and now when it is not in the cache (snapshots, tests).
  QImage imageNow(const Image& icon, int pixelSize);

  // Blocks until every decode asked for has finished and its callbacks have run.
  void waitUntilIdle();

  std::size_t byteCount() const { return bytes_; }
  std::size_t entryCount() const { return entries_.size(); }
  bool isDecoding() const { return !pending_.empty(); }

 private:
  struct Key {
    const ImageContent* content = nullptr;
    double width = 0;
    double height = 0;
    int pixels = 0;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    std::size_t operator()(const Key& key) const;
  };
  struct Entry {
    std::shared_ptr<const ImageContent> content;  // keeps the key's address from being reused
    QImage image;
    std::list<Key>::iterator use;
  };
  struct Waiter {
    QPointer<QObject> receiver;
    std::function<void()> onReady;
  };

  static Key keyOf(const Image& icon, int pixelSize);
  static QImage decode(const Image& icon, int pixelSize);
  const QImage* find(const Key& key);
  void insert(const Key& key, const Image& icon, QImage image);
  void deliver(const Key& key, const Image& icon, QImage image);

  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::unordered_map<Key, Entry, KeyHash> entries_;
  std::list<Key> recency_;  // most recently used first
  std::unordered_map<Key, std::vector<Waiter>, KeyHash> pending_;
  QThreadPool pool_;
  // Finished decodes come back to the main thread through this object's event queue; events
  // still queued when the cache goes are dropped with it.
  QObject mailbox_;
};

}  // namespace calyxa
