#include "tools/pty.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

TPty::~TPty() {
  CloseMaster();
  if (SlaveKeepAlive >= 0) ::close(SlaveKeepAlive);
  if (!Link.isEmpty()) QFile::remove(Link);
}

bool TPty::Open() {
  int slave = -1;
  char name[256] = {};
  termios raw{};
  ::cfmakeraw(&raw);
  if (::openpty(&Master, &slave, name, &raw, nullptr) != 0) {
    LastError = QString::fromLocal8Bit(std::strerror(errno));
    return false;
  }
  SlaveKeepAlive = slave;
  Slave = QString::fromLocal8Bit(name);
  ::fcntl(Master, F_SETFL, ::fcntl(Master, F_GETFL) | O_NONBLOCK);
  return true;
}

bool TPty::LinkAs(const QString& portsFolder, int comNumber) {
  QDir().mkpath(portsFolder);
  Link = QDir(portsFolder).filePath(QStringLiteral("COM%1").arg(comNumber));
  QFile::remove(Link);
  if (!QFile::link(Slave, Link)) {
    LastError = QStringLiteral("cannot link %1 to %2").arg(Link, Slave);
    return false;
  }
  return true;
}

void TPty::CloseMaster() {
  if (Master >= 0) ::close(Master);
  Master = -1;
}

bool TPty::Write(const QByteArray& bytes) {
  qsizetype done = 0;
  QDeadlineTimer deadline(2000);
  while (done < bytes.size() && Master >= 0) {
    const ssize_t n = ::write(Master, bytes.constData() + done, bytes.size() - done);
    if (n > 0) {
      done += n;
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
      LastError = QString::fromLocal8Bit(std::strerror(errno));
      return false;
    } else if (deadline.hasExpired()) {
      LastError = QStringLiteral("write timed out");
      return false;
    } else {
      pollfd p{Master, POLLOUT, 0};
      ::poll(&p, 1, 10);
    }
  }
  return done == bytes.size();
}

QByteArray TPty::Read(int ms) {
  QByteArray got;
  if (Master < 0) return got;
  pollfd p{Master, POLLIN, 0};
  if (::poll(&p, 1, ms) <= 0) return got;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(Master, buffer, sizeof buffer);
    if (n <= 0) break;
    got.append(buffer, n);
  }
  return got;
}

QByteArray TPty::ReadExactly(int count, int ms) {
  QByteArray got;
  QDeadlineTimer deadline(ms);
  while (got.size() < count && !deadline.hasExpired())
    got += Read(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
  return got;
}
