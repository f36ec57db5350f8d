// frame/: the window's logic without a window, shared by every front end and the tests.
// Animated GIF written with giflib, one frame at a time, into a streaming file: the driver's
// --gif and the window's recording. Knows no toolkit and holds no more than one frame.
//
// The palette is built from the frames: every frame carries its own local colour table made
// from that frame's colours. A frame of at most 256 colours (the grey picture always is one) is
// stored exactly; a richer frame is reduced by median cut (the box of the widest channel range
// split at its pixel-weighted median until there are 256) and every colour drawn as the mean of
// its box. A per-frame table costs under 800 bytes a frame and keeps every frame as exact as
// the format allows, whereas one global table would blur a scene whose colours change.
//
// Frame delays are kept in whole hundredths of a second, as GIF wants, from the exact time of
// every frame: 16 ms frames get 2, 1, 2, 2, 1 ... hundredths, so the average rate is right.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "frame/FileWriting.h"
#include "frame/RgbPicture.h"

namespace plashbox {

// giflib's own message after "GIF: ", and pictures that do not fit the animation.
class EGifError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// At most 256 colours for one frame, and for every pixel the index of its colour.
struct TIndexedFrame {
  std::vector<uint8_t> Palette;  // red, green, blue for each colour
  std::vector<uint8_t> Indices;  // rows from the top
};
TIndexedFrame IndexColours(const TRgbPicture& Picture);

// The delay of frame Index (0-based) in hundredths of a second when every frame lasts
// FrameMilliseconds: the rounded end time less the rounded start time.
int32_t GifFrameDelay(int64_t Index, int32_t FrameMilliseconds);

class TGifAnimation {
 public:
  // Every frame has Width x Height pixels and lasts FrameMilliseconds; the animation loops.
  // The header is written to File at once.
  TGifAnimation(TStreamingFile& File, int32_t Width, int32_t Height, int32_t FrameMilliseconds);
  ~TGifAnimation();
  TGifAnimation(const TGifAnimation&) = delete;
  TGifAnimation& operator=(const TGifAnimation&) = delete;

  void AddFrame(const TRgbPicture& Picture);
  // Writes the trailer; the caller then commits the file. No frame can follow.
  void Finish();

 private:
  struct TGif;
  void Flush();
  TStreamingFile& File_;
  int32_t Width_, Height_, FrameMilliseconds_;
  int64_t Frames_ = 0;
  std::string Pending_;  // giflib's output since the last flush
  std::unique_ptr<TGif> Gif_;
};

// The window's recording: frames handed over on the caller's thread are encoded and written on
// a worker thread of its own, so the caller never waits for the disk. The queue holds at most
// QueueLimit frames; a frame that finds it full is dropped (and counted) rather than making the
// caller wait. A failure stops the work at once, removes the partial file and is kept as
// Error(); Finish raises it.
class TGifRecorder {
 public:
  // Opens the file (raising as TStreamingFile does) and starts the worker.
  TGifRecorder(const std::string& FileName, int32_t Width, int32_t Height, int32_t FrameMilliseconds,
               size_t QueueLimit = 32);
  // Without Finish: the worker stops and the partial file is removed.
  ~TGifRecorder();
  TGifRecorder(const TGifRecorder&) = delete;
  TGifRecorder& operator=(const TGifRecorder&) = delete;

  // False when the frame was not taken: the queue was full, or the recording has failed.
  bool Push(TRgbPicture Picture);
  // Waits until every queued frame is written, then commits the file. Progress is called on the
  // caller's thread with the frames written and the frames taken, at least once.
  void Finish(const std::function<void(int64_t Written, int64_t Taken)>& Progress = {});
  int64_t Taken() const;
  int64_t Written() const;
  int64_t Dropped() const;
  // Empty while all is well.
  std::string Error() const;
  const std::string& FileName() const { return File_.Name(); }

 private:
  void Work();
  TStreamingFile File_;
  TGifAnimation Animation_;
  size_t QueueLimit_;
  mutable std::mutex Mutex_;
  std::condition_variable Changed_;
  std::deque<TRgbPicture> Queue_;
  bool Stopping_ = false;
  bool Busy_ = false;  // the worker holds a frame
  int64_t Taken_ = 0, Written_ = 0, Dropped_ = 0;
  std::string Error_;
  std::thread Worker_;
};

}  // namespace plashbox
