// Runs jobs on a few threads and hands their results back in input order as they become ready.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace veltrano {

// Calls work(i) for every i in [0, count) on up to `jobs` threads (at least one), and
// deliver(i, result) on the calling thread for i = 0, 1, 2, ... in order, each as soon as it and
// every earlier result are ready. `work` must be safe to call concurrently.
template <typename Result>
void RunInOrder(std::size_t count, std::size_t jobs, const std::function<Result(std::size_t)>& work,
                const std::function<void(std::size_t, Result&)>& deliver) {
  std::vector<std::optional<Result>> results(count);
  std::mutex mutex;
  std::condition_variable ready;
  std::atomic<std::size_t> next{0};

  auto worker = [&] {
    for (std::size_t i = next++; i < count; i = next++) {
      Result result = work(i);
      {
        const std::lock_guard lock(mutex);
        results[i] = std::move(result);
      }
      ready.notify_one();
    }
  };
  std::vector<std::jthread> threads;
  const std::size_t thread_count =
      std::clamp<std::size_t>(jobs, 1, std::max<std::size_t>(count, 1));
  for (std::size_t t = 0; t < thread_count; ++t) threads.emplace_back(worker);

  for (std::size_t i = 0; i < count; ++i) {
    std::unique_lock lock(mutex);
    ready.wait(lock, [&] { return results[i].has_value(); });
    Result result = std::move(*results[i]);
    results[i].reset();  // a delivered page's result is not kept for the rest of the batch
    lock.unlock();
    deliver(i, result);
  }
}

}  // namespace veltrano
