// Doing the items of a list on several threads, with the failure of the first failing item.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace quarnel {

// Does items 0 to count - 1 on up to threads threads, the calling thread one of them: each
// thread calls makeWorker() once and does its items with the function it returns, taking
// blocks of block consecutive items in ascending order. When an item raises, the items after
// it in its block are left, and so are the blocks that begin after it; once every thread is
// done, the failure of the least item that raised is raised again, so that it is the failure
// of the first failing item whatever the thread count. A thread that cannot be started, or
// whose makeWorker raises, leaves its share to the others (the calling thread's failure is
// raised).
template <typename MakeWorker>
void ForEachInParallel(size_t count, size_t block, unsigned threads, MakeWorker&& makeWorker) {
  std::atomic<size_t> next{0};
  std::atomic<size_t> failedAt{count}; // no block from beyond it is begun
  std::mutex failureLock;
  std::exception_ptr failure;
  auto run = [&] {
    auto work = makeWorker();
    for (;;) {
      const size_t first = next.fetch_add(block);
      if (first >= count || first > failedAt.load())
        return;
      for (size_t k = first; k < std::min(first + block, count); ++k) {
        try {
          work(k);
        } catch (...) {
          const std::lock_guard<std::mutex> guard(failureLock);
          if (k < failedAt.load()) {
            failedAt.store(k);
            failure = std::current_exception();
          }
          break;
        }
      }
    }
  };
  {
    const size_t blocks = (count + block - 1) / block;
    std::vector<std::jthread> pool;
    try {
      pool.reserve(std::min<size_t>(threads, blocks));
      for (size_t t = 1; t < std::min<size_t>(threads, blocks); ++t)
        pool.emplace_back([&] {
          try {
            run();
          } catch (...) { // no worker on this thread: the others do its share
          }
        });
    } catch (const std::exception&) { // no more threads: the ones started do the work
    }
    run();
  } // the threads are joined here
  if (failure)
    std::rethrow_exception(failure);
}

} // namespace quarnel
