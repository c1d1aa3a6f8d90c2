// Doing the items of a list on several threads, also while the list is being made, with the
// failure of the first failing item.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace quarnel {

// The failure of the first of a list's items that fail, whichever thread meets which first.
class TFirstFailure {
public:
  // Notes that item k failed with failure.
  void Note(size_t k, std::exception_ptr failure) {
    const std::lock_guard<std::mutex> guard(Lock);
    if (k < At.load(std::memory_order_relaxed)) {
      At.store(k, std::memory_order_relaxed);
      Failure = std::move(failure);
    }
  }
  // True when an item before item k failed.
  bool Before(size_t k) const { return At.load(std::memory_order_relaxed) < k; }
  // The failure of the first item that failed, null when none did; once no item is being done.
  std::exception_ptr First() const { return Failure; }

private:
  std::mutex Lock; // guards Failure
  std::atomic<size_t> At{SIZE_MAX};
  std::exception_ptr Failure;
};

// Makes a list of items on the calling thread and does them, on up to threads threads, while
// it grows: make(add) calls add(item) for each item in order. Each thread calls makeWorker()
// once and does items with the function it returns, work(item, k) for item k, taking blocks of
// block consecutive items in ascending order; the calling thread joins them once make
// returns. With one thread the items are made first and then done in order.
//
// When an item raises, the items after it in its block are left, and so are the blocks that
// begin after it. Once every thread is done, make's failure is raised; otherwise the failure of
// the least item that raised is returned (null when none did), so that it is the failure of the
// first failing item whatever the thread count. A thread that cannot be started, or whose
// makeWorker raises, leaves its share to the others (the calling thread's failure is raised).
template <typename Item, typename Make, typename MakeWorker>
std::exception_ptr ForEachWhileMade(size_t block, unsigned threads, Make&& make,
                                    MakeWorker&& makeWorker) {
  TFirstFailure failures;
  std::mutex lock; // guards what follows
  std::condition_variable more;
  std::vector<Item> items; // those made and handed out
  size_t next = 0;         // the first item not taken
  bool done = false;       // no more items come
  bool stop = false;       // the items do not matter any more
  auto run = [&] {
    auto work = makeWorker();
    std::vector<Item> taken;
    for (;;) {
      size_t first = 0;
      {
        std::unique_lock<std::mutex> guard(lock);
        more.wait(guard, [&] { return next < items.size() || done; });
        if (next == items.size() || stop || failures.Before(next))
          return;
        first = next;
        next = std::min(items.size(), first + block);
        taken.assign(items.begin() + static_cast<std::ptrdiff_t>(first),
                     items.begin() + static_cast<std::ptrdiff_t>(next));
      }
      for (size_t i = 0; i < taken.size(); ++i) {
        try {
          work(taken[i], first + i);
        } catch (...) {
          failures.Note(first + i, std::current_exception());
          break;
        }
      }
    }
  };
  // Items are handed out a block at a time, so that waking a thread is rare.
  std::vector<Item> made;
  auto handOut = [&] {
    {
      const std::lock_guard<std::mutex> guard(lock);
      items.insert(items.end(), made.begin(), made.end());
    }
    made.clear();
    more.notify_all();
  };
  auto add = [&](Item item) {
    made.push_back(std::move(item));
    if (made.size() == block)
      handOut();
  };
  std::exception_ptr makeFailure;
  {
    std::vector<std::jthread> pool;
    try {
      pool.reserve(threads);
      for (unsigned t = 1; t < threads; ++t)
        pool.emplace_back([&] {
          try {
            run();
          } catch (...) { // no worker on this thread: the others do its share
          }
        });
    } catch (const std::exception&) { // no more threads: the ones started do the work
    }
    try {
      make(add);
      handOut();
    } catch (...) {
      makeFailure = std::current_exception();
    }
    {
      const std::lock_guard<std::mutex> guard(lock);
      done = true;
      stop = makeFailure != nullptr;
    }
    more.notify_all();
    if (!makeFailure)
      run();
  } // the threads are joined here
  if (makeFailure)
    std::rethrow_exception(makeFailure);
  return failures.First();
}

} // namespace quarnel
