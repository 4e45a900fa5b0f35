#include "viewer/player.h"

#include <QTimer>

namespace nimbrel {

bool QtLoopTimer::IsActive() const {
    return timer_.isActive();
}

void QtLoopTimer::Start() {
    if (!timer_.isActive()) timer_.start();
}

void QtLoopTimer::Stop() {
    timer_.stop();
}

int QtLoopTimer::Interval() const {
    return timer_.interval();
}

void QtLoopTimer::SetInterval(int milliseconds) {
    // QTimer restarts a running countdown on every setInterval, even to the same value;
    // a loop whose speed did not change must keep its rhythm.
    if (timer_.interval() != milliseconds) timer_.setInterval(milliseconds);
}

FrameStep ApplyFrameCommand(PlayerState& player, LoopTimer& timer, FrameCommandKind command,
                            int loopSpeed, int dwellSpeed) {
    FrameStep step;
    const auto count = static_cast<std::int32_t>(player.Frames.size());
    if (count == 0) {
        // Nothing to step through; a running loop is deliberately left running.
        step.NoImages = true;
        return step;
    }
    switch (command) {
    case FrameCommandKind::StepBack:
        player.FrameIndex -= 1;
        if (player.FrameIndex < 0 || player.FrameIndex >= count) player.FrameIndex = count - 1;
        // The first frame ends a backward pass and holds a little longer.
        if (timer.IsActive())
            timer.SetInterval(player.FrameIndex == 0 ? loopSpeed + dwellSpeed : loopSpeed);
        break;
    case FrameCommandKind::StepForward:
        player.FrameIndex += 1;
        if (player.FrameIndex >= count || player.FrameIndex < 0) player.FrameIndex = 0;
        if (timer.IsActive())
            timer.SetInterval(player.FrameIndex == count - 1 ? loopSpeed + dwellSpeed : loopSpeed);
        break;
    case FrameCommandKind::PlayForward:
        timer.Start();
        player.LoopDirection = 1;
        return step;
    case FrameCommandKind::PlayReverse:
        timer.Start();
        player.LoopDirection = -1;
        return step;
    case FrameCommandKind::Stop:
        timer.Stop();
        return step;
    case FrameCommandKind::GoLast:
        player.FrameIndex = count - 1;
        break;
    }
    step.Show = true;
    step.FileName = player.Frames[player.FrameIndex];
    return step;
}

FrameCommandKind TickCommand(const PlayerState& player) {
    return player.LoopDirection == 1 ? FrameCommandKind::StepForward : FrameCommandKind::StepBack;
}

} // namespace nimbrel
