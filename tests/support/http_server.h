// A scripted HTTP server on 127.0.0.1 for tests that fetch pages.
//
// HttpServer listens on an ephemeral port from construction until destruction and serves every
// connection on its own thread, so several clients can be served at once. For each connection it
// reads the request head (up to and including the blank line that ends the headers), records
// those raw bytes, and plays the reply scripted for the request target (the text between the
// first two spaces of the request line, as sent, query included) or else the default reply.
// It parses nothing else and checks nothing: the tests compare the recorded bytes.
//
// The destructor stops everything and returns promptly: it wakes delayed and stalled replies,
// cuts connections still sending or receiving, and joins every thread it started.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace veltrano::test {

// "HTTP/1.0 <status>\r\n<headers>\r\n": a response head. `headers` are whole lines, each ending
// in "\r\n".
std::string HttpHead(std::string_view status, std::string_view headers = "");
// A complete response: the head with a Content-Length that matches `body`, then the body.
std::string HttpResponse(std::string_view status, std::string_view body,
                         std::string_view headers = "");

// What the server does on a connection once the request head has arrived.
struct Reply {
  enum class Ending {
    kClose,   // close the connection after `bytes`
    kStall,   // keep the connection open without sending anything more until the server stops
    kRepeat,  // send `repeated` again and again until the client hangs up
  };

  // Sends `bytes` and closes. A head announcing more body than `bytes` holds makes a body that
  // breaks off.
  static Reply Close(std::string bytes);
  // Sends `bytes` and then nothing more, holding the connection open.
  static Reply Stall(std::string bytes);
  // Sends `bytes`, then `repeated` over and over: an endless body. `repeated` must not be empty.
  static Reply Endless(std::string bytes, std::string repeated);
  // The same reply, sent only after `wait`.
  Reply After(std::chrono::milliseconds wait) const;

  std::chrono::milliseconds delay{0};
  std::string bytes;
  Ending ending = Ending::kClose;
  std::string repeated;
};

class HttpServer {
 public:
  // Listens on 127.0.0.1 at a port the system picks. Throws std::system_error when it cannot.
  HttpServer();
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  int port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by `target` (which should start with "/").
  std::string Url(std::string_view target) const;

  // The reply to requests for exactly `target`; replaces an earlier one for the same target.
  void Serve(std::string target, Reply reply);
  // The reply to requests for any other target; at first a bodiless 404.
  void ServeByDefault(Reply reply);

  // The raw request heads received so far, in the order they were complete.
  std::vector<std::string> Requests() const;
  // Connections accepted so far, whether or not they sent a request.
  std::size_t Connections() const;

 private:
  void AcceptLoop();
  void Handle(int fd);
  // False when the server stopped while waiting.
  bool WaitUnlessStopping(std::chrono::milliseconds wait);
  void WaitUntilStopping();
  void CloseConnection(int fd);

  int listen_fd_ = -1;
  int wake_fds_[2] = {-1, -1};  // a pipe; writing to it wakes the accept loop to stop
  int port_ = 0;

  mutable std::mutex mutex_;
  std::condition_variable stopping_changed_;
  bool stopping_ = false;
  std::map<std::string, Reply, std::less<>> replies_;
  Reply default_reply_;
  std::vector<std::string> requests_;
  std::size_t connections_accepted_ = 0;
  std::set<int> open_fds_;
  std::vector<std::thread> connection_threads_;
  std::thread acceptor_;
};

// A port on 127.0.0.1 that refuses connections for as long as this object lives: its socket is
// bound but never listens, so no other program can take the port meanwhile.
class RefusingPort {
 public:
  // Throws std::system_error when no port can be bound.
  RefusingPort();
  ~RefusingPort();
  RefusingPort(const RefusingPort&) = delete;
  RefusingPort& operator=(const RefusingPort&) = delete;

  int port() const { return port_; }
  std::string Url(std::string_view target) const;

 private:
  int fd_ = -1;
  int port_ = 0;
};

}  // namespace veltrano::test
