#include "tools/device_emulator.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

TDeviceEmulator::~TDeviceEmulator() {
  Stop();
}

void TDeviceEmulator::Start() {
  StopFlag = false;
  Thread = std::thread([this] { Run(); });
}

void TDeviceEmulator::Stop() {
  StopFlag = true;
  if (Thread.joinable()) Thread.join();
}

QByteArray TDeviceEmulator::Receive(int ms) {
  const auto start = std::chrono::steady_clock::now();
  QByteArray got = Pty.Read(ms);
  if (got.isEmpty()) {
    // A closed master or a hung-up line returns at once: sleep the rest, do not spin.
    const auto rest = std::chrono::milliseconds(ms) - (std::chrono::steady_clock::now() - start);
    if (rest > std::chrono::milliseconds(0)) std::this_thread::sleep_for(rest);
  }
  return got;
}

bool TDeviceEmulator::Send(const QByteArray& bytes) {
  qsizetype done = 0;
  while (done < bytes.size()) {
    if (StopFlag || Pty.MasterFd() < 0) return false;
    const ssize_t n =
        ::write(Pty.MasterFd(), bytes.constData() + done, size_t(bytes.size() - done));
    if (n > 0) {
      done += n;
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      return false;
    } else {
      pollfd p{Pty.MasterFd(), POLLOUT, 0};
      ::poll(&p, 1, 10);
    }
  }
  return true;
}
