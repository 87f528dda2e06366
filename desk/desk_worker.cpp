#include <algorithm>

#include "desk/desk_window.h"

Worker::~Worker() {
  if (thread_ == nullptr) return;
  cancel_ = true;
  ::WaitForSingleObject(thread_, INFINITE);
  ::CloseHandle(thread_);
}

bool Worker::Start(HWND window, UINT done, std::function<void()> work) {
  if (thread_ != nullptr) return false;
  window_ = window;
  done_ = done;
  work_ = std::move(work);
  cancel_ = false;
  permille_ = 0;
  thread_ = ::CreateThread(/*lpThreadAttributes=*/nullptr, /*dwStackSize=*/0, Run, this,
                           /*dwCreationFlags=*/0, /*lpThreadId=*/nullptr);
  return thread_ != nullptr;
}

DWORD WINAPI Worker::Run(LPVOID param) {
  auto* self = static_cast<Worker*>(param);
  self->work_();
  ::PostMessageW(self->window_, self->done_, 0, 0);
  return 0;
}

void Worker::Finished() {
  if (thread_ == nullptr) return;
  ::WaitForSingleObject(thread_, INFINITE);
  ::CloseHandle(thread_);
  thread_ = nullptr;
  work_ = nullptr;
}

bool Worker::Step(uint64_t done, uint64_t total) {
  if (total > 0) permille_ = static_cast<int>(std::min<uint64_t>(1000, done * 1000 / total));
  return !cancel_;
}
