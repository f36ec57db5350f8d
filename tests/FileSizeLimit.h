// A limit on the size of the files this process writes, for as long as the object lives: the
// disk then refuses a long write half-way, as a full disk would (write fails with EFBIG instead
// of the process getting SIGXFSZ).
#pragma once

#include <signal.h>
#include <sys/resource.h>

namespace plashbox::tests {

class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t Bytes) {
    ::getrlimit(RLIMIT_FSIZE, &Before_);
    OldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = Before_;
    limit.rlim_cur = Bytes;
    Set_ = ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
  }
  ~TFileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &Before_);
    ::signal(SIGXFSZ, OldHandler_);
  }
  TFileSizeLimit(const TFileSizeLimit&) = delete;
  TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;
  bool Set() const { return Set_; }

 private:
  struct rlimit Before_{};
  void (*OldHandler_)(int) = SIG_DFL;
  bool Set_ = false;
};

}  // namespace plashbox::tests
