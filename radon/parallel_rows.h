// Rows of a stage computed on two threads, shown in order on this one; and
// short steps in order, each shared by two threads.
//
// The canvas belongs to the calling thread: compute(i) must only calculate
// (into memory of its own row), show(i) does all the drawing. show(0),
// show(1), ... run on the calling thread in order, each as soon as its row
// is ready, so the pictures and their order are those of a plain loop.
#ifndef RADON_PARALLEL_ROWS_H
#define RADON_PARALLEL_ROWS_H

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define RADON_NO_THREADS 1
#endif

template <class Compute, class Show>
void computeRowsInOrder(int n, Compute compute, Show show) {
#ifdef RADON_NO_THREADS
    for (int i = 0; i < n; i++) {
        compute(i);
        show(i);
    }
#else
    std::atomic<int> next{0};
    std::vector<char> ready(n, 0);
    std::mutex m;
    std::condition_variable row_done;

    // Computes the next row nobody has taken; false when all are taken.
    auto computeOne = [&]() {
        int i = next++;
        if (i >= n) return false;
        compute(i);
        {
            std::lock_guard<std::mutex> lock(m);
            ready[i] = 1;
        }
        row_done.notify_all();
        return true;
    };

    std::thread helper([&] {
        while (computeOne()) {
        }
    });
    for (int i = 0; i < n; i++) {
        // Until row i is ready, work ahead rather than wait.
        for (;;) {
            {
                std::lock_guard<std::mutex> lock(m);
                if (ready[i]) break;
            }
            if (computeOne()) continue;
            std::unique_lock<std::mutex> lock(m);
            row_done.wait(lock, [&] { return ready[i] != 0; });
            break;
        }
        show(i);
    }
    helper.join();
#endif
}

// Steps 0..steps-1 in order, each cut into `pieces` pieces that two threads
// share: piece(step, i) for i = 0..pieces-1, and a step's pieces start only
// when every piece of the steps before is done. One helper thread for all
// the steps, so that many short steps cost no thread each.
template <class Piece>
void inOrderedSteps(int steps, int pieces, Piece piece) {
#ifdef RADON_NO_THREADS
    for (int step = 0; step < steps; step++)
        for (int i = 0; i < pieces; i++) piece(step, i);
#else
    std::atomic<int> taken{0}, done{0};
    const int total = steps * pieces;
    // Pieces are taken in order and each is finished before the next is
    // taken, so the pieces waited for are always under way.
    auto work = [&]() {
        for (int g; (g = taken.fetch_add(1)) < total;) {
            const int before = g / pieces * pieces;
            while (done.load(std::memory_order_acquire) < before) std::this_thread::yield();
            piece(g / pieces, g % pieces);
            done.fetch_add(1, std::memory_order_release);
        }
    };
    std::thread helper(work);
    work();
    helper.join();
#endif
}

#endif
