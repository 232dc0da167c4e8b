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

// Plays the data packets of one sensor of an opened capture as if it were
// live: cuts them into frames, paces the frames by the speed setting and emits
// each one. The GUI thread steers it through `playback`, the pause gate,
// seeks and `stop`.
//
// Packets and frames are the played sensor's (CaptureSensor): frame f is
// the f-th frame a run emits after a (re)start:
// frame 0 holds the points before the first marker, frame f > 0 those
// between markers f and f+1 (counting markers from 1), so frames
// 0..captureFrameCount-1 can be shown; the points after the last marker
// never form a frame. Every SendData is preceded by SendFrameNumber with the
// index of its frame. Playing backward shows the frames in decreasing order,
// each cut exactly as playing forward cuts it: after a frame the player goes
// to the start of the one before it.
//
// A packet that can no longer be read (another program shortened the file)
// ends the capture there: the player sends the notice through SendError and
// enters a stop point.
//
// Stop points (last packet reached playing forward, frame 0 shown playing
// backward, a restart once it has shown frame 0): the player emits
// SendBool(true), goes back to packet 0 playing forward, closes the gate and
// waits; the next release plays frame 0 onwards.
class ReadLiveOffData : public QThread {
    Q_OBJECT
public:
    explicit ReadLiveOffData(QObject* parent = nullptr);
    ~ReadLiveOffData() override;

    // The capture and the sensor of it (an index into its sensors()) that
    // the next start() plays. The player shares ownership, so the file
    // stays open for as long as a run reads it. Call while the player is
    // stopped: clears pending seeks and opens the gate.
    void setCapture(std::shared_ptr<const CaptureFile> capture, int sensor = 0);
    // The sensor set with the capture.
    int sensorPlayed() const { return sensorIndex_.load(); }

    // The pause gate, for the GUI thread. Closing takes effect before the
    // next packet or frame and never waits.
    void closeGate() { gate_.close(); }
    void releaseGate() { gate_.release(); }
    bool gateOpen() const { return gate_.isOpen(); }
    // The player waits at the closed gate: everything it sent before is on
    // its way to the receivers, and nothing more comes until a release.
    bool waitingAtGate() const { return gate_.holdsWaiter(); }

    // What the player does once a frame asked for with showFrame() is out.
    enum class AfterFrame { Pause, PlayOn, StopPoint };

    // Positions the player at the start of `frame` (clamped to the last
    // one) and emits that frame; then it pauses behind it with the gate
    // closed, as after a single step (playing on continues from there), plays
    // on, or enters the stop point. Wakes a paused player. A capture without
    // frames takes this as a restart.
    void showFrame(int frame, AfterFrame then);
    void showFrameAndPause(int frame) { showFrame(frame, AfterFrame::Pause); }

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
    // The index of the capture frame whose SendData follows.
    void SendFrameNumber(int frame);
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
    int nextFrameWanted() const;
    // Seeks, frame requests, restarts and changes of direction; true when a
    // stop point was entered.
    bool applyCommands();
    bool positionAtFrame(int frame);
    int firstFrameCutFrom(int packet) const;
    void enterStopPoint();
    void deliver(const MuchLidarData& frame);

    PauseGate gate_;
    std::atomic<bool> seekRequested_{false};
    // A frame request: the frame times 4 plus its AfterFrame; -1 for none.
    std::atomic<int> requestedFrame_{-1};
    std::atomic<std::uint64_t> framesEmitted_{0};

    mutable std::mutex captureMutex_;
    std::shared_ptr<const CaptureFile> capture_;
    std::atomic<int> sensorIndex_{0};

    // Touched by run() only.
    const CaptureSensor* playing_ = nullptr;
    std::unique_ptr<CapturePacketReader> reader_;
    FrameCutter cutter_;
    int packet_ = 0;
    bool packetFed_ = false; // packet_ has been cut; next comes the step
    int framesToDrop_ = 0;   // frames cut before the one a frame request wants
    int nextFrame_ = 0;      // index of the frame the cutter hands out next
    int shownFrame_ = -1;    // the last frame emitted; -1 after a (re)start or seek
    AfterFrame afterShown_ = AfterFrame::PlayOn; // for the next frame emitted
    bool stopPointPending_ = false; // a requested frame went out; the stop point follows
    bool abandonPacket_ = false;    // a command or stop arrived mid-packet
};
