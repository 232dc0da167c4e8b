#pragma once

#include "capture/CaptureFile.h"
#include "capture/CapturePacketReader.h"
#include "capture/PauseGate.h"
#include "capture/PlaybackVariables.h"
#include "lidar/FrameCutter.h"
#include "lidar/MuchLidarData.h"

#include <QThread>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

// Plays the data packets of an opened capture as if the sensor were live:
// cuts them into frames, paces the frames by the speed setting and emits
// each one. The GUI thread steers it through `playback`, the pause gate,
// seeks and `stop`.
//
// Frame f of a capture is the f-th frame a run emits after a (re)start:
// frame 0 holds the points before the first marker, frame f > 0 those
// between markers f and f+1 (counting markers from 1), so frames
// 0..captureFrameCount-1 can be shown; the points after the last marker
// never form a frame.
//
// A packet that can no longer be read (another program shortened the file)
// ends the capture there: the player sends the notice through SendError and
// enters a stop point.
//
// Stop points (restart requested, last packet reached playing forward, first
// packet reached playing backward): the player emits SendBool(true), goes
// back to packet 0 playing forward, closes the gate and waits; the next
// release plays frame 0 onwards.
class ReadLiveOffData : public QThread {
    Q_OBJECT
public:
    explicit ReadLiveOffData(QObject* parent = nullptr);
    ~ReadLiveOffData() override;

    // The capture the next start() plays. The player shares ownership, so
    // the mapping stays valid for as long as a run reads it. Call while the
    // player is stopped: clears pending seeks and opens the gate.
    void setCapture(std::shared_ptr<const CaptureFile> capture);

    // The pause gate, for the GUI thread. Closing takes effect before the
    // next packet or frame and never waits.
    void closeGate() { gate_.close(); }
    void releaseGate() { gate_.release(); }
    bool gateOpen() const { return gate_.isOpen(); }

    // Positions the player at the start of `frame` (clamped to the last
    // one), emits that frame and pauses behind it with the gate closed, as
    // after a single step; playing on continues from there. Wakes a paused
    // player. A capture without frames takes this as a restart.
    void showFrameAndPause(int frame);

    // Sets `stop`, opens the gate so that a paused run sees it, waits until
    // run() has ended, and drops the capture. Afterwards the gate is open
    // and nothing is pending.
    void stopAndWait();

    std::uint64_t framesEmitted() const { return framesEmitted_.load(); }

    PlaybackVariables playback;
    // Set by the GUI thread (with a gate release) to end run().
    std::atomic<bool> stop{false};
    // The packet of the last seek.
    std::atomic<int> seekPacket{0};

signals:
    void SendData(MuchLidarData lidardata);
    void SendBool(bool Finsh);
    void SendError(QString str);

private slots:
    // Seeks to `packet` of the capture last set: frames are cut from the
    // first marker found in or after it. Packets outside it are ignored.
    void getProgressChangeValue(int packet);

protected:
    void run() override;

private:
    bool commandPending() const;
    // Seeks, frame requests and restarts; true when a stop point was entered.
    bool applyCommands();
    bool positionAtFrame(int frame);
    void enterStopPoint();
    void deliver(const MuchLidarData& frame);

    PauseGate gate_;
    std::atomic<bool> seekRequested_{false};
    std::atomic<int> requestedFrame_{-1};
    std::atomic<std::uint64_t> framesEmitted_{0};

    mutable std::mutex captureMutex_;
    std::shared_ptr<const CaptureFile> capture_;

    // Touched by run() only.
    const CaptureFile* playing_ = nullptr;
    std::unique_ptr<CapturePacketReader> reader_;
    FrameCutter cutter_;
    int packet_ = 0;
    bool packetFed_ = false;       // packet_ has been cut; next comes the step
    int framesToDrop_ = 0;         // frames cut before the one a frame request wants
    bool pauseAfterShown_ = false; // a requested frame is being shown
    bool abandonPacket_ = false;   // a command or stop arrived mid-packet
};
