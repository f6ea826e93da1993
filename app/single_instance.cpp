#include "app/single_instance.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QWidget>

namespace marvessa {

namespace {
const char kActivate[] = "activate\n";

// Each user runs an instance of their own.
QString UserName() { return QString::number(static_cast<qulonglong>(getuid())); }
}  // namespace

QString DefaultTitle(const QString& programPath) {
  QString name = QFileInfo(programPath).fileName();
  int dot = name.indexOf('.');
  if (dot >= 0) name.truncate(dot);
  if (name.size() > 1) name = name.left(1) + name.mid(1).toLower();
  return name;
}

QString LockName(const QString& programPath) { return "PREVINST:" + DefaultTitle(programPath); }

TSingleInstance::TSingleInstance(const QString& lockName, const QString& lockFolder)
    : lockName_(lockName), folder_(lockFolder.isEmpty() ? QDir::tempPath() : lockFolder) {}

TSingleInstance::~TSingleInstance() {
  if (server_) server_->close();
  if (lock_) lock_->unlock();
}

QString TSingleInstance::ServerName() const {
  // A socket name must not carry a path separator.
  QString name = lockName_ + "-" + UserName();
  name.replace('/', '_');
  return name;
}

bool TSingleInstance::TryLock() {
  QString file = folder_ + "/" + ServerName() + ".lock";
  lock_ = std::make_unique<QLockFile>(file);
  // The lock of a process that is gone is taken over at once.
  if (!lock_->tryLock(0)) {
    lock_.reset();
    return false;
  }
  return true;
}

void TSingleInstance::Listen(std::function<void()> onActivate) {
  onActivate_ = std::move(onActivate);
  server_ = std::make_unique<QLocalServer>();
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(ServerName());  // a socket left by a crash
  QObject::connect(server_.get(), &QLocalServer::newConnection, server_.get(), [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
      QObject::connect(socket, &QLocalSocket::readyRead, socket, [this, socket] {
        if (socket->readAll().startsWith("activate") && onActivate_) onActivate_();
        socket->disconnectFromServer();
      });
    }
  });
  server_->listen(ServerName());
}

bool TSingleInstance::ActivateRunning(int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(ServerName());
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(kActivate);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // Wait until the running instance has read the request.
  socket.waitForDisconnected(timeoutMs);
  return true;
}

void BringApplicationForward() {
  // The application window: the visible top-level window that is not a
  // modal dialog, a tool window or a pop-up (start and exam window are never
  // shown together).
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* window = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    Qt::WindowType type = w->windowType();
    if (!w->isVisible() || w == modal || type == Qt::Tool || type == Qt::Popup || type == Qt::ToolTip) continue;
    window = w;
    break;
  }
  if (!window) window = modal;
  if (!window) return;
  if (window->isMinimized()) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    return;
  }
  window->activateWindow();
  if (modal && modal != window && modal->isVisible() && modal->isEnabled()) {
    modal->raise();
    modal->activateWindow();
  } else {
    window->raise();
  }
}

}  // namespace marvessa
