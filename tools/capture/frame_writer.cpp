#include "frame_writer.h"

#include <algorithm>
#include <utility>

FrameWriter::FrameWriter(FfmpegPipe* encoder, std::size_t row_bytes, int rows, std::size_t depth)
    : encoder_(encoder), row_bytes_(row_bytes), rows_(rows), depth_(std::max<std::size_t>(depth, 1)) {
  thread_ = std::thread([this] { Run(); });
}

FrameWriter::~FrameWriter() { Close(); }

bool FrameWriter::Hand(const unsigned char* bottom_up, long repeats) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return failed_ || queued_.size() + (writing_ ? 1 : 0) < depth_; });
  if (failed_ || closing_) return false;
  Frame frame;
  if (!spare_.empty()) {
    frame.bytes = std::move(spare_.back());
    spare_.pop_back();
  }
  frame.bytes.assign(bottom_up, bottom_up + row_bytes_ * std::size_t(rows_));
  frame.repeats = repeats;
  queued_.push_back(std::move(frame));
  changed_.notify_all();
  return true;
}

bool FrameWriter::Close(bool drop) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closing_ = true;
    if (drop) queued_.clear();
    changed_.notify_all();
  }
  if (thread_.joinable()) thread_.join();
  std::lock_guard<std::mutex> lock(mutex_);
  return !failed_;
}

void FrameWriter::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return closing_ || !queued_.empty(); });
    if (queued_.empty()) return;  // closing, all written
    Frame frame = std::move(queued_.front());
    queued_.pop_front();
    writing_ = true;  // still counted against the depth, so memory stays bounded
    lock.unlock();
    bool written = true;
    for (long r = 0; r < frame.repeats && written; ++r) {
      written = encoder_->WriteRowsReversed(frame.bytes.data(), row_bytes_, rows_);
    }
    lock.lock();
    writing_ = false;
    spare_.push_back(std::move(frame.bytes));
    if (!written) {
      failed_ = true;
      queued_.clear();
    }
    changed_.notify_all();
    if (failed_) return;
  }
}
