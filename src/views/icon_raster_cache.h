#pragma once

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPointer>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
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

  // `threads` 0: one worker fewer than the machine has cores, at least one, at most four.
  explicit IconRasterCache(std::size_t byteBudget = kDefaultByteBudget, int threads = 0);
  ~IconRasterCache();
  IconRasterCache(const IconRasterCache&) = delete;
  IconRasterCache& operator=(const IconRasterCache&) = delete;

  // `icon` at `pixelSize` × `pixelSize` device pixels when it is decoded already. Otherwise a
  // null image: the decoding starts (once, however many ask) and `onReady` runs on the main
  // thread when the picture is in the cache, provided `receiver` still lives then. A receiver
  // that asks again for a picture it already waits for is called once, with the latest
  // callback it gave; a null receiver only warms the cache. Sizes outside 1 … kMaxPixelSize
  // give a null image and no call. Missing or undecodable pictures come as the generic icon.
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
  struct Job {
    Key key;
    Image icon;
  };
  struct Done {
    Key key;
    Image icon;
    QImage image;
  };
  // Told by the workers, through the main thread's event queue, that pictures are done.
  class Mailbox final : public QObject {
   public:
    explicit Mailbox(IconRasterCache& cache) : cache_(cache) {}
    bool event(QEvent* event) override;

   private:
    IconRasterCache& cache_;
  };

  // Waits for the decodes under way and forgets the requests: nobody is called back.
  void stopDecoding();
  static Key keyOf(const Image& icon, int pixelSize);
  static QImage decode(const Image& icon, int pixelSize);
  const QImage* find(const Key& key);
  void insert(const Key& key, const Image& icon, QImage image);
  void deliver(const Key& key, const Image& icon, QImage image);
  void work();
  void deliverDone();

  std::size_t budget_;
  std::size_t bytes_ = 0;
  std::unordered_map<Key, Entry, KeyHash> entries_;
  std::list<Key> recency_;  // most recently used first
  std::unordered_map<Key, std::vector<Waiter>, KeyHash> pending_;

  // Shared with the workers, under `mutex_`. Our own threads rather than Qt's pool: the
  // handing over of work and results is then plain to see, for the thread sanitizer too.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Job> jobs_;
  std::deque<Done> done_;
  int busy_ = 0;
  bool stopping_ = false;

  Mailbox mailbox_{*this};
  std::vector<std::thread> workers_;
};

}  // namespace calyxa
