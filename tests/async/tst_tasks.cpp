// Coroutine tasks, cancellation and virtual time.

#include "async/Awaitables.h"
#include "async/TaskGroup.h"
#include "platform/linux/SystemClock.h"
#include "platform/sim/VirtualClock.h"

#include <QtTest>
#include <memory>
#include <string>
#include <vector>

using namespace stellwick;
using stellwick::sim::VirtualClock;

namespace {

Task<int> addAfter(VirtualClock& clock, double seconds, int a, int b) {
    co_await sleepFor(clock, seconds);
    co_return a + b;
}

Task<void> recordSleeps(VirtualClock& clock, std::vector<std::string>& log, int count) {
    for (int i = 0; i < count; ++i) {
        try {
            co_await sleepFor(clock, 1.0);
            log.push_back("slept " + std::to_string(clock.elapsed()));
        } catch (const CancellationError&) {
            log.push_back("cancelled " + std::to_string(clock.elapsed()));
        }
    }
}

struct Tracker {
    explicit Tracker(int& counter)
        : counter(counter) {}
    ~Tracker() { ++counter; }
    int& counter;
};

} // namespace

class TasksTest : public QObject {
    Q_OBJECT

private slots:
    void spawnedTasksStartOnALaterTurnAndAwaitChildren() {
        VirtualClock clock;
        TaskGroup group(clock);
        int result = 0;
        bool started = false;
        group.spawn([](VirtualClock& clock, int& result, bool& started) -> Task<void> {
            started = true;
            result = co_await addAfter(clock, 2.5, 40, 2);
        }(clock, result, started));
        QVERIFY(!started); // the spawning caller returns first
        clock.runPending();
        QVERIFY(started);
        clock.advance(2.4);
        QCOMPARE(result, 0);
        clock.advance(0.1);
        QCOMPARE(result, 42);
        QCOMPARE(group.runningCount(), 0u);
    }

    void cancellationFailsThePendingSleepAndEveryLaterOne() {
        VirtualClock clock;
        TaskGroup group(clock);
        std::vector<std::string> log;
        std::vector<std::string> other;
        TaskRef task = group.spawn(recordSleeps(clock, log, 3));
        group.spawn(recordSleeps(clock, other, 2)); // not cancelled: sleeps on
        clock.advance(1.5);
        task.cancel();
        QCOMPARE(log.size(), 1u); // nothing resumes inside cancel()
        clock.runPending();
        // The pending sleep fails at once; the next one fails without waiting.
        QCOMPARE(log,
                 (std::vector<std::string>{"slept 1.000000", "cancelled 1.500000", "cancelled 1.500000"}));
        QVERIFY(task.isFinished());
        clock.advance(1);
        QCOMPARE(other, (std::vector<std::string>{"slept 1.000000", "slept 2.000000"}));
        QCOMPARE(group.runningCount(), 0u);
    }

    void destroyingTheGroupDestroysSuspendedFramesWithoutResuming() {
        VirtualClock clock;
        int destroyed = 0;
        bool resumed = false;
        {
            TaskGroup group(clock);
            group.spawn([](VirtualClock& clock, int& destroyed, bool& resumed) -> Task<void> {
                Tracker tracker(destroyed);
                co_await addAfter(clock, 5, 1, 2);
                resumed = true;
            }(clock, destroyed, resumed));
            clock.advance(1);
            QCOMPARE(clock.pendingCount(), 1u);
        }
        QCOMPARE(destroyed, 1);
        QCOMPARE(clock.pendingCount(), 0u); // the sleep's timer went with the frame
        clock.advance(10);
        QVERIFY(!resumed);
    }

    void waitForCallbackResumesWhenCalledAndToleratesAnEarlyCall() {
        VirtualClock clock;
        TaskGroup group(clock);
        std::function<void()> done;
        int phase = 0;
        group.spawn([](std::function<void()>& done, int& phase) -> Task<void> {
            co_await waitForCallback([&done](std::function<void()> d) {
                done = std::move(d);
                return Cancellable([] {});
            });
            phase = 1;
            co_await waitForCallback([](std::function<void()> d) {
                d(); // already there
                return Cancellable();
            });
            phase = 2;
        }(done, phase));
        clock.runPending();
        QCOMPARE(phase, 0);
        done();
        QCOMPARE(phase, 2);
    }

    void theSystemClockRunsCallbacksFromTheEventLoop() {
        linux_platform::SystemClock clock;
        QVERIFY(clock.systemUptime() > 0);
        QVERIFY(qAbs(clock.now().unixTime() - QDateTime::currentSecsSinceEpoch()) < 5);
        int fired = 0;
        Cancellable kept = clock.schedule(0, [&] { ++fired; });
        clock.schedule(0, [&] { fired += 100; }).cancel();
        QCOMPARE(fired, 0); // never inside schedule()
        QTRY_COMPARE(fired, 1);
        QVERIFY(!kept); // fired: disarmed, so it can never cancel a newer timer with its id
        QCoreApplication::processEvents();
        QCOMPARE(fired, 1);
    }
};

QTEST_GUILESS_MAIN(TasksTest)
#include "tst_tasks.moc"
