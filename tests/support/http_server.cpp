#include "tests/support/http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

namespace veltrano::test {
namespace {

constexpr std::string_view kEndOfHead = "\r\n\r\n";

[[noreturn]] void ThrowSystemError(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

// A TCP socket bound to 127.0.0.1 on a port the system picks; stores that port in `port`.
int BindLoopback(int& port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) ThrowSystemError("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    const int saved = errno;
    close(fd);
    errno = saved;
    ThrowSystemError("bind");
  }
  port = ntohs(address.sin_port);
  return fd;
}

std::string LoopbackUrl(int port, std::string_view target) {
  return "http://127.0.0.1:" + std::to_string(port) + std::string(target);
}

// False once the peer is gone or the connection was cut. MSG_NOSIGNAL: a client that hangs up
// must not kill the test process with SIGPIPE.
bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0 && errno == EINTR) continue;
    if (sent <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
  return true;
}

// The request head up to and including its blank line, or empty when the client left (or the
// connection was cut) before finishing it.
std::string ReceiveHead(int fd) {
  std::string received;
  char buffer[4096];
  while (received.find(kEndOfHead) == std::string::npos) {
    const ssize_t count = recv(fd, buffer, sizeof buffer, 0);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return {};
    received.append(buffer, static_cast<std::size_t>(count));
  }
  received.resize(received.find(kEndOfHead) + kEndOfHead.size());
  return received;
}

void DrainUntilClosed(int fd) {
  char buffer[4096];
  for (;;) {
    const ssize_t count = recv(fd, buffer, sizeof buffer, 0);
    if (count == 0 || (count < 0 && errno != EINTR)) return;
  }
}

std::string_view RequestTarget(std::string_view head) {
  const std::size_t start = head.find(' ');
  if (start == std::string_view::npos) return {};
  const std::size_t end = head.find_first_of(" \r\n", start + 1);
  return head.substr(start + 1, end == std::string_view::npos ? end : end - start - 1);
}

}  // namespace

std::string HttpHead(std::string_view status, std::string_view headers) {
  std::string head = "HTTP/1.0 ";
  head.append(status).append("\r\n").append(headers).append("\r\n");
  return head;
}

std::string HttpResponse(std::string_view status, std::string_view body, std::string_view headers) {
  std::string all_headers(headers);
  all_headers.append("Content-Length: ").append(std::to_string(body.size())).append("\r\n");
  return HttpHead(status, all_headers).append(body);
}

Reply Reply::Close(std::string bytes) {
  Reply reply;
  reply.bytes = std::move(bytes);
  return reply;
}

Reply Reply::Stall(std::string bytes) {
  Reply reply = Close(std::move(bytes));
  reply.ending = Ending::kStall;
  return reply;
}

Reply Reply::Endless(std::string bytes, std::string repeated) {
  Reply reply = Close(std::move(bytes));
  reply.ending = Ending::kRepeat;
  reply.repeated = std::move(repeated);
  return reply;
}

Reply Reply::After(std::chrono::milliseconds wait) const {
  Reply reply = *this;
  reply.delay = wait;
  return reply;
}

HttpServer::HttpServer() : default_reply_(Reply::Close(HttpResponse("404 Not Found", ""))) {
  listen_fd_ = BindLoopback(port_);
  if (listen(listen_fd_, SOMAXCONN) != 0 || pipe2(wake_fds_, O_CLOEXEC) != 0) {
    const int saved = errno;
    close(listen_fd_);
    errno = saved;
    ThrowSystemError("listen");
  }
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

HttpServer::~HttpServer() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    // Wakes connection threads blocked in recv or send; they close their own sockets.
    for (const int fd : open_fds_) shutdown(fd, SHUT_RDWR);
  }
  stopping_changed_.notify_all();
  const char wake = 0;
  while (write(wake_fds_[1], &wake, 1) < 0 && errno == EINTR) {
  }
  acceptor_.join();
  // The acceptor is gone, so nothing adds threads any more.
  for (std::thread& thread : connection_threads_) thread.join();
  close(listen_fd_);
  close(wake_fds_[0]);
  close(wake_fds_[1]);
}

std::string HttpServer::Url(std::string_view target) const { return LoopbackUrl(port_, target); }

void HttpServer::Serve(std::string target, Reply reply) {
  std::lock_guard lock(mutex_);
  replies_.insert_or_assign(std::move(target), std::move(reply));
}

void HttpServer::ServeByDefault(Reply reply) {
  std::lock_guard lock(mutex_);
  default_reply_ = std::move(reply);
}

std::vector<std::string> HttpServer::Requests() const {
  std::lock_guard lock(mutex_);
  return requests_;
}

std::size_t HttpServer::Connections() const {
  std::lock_guard lock(mutex_);
  return connections_accepted_;
}

void HttpServer::AcceptLoop() {
  pollfd watched[2] = {{listen_fd_, POLLIN, 0}, {wake_fds_[0], POLLIN, 0}};
  for (;;) {
    if (poll(watched, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (watched[1].revents != 0) return;
    const int fd = accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    if (stopping_) {
      close(fd);
      return;
    }
    ++connections_accepted_;
    open_fds_.insert(fd);
    connection_threads_.emplace_back([this, fd] { Handle(fd); });
  }
}

void HttpServer::Handle(int fd) {
  const std::string head = ReceiveHead(fd);
  if (head.empty()) {
    CloseConnection(fd);
    return;
  }
  Reply reply;
  {
    std::lock_guard lock(mutex_);
    requests_.push_back(head);
    const auto scripted = replies_.find(RequestTarget(head));
    reply = scripted != replies_.end() ? scripted->second : default_reply_;
  }
  if (WaitUnlessStopping(reply.delay) && SendAll(fd, reply.bytes)) {
    switch (reply.ending) {
      case Reply::Ending::kClose:
        // End our side first and wait for the client to end its own, as real servers do: a
        // close with unread request bytes would send a reset that can destroy the reply.
        shutdown(fd, SHUT_WR);
        DrainUntilClosed(fd);
        break;
      case Reply::Ending::kStall:
        WaitUntilStopping();
        break;
      case Reply::Ending::kRepeat:
        // Ends when the client hangs up or the destructor cuts the connection.
        while (SendAll(fd, reply.repeated)) {
        }
        break;
    }
  }
  CloseConnection(fd);
}

bool HttpServer::WaitUnlessStopping(std::chrono::milliseconds wait) {
  std::unique_lock lock(mutex_);
  return !stopping_changed_.wait_for(lock, wait, [this] { return stopping_; });
}

void HttpServer::WaitUntilStopping() {
  std::unique_lock lock(mutex_);
  stopping_changed_.wait(lock, [this] { return stopping_; });
}

void HttpServer::CloseConnection(int fd) {
  // Under the lock, so the destructor never shuts down a descriptor number already reused.
  std::lock_guard lock(mutex_);
  open_fds_.erase(fd);
  close(fd);
}

RefusingPort::RefusingPort() { fd_ = BindLoopback(port_); }

RefusingPort::~RefusingPort() { close(fd_); }

std::string RefusingPort::Url(std::string_view target) const { return LoopbackUrl(port_, target); }

}  // namespace veltrano::test
