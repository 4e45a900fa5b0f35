#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include "viewer/player.h"

namespace nimbrel {
namespace {

// A timer that only remembers what the player asked of it.
class RecordingTimer : public LoopTimer {
public:
    bool IsActive() const override { return Active; }
    void Start() override { Active = true; }
    void Stop() override { Active = false; }
    int Interval() const override { return IntervalMs; }
    void SetInterval(int ms) override {
        IntervalMs = ms;
        ++IntervalCalls;
    }
    bool Active = false;
    int IntervalMs = 1000;
    int IntervalCalls = 0;
};

constexpr int Loop = 250;
constexpr int Dwell = 1000;

PlayerState ThreeFrames() {
    PlayerState p;
    p.Frames = QStringList{"a-1", "a-2", "a-3"};
    p.FrameIndex = 2; // where a list rebuild leaves it
    return p;
}

TEST(Player, PlayingForwardWrapsAndDwellsOnTheLastFrame) {
    PlayerState p = ThreeFrames();
    RecordingTimer t;
    FrameStep s = ApplyFrameCommand(p, t, FrameCommandKind::PlayForward, Loop, Dwell);
    EXPECT_FALSE(s.Show);
    EXPECT_TRUE(t.Active);
    EXPECT_EQ(p.LoopDirection, 1);
    EXPECT_EQ(t.IntervalMs, 1000); // the first step comes after the interval the timer had

    struct Expect {
        const char* Name;
        int Interval;
    };
    const Expect ticks[] = {{"a-1", Loop}, {"a-2", Loop}, {"a-3", Loop + Dwell}, {"a-1", Loop}};
    for (const Expect& e : ticks) {
        s = ApplyFrameCommand(p, t, TickCommand(p), Loop, Dwell);
        EXPECT_TRUE(s.Show);
        EXPECT_EQ(s.FileName, QString::fromLatin1(e.Name));
        EXPECT_EQ(t.IntervalMs, e.Interval);
    }
}

TEST(Player, PlayingBackwardDwellsOnTheFirstFrame) {
    PlayerState p = ThreeFrames();
    RecordingTimer t;
    ApplyFrameCommand(p, t, FrameCommandKind::PlayReverse, Loop, Dwell);
    EXPECT_EQ(p.LoopDirection, -1);
    FrameStep s = ApplyFrameCommand(p, t, TickCommand(p), Loop, Dwell);
    EXPECT_EQ(s.FileName, QStringLiteral("a-2"));
    EXPECT_EQ(t.IntervalMs, Loop);
    s = ApplyFrameCommand(p, t, TickCommand(p), Loop, Dwell);
    EXPECT_EQ(s.FileName, QStringLiteral("a-1"));
    EXPECT_EQ(t.IntervalMs, Loop + Dwell);
    s = ApplyFrameCommand(p, t, TickCommand(p), Loop, Dwell);
    EXPECT_EQ(s.FileName, QStringLiteral("a-3")); // wraps from the first to the last
    EXPECT_EQ(t.IntervalMs, Loop);
}

TEST(Player, ReversingWhilePlayingOnlyChangesDirection) {
    PlayerState p = ThreeFrames();
    RecordingTimer t;
    ApplyFrameCommand(p, t, FrameCommandKind::PlayForward, Loop, Dwell);
    const FrameStep s = ApplyFrameCommand(p, t, FrameCommandKind::PlayReverse, Loop, Dwell);
    EXPECT_FALSE(s.Show);
    EXPECT_TRUE(t.Active);
    EXPECT_EQ(p.LoopDirection, -1);
    EXPECT_EQ(p.FrameIndex, 2);
    EXPECT_EQ(TickCommand(p), FrameCommandKind::StepBack);
}

TEST(Player, ManualStepsWrapAndLeaveAStoppedTimerAlone) {
    PlayerState p = ThreeFrames();
    RecordingTimer t;
    FrameStep s = ApplyFrameCommand(p, t, FrameCommandKind::StepForward, Loop, Dwell);
    EXPECT_EQ(s.FileName, QStringLiteral("a-1")); // last -> first
    s = ApplyFrameCommand(p, t, FrameCommandKind::StepBack, Loop, Dwell);
    EXPECT_EQ(s.FileName, QStringLiteral("a-3")); // first -> last
    s = ApplyFrameCommand(p, t, FrameCommandKind::StepBack, Loop, Dwell);
    EXPECT_EQ(s.FileName, QStringLiteral("a-2"));
    EXPECT_EQ(t.IntervalCalls, 0);
    EXPECT_FALSE(t.Active);

    p.FrameIndex = 0;
    s = ApplyFrameCommand(p, t, FrameCommandKind::GoLast, Loop, Dwell);
    EXPECT_EQ(s.FileName, QStringLiteral("a-3"));
    EXPECT_EQ(p.FrameIndex, 2);
}

TEST(Player, OneFrameDwellsEveryTime) {
    PlayerState p;
    p.Frames = QStringList{"only"};
    RecordingTimer t;
    ApplyFrameCommand(p, t, FrameCommandKind::PlayForward, Loop, Dwell);
    for (FrameCommandKind c : {FrameCommandKind::StepForward, FrameCommandKind::StepBack}) {
        const FrameStep s = ApplyFrameCommand(p, t, c, Loop, Dwell);
        EXPECT_EQ(s.FileName, QStringLiteral("only"));
        EXPECT_EQ(t.IntervalMs, Loop + Dwell);
    }
}

TEST(Player, StopStopsWithoutShowing) {
    PlayerState p = ThreeFrames();
    RecordingTimer t;
    t.Active = true;
    const FrameStep s = ApplyFrameCommand(p, t, FrameCommandKind::Stop, Loop, Dwell);
    EXPECT_FALSE(s.Show);
    EXPECT_FALSE(s.NoImages);
    EXPECT_FALSE(t.Active);
}

TEST(Player, EmptyListOnlyReportsAndKeepsALoopRunning) {
    PlayerState p;
    RecordingTimer t;
    t.Active = true;
    for (FrameCommandKind c : {FrameCommandKind::Stop, FrameCommandKind::StepForward,
                               FrameCommandKind::GoLast, FrameCommandKind::PlayReverse}) {
        const FrameStep s = ApplyFrameCommand(p, t, c, Loop, Dwell);
        EXPECT_TRUE(s.NoImages);
        EXPECT_FALSE(s.Show);
    }
    EXPECT_TRUE(t.Active);
    EXPECT_EQ(t.IntervalCalls, 0);
    EXPECT_EQ(p.LoopDirection, -1);
}

TEST(Player, PositionOutsideTheListNeverIndexesOutside) {
    PlayerState p = ThreeFrames();
    RecordingTimer t;
    p.FrameIndex = 7;
    EXPECT_EQ(ApplyFrameCommand(p, t, FrameCommandKind::StepBack, Loop, Dwell).FileName,
              QStringLiteral("a-3"));
    p.FrameIndex = -4;
    EXPECT_EQ(ApplyFrameCommand(p, t, FrameCommandKind::StepForward, Loop, Dwell).FileName,
              QStringLiteral("a-1"));
}

// The real timer: a countdown must restart when the interval changes and must not
// when it is set to the value it has, nor when a running timer is started again.
TEST(QtLoopTimer, OnlyAChangedIntervalRestartsTheCountdown) {
    QTimer timer;
    timer.setInterval(1000);
    QtLoopTimer loop(timer);
    loop.Start();
    ASSERT_TRUE(timer.isActive());
    QThread::msleep(300);
    loop.SetInterval(1000);
    EXPECT_LE(timer.remainingTime(), 750);
    loop.Start();
    EXPECT_LE(timer.remainingTime(), 750);
    loop.SetInterval(2000);
    // Restarted: close to 2000 ms left; not restarted it would be 1750 ms or less.
    EXPECT_GT(timer.remainingTime(), 1800);
    EXPECT_EQ(loop.Interval(), 2000);
    loop.Stop();
    EXPECT_FALSE(loop.IsActive());
    loop.SetInterval(300); // a stopped timer only takes the value
    EXPECT_FALSE(loop.IsActive());
    EXPECT_EQ(timer.interval(), 300);
}

} // namespace
} // namespace nimbrel
