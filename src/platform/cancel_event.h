// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace brevora {

// An auto-reset event: not signalled at first; Set signals it; a wait that
// sees it signalled consumes it (ChildProcess::WaitForExitOr), so one Set
// stops at most one wait. Set from any thread.
class CancelEvent {
 public:
  CancelEvent();
  ~CancelEvent();
  CancelEvent(const CancelEvent&) = delete;
  CancelEvent& operator=(const CancelEvent&) = delete;

  void Set();
  void Reset();
  // Consumes the event when it is signalled; tells whether it was.
  bool TryConsume();
  // Whether it is signalled, without consuming it.
  bool IsSet() const;
  // Waits until it is signalled or `seconds` have passed; whether it is
  // signalled (not consumed). Set is safe in a signal handler.
  bool WaitFor(int seconds) const;

  // What a wait of the platform watches (readable while signalled).
  int NativeHandle() const { return fd_; }

 private:
  int fd_;
};

}  // namespace brevora
