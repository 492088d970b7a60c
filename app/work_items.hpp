#pragma once
// Work items shared out over threads: each thread takes the next item until none is left and
// keeps the refusals of its own points; the call joins them, in increasing point order.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <mutex>
#include <thread>
#include <vector>

#include "app/batch.hpp"
#include "app/compute.hpp"

namespace veldo {

// Runs work(take, mine) on min(SweepThreads(threads), items) threads, the first on the calling
// thread. take(item) claims the next of items [0, items) into item and is false once none is
// left; mine collects the thread's refusals. Each thread's buffers live in its call of work.
template <class Work>
std::vector<Refusal> ShareItems(std::size_t items, int threads, Work&& work) {
  std::atomic<std::size_t> next{0};
  std::mutex mutex;
  std::vector<Refusal> all;
  const auto run = [&] {
    std::vector<Refusal> mine;
    const auto take = [&](std::size_t& item) {
      item = next.fetch_add(1);
      return item < items;
    };
    work(take, mine);
    if (mine.empty()) return;
    const std::lock_guard<std::mutex> lock(mutex);
    all.insert(all.end(), mine.begin(), mine.end());
  };
  const int n = static_cast<int>(
      std::min<std::size_t>(static_cast<std::size_t>(SweepThreads(threads)), std::max<std::size_t>(items, 1)));
  std::vector<std::thread> pool;
  pool.reserve(static_cast<std::size_t>(n - 1));
  for (int t = 1; t < n; ++t) pool.emplace_back(run);
  run();
  for (std::thread& t : pool) t.join();
  std::sort(all.begin(), all.end(), [](const Refusal& a, const Refusal& b) { return a.index < b.index; });
  return all;
}

}  // namespace veldo
