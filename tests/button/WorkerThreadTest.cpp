#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "core/ButtonRegistry.h"
#include "core/WorkerThread.h"
#include "support/Patience.h"

namespace {

// Runs until released, then returns its value.
class GatedWorker : public WorkerThread {
public:
    GatedWorker() : gate_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~GatedWorker() override {
        Stop(1000);
        CloseHandle(gate_);
    }
    void Release() { SetEvent(gate_); }
    int value = 7;
    volatile LONG runs = 0;

protected:
    int Run() override {
        InterlockedIncrement(&runs);
        WaitForSingleObject(gate_, INFINITE);
        return value;
    }

private:
    HANDLE gate_;
};

// Ends on its own once asked to stop.
class CooperativeWorker : public WorkerThread {
public:
    CooperativeWorker() : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~CooperativeWorker() override {
        Stop(1000);
        CloseHandle(stop_);
    }

protected:
    int Run() override {
        return WaitForSingleObject(stop_, 2 * kPatienceMs) == WAIT_OBJECT_0 ? 3 : 0;
    }
    void OnStopRequested() override { SetEvent(stop_); }

private:
    HANDLE stop_;
};

class ThrowingWorker : public WorkerThread {
public:
    ~ThrowingWorker() override { Stop(1000); }

protected:
    int Run() override { throw 1; }
};

DWORD WINAPI StopWorker(void* worker) {
    static_cast<GatedWorker*>(worker)->Stop(100);
    return 0;
}

struct RegistryJob {
    ButtonRegistry* registry;
    int base;
};

// Inserts 500 keys of its own and removes every second one; 1 on a wrong answer.
DWORD WINAPI UseRegistry(void* p) {
    auto* job = static_cast<RegistryJob*>(p);
    for (int i = 0; i < 500; ++i) {
        auto* key = reinterpret_cast<const ToolbarHost*>(static_cast<intptr_t>(job->base + i));
        auto* value = reinterpret_cast<RssButton*>(static_cast<intptr_t>(job->base + i));
        if (!job->registry->Insert(key, value) || job->registry->Find(key) != value) return 1;
        if (i % 2 && job->registry->Remove(key) != value) return 1;
    }
    return 0;
}

}  // namespace

TEST(WorkerThread, DeliversTheResultAndStartsOnlyOneThreadUntilStopped) {
    GatedWorker worker;
    EXPECT_EQ(worker.Start(), 1);
    EXPECT_EQ(worker.Start(), 0);
    EXPECT_TRUE(worker.IsRunning());
    worker.Release();
    int result = 0;
    worker.Stop(kPatienceMs, &result);
    EXPECT_EQ(result, 7);
    EXPECT_EQ(worker.runs, 1);
    EXPECT_FALSE(worker.IsRunning());

    // A stopped worker can run again; Stop without a thread does nothing.
    EXPECT_EQ(worker.Start(), 1);
    worker.Stop(kPatienceMs, &result);
    worker.Stop(kPatienceMs, &result);
    EXPECT_EQ(worker.runs, 2);
}

TEST(WorkerThread, AWorkerThatDoesNotEndInTimeIsTerminated) {
    GatedWorker worker;
    ASSERT_EQ(worker.Start(), 1);
    while (worker.runs == 0) Sleep(1);
    // The gate stays shut: Stop returns only by giving up on the thread.
    int result = 0;
    worker.Stop(50, &result);
    EXPECT_EQ(result, -1);
    EXPECT_FALSE(worker.IsRunning());
}

TEST(WorkerThread, StopAsksACooperativeWorkerFirst) {
    CooperativeWorker worker;
    ASSERT_EQ(worker.Start(), 1);
    int result = 0;
    worker.Stop(kPatienceMs, &result);
    EXPECT_EQ(result, 3);
}

TEST(WorkerThread, AnExceptionInRunEndsTheThreadWithMinusOne) {
    ThrowingWorker worker;
    ASSERT_EQ(worker.Start(), 1);
    int result = 0;
    worker.Stop(kPatienceMs, &result);
    EXPECT_EQ(result, -1);
}

TEST(WorkerThread, ConcurrentStopsReleaseTheHandleOnce) {
    GatedWorker worker;
    ASSERT_EQ(worker.Start(), 1);
    HANDLE threads[4];
    for (HANDLE& thread : threads)
        thread = CreateThread(nullptr, 0, StopWorker, &worker, 0, nullptr);
    worker.Release();
    EXPECT_EQ(WaitForMultipleObjects(4, threads, TRUE, kPatienceMs), WAIT_OBJECT_0);
    for (HANDLE thread : threads) CloseHandle(thread);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_EQ(worker.Start(), 1);
}

TEST(ButtonRegistry, FindsInsertsAndRemovesByKey) {
    ButtonRegistry registry;
    auto key = [](int i) { return reinterpret_cast<const ToolbarHost*>(static_cast<intptr_t>(i)); };
    auto button = [](int i) { return reinterpret_cast<RssButton*>(static_cast<intptr_t>(i)); };
    EXPECT_EQ(registry.Find(key(1)), nullptr);
    EXPECT_TRUE(registry.Insert(key(1), button(10)));
    EXPECT_TRUE(registry.Insert(key(2), button(20)));
    EXPECT_TRUE(registry.Insert(key(3), button(30)));
    EXPECT_FALSE(registry.Insert(key(2), button(99)));
    EXPECT_EQ(registry.Find(key(2)), button(20));

    EXPECT_EQ(registry.Remove(key(2)), button(20));
    EXPECT_EQ(registry.Remove(key(2)), nullptr);
    EXPECT_EQ(registry.Find(key(3)), button(30));
    EXPECT_EQ(registry.Remove(key(1)), button(10));
    EXPECT_EQ(registry.Remove(key(3)), button(30));
    EXPECT_EQ(registry.Count(), 0u);
}

TEST(ButtonRegistry, ThreadsShareTheTableSafely) {
    ButtonRegistry registry;
    std::vector<RegistryJob> jobs = {{&registry, 1000}, {&registry, 2000}, {&registry, 3000}};
    HANDLE threads[3];
    for (int i = 0; i < 3; ++i)
        threads[i] = CreateThread(nullptr, 0, UseRegistry, &jobs[i], 0, nullptr);
    ASSERT_EQ(WaitForMultipleObjects(3, threads, TRUE, kPatienceMs), WAIT_OBJECT_0);
    for (HANDLE thread : threads) {
        DWORD code = 1;
        GetExitCodeThread(thread, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(thread);
    }
    EXPECT_EQ(registry.Count(), 750u);
}
