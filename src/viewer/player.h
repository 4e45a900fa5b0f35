#pragma once
// The loop player: one operation that carries out a player command on the frame list
// and the loop timer, and says which frame (if any) is to be shown.
#include <QString>

#include "viewer/frames.h"

class QTimer;

namespace nimbrel {

/// What the player needs of its timer. Behind an interface so that the intervals the
/// player chooses can be inspected without waiting for real ticks.
class LoopTimer {
public:
    virtual ~LoopTimer() = default;
    virtual bool IsActive() const = 0;
    /// Starts the timer when it is stopped; a running timer is left alone, so its
    /// countdown is not restarted.
    virtual void Start() = 0;
    virtual void Stop() = 0;
    virtual int Interval() const = 0;
    /// Sets the interval only when it differs: a changed interval restarts the
    /// countdown of a running timer, an unchanged one must not.
    virtual void SetInterval(int milliseconds) = 0;
};

/// LoopTimer over a QTimer of the window.
class QtLoopTimer : public LoopTimer {
public:
    explicit QtLoopTimer(QTimer& timer) : timer_(timer) {}
    bool IsActive() const override;
    void Start() override;
    void Stop() override;
    int Interval() const override;
    void SetInterval(int milliseconds) override;

private:
    QTimer& timer_;
};

/// The outcome of one command.
struct FrameStep {
    bool NoImages = false; ///< the list was empty: the status line says "No images loaded"
    bool Show = false;     ///< a frame is to be shown
    QString FileName;      ///< the frame to show when Show is set
};

inline const QString NoImagesText = QStringLiteral("No images loaded");

/// Carries out `command`. `loopSpeed` is the time each frame stays while playing,
/// `dwellSpeed` the extra time of the end frame of a pass (both in ms).
FrameStep ApplyFrameCommand(PlayerState& player, LoopTimer& timer, FrameCommandKind command,
                            int loopSpeed, int dwellSpeed);

/// The command a tick of the loop timer gives.
FrameCommandKind TickCommand(const PlayerState& player);

} // namespace nimbrel
