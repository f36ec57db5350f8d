#include "frame/GifAnimation.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <unordered_map>

namespace plashbox {

namespace {

uint32_t ColourAt(const TRgbPicture& P, size_t Pixel) {
  const uint8_t* p = P.Rgb.data() + Pixel * 3;
  return uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
}

uint8_t Channel(uint32_t Colour, int C) { return uint8_t(Colour >> (16 - 8 * C)); }

struct TColourCount {
  uint32_t Colour;
  uint32_t Count;
};

// The colours of Colours[Begin, End) form one box of the median cut.
struct TBox {
  size_t Begin, End;
  int WidestChannel = 0;
  int Range = 0;
};

void Measure(TBox& B, const std::vector<TColourCount>& Colours) {
  std::array<int, 3> low{255, 255, 255}, high{0, 0, 0};
  for (size_t i = B.Begin; i < B.End; ++i)
    for (int c = 0; c < 3; ++c) {
      low[c] = std::min<int>(low[c], Channel(Colours[i].Colour, c));
      high[c] = std::max<int>(high[c], Channel(Colours[i].Colour, c));
    }
  B.Range = -1;
  for (int c = 0; c < 3; ++c)
    if (high[c] - low[c] > B.Range) {
      B.Range = high[c] - low[c];
      B.WidestChannel = c;
    }
}

// Splits the boxes until there are 256 of them or none can be split.
std::vector<TBox> MedianCut(std::vector<TColourCount>& Colours) {
  std::vector<TBox> boxes{{0, Colours.size()}};
  Measure(boxes[0], Colours);
  while (boxes.size() < 256) {
    auto widest = std::max_element(boxes.begin(), boxes.end(), [](const TBox& a, const TBox& b) {
      return (a.End - a.Begin > 1 ? a.Range : -1) < (b.End - b.Begin > 1 ? b.Range : -1);
    });
    if (widest->End - widest->Begin < 2) break;
    TBox box = *widest;
    const int c = box.WidestChannel;
    std::sort(Colours.begin() + ptrdiff_t(box.Begin), Colours.begin() + ptrdiff_t(box.End),
              [c](const TColourCount& a, const TColourCount& b) {
                return Channel(a.Colour, c) != Channel(b.Colour, c) ? Channel(a.Colour, c) < Channel(b.Colour, c)
                                                                    : a.Colour < b.Colour;
              });
    uint64_t total = 0;
    for (size_t i = box.Begin; i < box.End; ++i) total += Colours[i].Count;
    // The first colour past half the box's pixels starts the second box; each keeps one colour at least.
    size_t split = box.Begin + 1;
    for (uint64_t sum = Colours[box.Begin].Count; split < box.End - 1 && sum * 2 < total; ++split)
      sum += Colours[split].Count;
    TBox first{box.Begin, split}, second{split, box.End};
    Measure(first, Colours);
    Measure(second, Colours);
    *widest = first;
    boxes.push_back(second);
  }
  return boxes;
}

}  // namespace

TIndexedFrame IndexColours(const TRgbPicture& Picture) {
  const size_t pixels = size_t(Picture.Width) * size_t(Picture.Height);
  if (pixels == 0 || Picture.Rgb.size() < pixels * 3) return {};
  std::unordered_map<uint32_t, uint32_t> counts;
  // Neighbouring pixels mostly share their colour: a run is counted with one look-up.
  for (size_t i = 0; i < pixels;) {
    const uint32_t colour = ColourAt(Picture, i);
    size_t end = i + 1;
    while (end < pixels && ColourAt(Picture, end) == colour) ++end;
    counts[colour] += uint32_t(end - i);
    i = end;
  }
  std::vector<TColourCount> colours;
  colours.reserve(counts.size());
  for (const auto& [colour, count] : counts) colours.push_back({colour, count});
  // The same frame always gets the same table.
  std::sort(colours.begin(), colours.end(), [](const auto& a, const auto& b) { return a.Colour < b.Colour; });

  TIndexedFrame out;
  std::unordered_map<uint32_t, uint8_t> index;
  index.reserve(colours.size());
  if (colours.size() <= 256) {
    for (size_t i = 0; i < colours.size(); ++i) {
      index[colours[i].Colour] = uint8_t(i);
      for (int c = 0; c < 3; ++c) out.Palette.push_back(Channel(colours[i].Colour, c));
    }
  } else {
    const std::vector<TBox> boxes = MedianCut(colours);
    for (size_t b = 0; b < boxes.size(); ++b) {
      std::array<uint64_t, 3> sum{};
      uint64_t weight = 0;
      for (size_t i = boxes[b].Begin; i < boxes[b].End; ++i) {
        index[colours[i].Colour] = uint8_t(b);
        weight += colours[i].Count;
        for (int c = 0; c < 3; ++c) sum[c] += uint64_t(Channel(colours[i].Colour, c)) * colours[i].Count;
      }
      for (int c = 0; c < 3; ++c) out.Palette.push_back(uint8_t((sum[c] + weight / 2) / weight));
    }
  }
  out.Indices.resize(pixels);
  uint32_t last = ColourAt(Picture, 0);
  uint8_t lastIndex = index[last];
  for (size_t i = 0; i < pixels; ++i) {
    const uint32_t colour = ColourAt(Picture, i);
    if (colour != last) {
      last = colour;
      lastIndex = index[colour];
    }
    out.Indices[i] = lastIndex;
  }
  return out;
}

int32_t GifFrameDelay(int64_t Index, int32_t FrameMilliseconds) {
  const auto hundredths = [&](int64_t Frames) { return (Frames * FrameMilliseconds + 5) / 10; };
  return int32_t(hundredths(Index + 1) - hundredths(Index));
}

// giflib's file, closed (and its memory freed) on every path.
struct TGifAnimation::TGif {
  GifFileType* File = nullptr;
  ~TGif() {
    if (File) EGifCloseFile(File, nullptr);
  }
};

namespace {

int AppendOutput(GifFileType* Gif, const GifByteType* Data, int Length) {
  static_cast<std::string*>(Gif->UserData)->append(reinterpret_cast<const char*>(Data), size_t(Length));
  return Length;
}

[[noreturn]] void GifFailed(int Code) {
  const char* text = GifErrorString(Code);
  throw EGifError(std::string("GIF: ") + (text ? text : "error " + std::to_string(Code)));
}

void Check(GifFileType* Gif, int Result) {
  if (Result != GIF_OK) GifFailed(Gif->Error);
}

}  // namespace

TGifAnimation::TGifAnimation(TStreamingFile& File, int32_t Width, int32_t Height, int32_t FrameMilliseconds)
    : File_(File), Width_(Width), Height_(Height), FrameMilliseconds_(FrameMilliseconds), Gif_(new TGif) {
  if (Width <= 0 || Height <= 0 || Width > 65535 || Height > 65535)
    throw EGifError("GIF: cannot write frames of " + std::to_string(Width) + " x " + std::to_string(Height) +
                    " pixels");
  int error = 0;
  Gif_->File = EGifOpen(&Pending_, AppendOutput, &error);
  if (!Gif_->File) GifFailed(error);
  GifFileType* gif = Gif_->File;
  EGifSetGifVersion(gif, true);
  Check(gif, EGifPutScreenDesc(gif, Width, Height, 8, 0, nullptr));
  // Loop for ever (the Netscape application block).
  static const GifByteType loop[] = {1, 0, 0};
  Check(gif, EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE));
  Check(gif, EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0"));
  Check(gif, EGifPutExtensionBlock(gif, 3, loop));
  Check(gif, EGifPutExtensionTrailer(gif));
  Flush();
}

TGifAnimation::~TGifAnimation() = default;

void TGifAnimation::Flush() {
  File_.Write(Pending_);
  Pending_.clear();
}

void TGifAnimation::AddFrame(const TRgbPicture& Picture) {
  if (!Gif_->File) throw EGifError("GIF: the animation is finished");
  if (Picture.Width != Width_ || Picture.Height != Height_ ||
      Picture.Rgb.size() != size_t(Width_) * size_t(Height_) * 3)
    throw EGifError("GIF: a frame of " + std::to_string(Picture.Width) + " x " + std::to_string(Picture.Height) +
                    " pixels in an animation of " + std::to_string(Width_) + " x " + std::to_string(Height_));
  GifFileType* gif = Gif_->File;
  TIndexedFrame frame = IndexColours(Picture);

  GraphicsControlBlock control{};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = GifFrameDelay(Frames_, FrameMilliseconds_);
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  const size_t length = EGifGCBToExtension(&control, extension);
  Check(gif, EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension));

  // A table holds a power of two of colours, two at least.
  const int colours = int(frame.Palette.size() / 3);
  int size = 2;
  while (size < colours) size *= 2;
  std::vector<GifColorType> table(size_t(size), GifColorType{0, 0, 0});
  for (int i = 0; i < colours; ++i)
    table[size_t(i)] = GifColorType{frame.Palette[size_t(i) * 3], frame.Palette[size_t(i) * 3 + 1],
                                    frame.Palette[size_t(i) * 3 + 2]};
  ColorMapObject* map = GifMakeMapObject(size, table.data());
  if (!map) throw EGifError("GIF: out of memory");
  const int described = EGifPutImageDesc(gif, 0, 0, Width_, Height_, false, map);
  GifFreeMapObject(map);
  Check(gif, described);
  for (int32_t y = 0; y < Height_; ++y)
    Check(gif, EGifPutLine(gif, frame.Indices.data() + size_t(y) * size_t(Width_), Width_));
  ++Frames_;
  Flush();
}

void TGifAnimation::Finish() {
  if (!Gif_->File) return;
  int error = 0;
  const int closed = EGifCloseFile(Gif_->File, &error);
  Gif_->File = nullptr;
  if (closed != GIF_OK) GifFailed(error);
  Flush();
}

TGifRecorder::TGifRecorder(const std::string& FileName, int32_t Width, int32_t Height, int32_t FrameMilliseconds,
                           size_t QueueLimit)
    : File_(FileName), Animation_(File_, Width, Height, FrameMilliseconds), QueueLimit_(std::max<size_t>(1, QueueLimit)) {
  Worker_ = std::thread([this] { Work(); });
}

TGifRecorder::~TGifRecorder() {
  {
    std::lock_guard lock(Mutex_);
    Stopping_ = true;
    Queue_.clear();
  }
  Changed_.notify_all();
  if (Worker_.joinable()) Worker_.join();
  // File_ is destroyed after this, taking an uncommitted temporary with it.
}

bool TGifRecorder::Push(TRgbPicture Picture) {
  {
    std::lock_guard lock(Mutex_);
    if (!Error_.empty() || Stopping_) return false;
    if (Queue_.size() >= QueueLimit_) {
      ++Dropped_;
      return false;
    }
    Queue_.push_back(std::move(Picture));
    ++Taken_;
  }
  Changed_.notify_all();
  return true;
}

void TGifRecorder::Work() {
  for (;;) {
    TRgbPicture frame;
    {
      std::unique_lock lock(Mutex_);
      Changed_.wait(lock, [this] { return Stopping_ || !Queue_.empty(); });
      if (Queue_.empty()) return;
      frame = std::move(Queue_.front());
      Queue_.pop_front();
      Busy_ = true;
    }
    std::string error;
    try {
      Animation_.AddFrame(frame);
    } catch (const std::exception& e) {
      error = e.what();
    }
    {
      std::lock_guard lock(Mutex_);
      Busy_ = false;
      if (error.empty()) {
        ++Written_;
      } else {
        Error_ = error;
        Queue_.clear();
        File_.Discard();
      }
    }
    Changed_.notify_all();
    if (!error.empty()) return;
  }
}

void TGifRecorder::Finish(const std::function<void(int64_t Written, int64_t Taken)>& Progress) {
  for (;;) {
    std::unique_lock lock(Mutex_);
    Changed_.wait_for(lock, std::chrono::milliseconds(50));
    const bool done = !Error_.empty() || (Queue_.empty() && !Busy_);
    const int64_t written = Written_, taken = Taken_;
    lock.unlock();
    if (Progress) Progress(written, taken);
    if (done) break;
  }
  {
    std::lock_guard lock(Mutex_);
    Stopping_ = true;
  }
  Changed_.notify_all();
  if (Worker_.joinable()) Worker_.join();
  if (!Error_.empty()) throw EGifError(Error_);
  try {
    Animation_.Finish();
    File_.Commit();
  } catch (const std::exception& e) {
    File_.Discard();
    Error_ = e.what();
    throw;
  }
}

int64_t TGifRecorder::Taken() const {
  std::lock_guard lock(Mutex_);
  return Taken_;
}

int64_t TGifRecorder::Written() const {
  std::lock_guard lock(Mutex_);
  return Written_;
}

int64_t TGifRecorder::Dropped() const {
  std::lock_guard lock(Mutex_);
  return Dropped_;
}

std::string TGifRecorder::Error() const {
  std::lock_guard lock(Mutex_);
  return Error_;
}

}  // namespace plashbox
