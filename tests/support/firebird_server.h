// A private Firebird server for the tests: a child process listening on a free loopback
// port, with its own configuration, security database, lock and temporary folders, all in
// one temporary folder. It never reads or changes the system server's configuration or
// data, and it is stopped with the object (or killed with the test process).
#pragma once

#include <sys/types.h>

#include <string>

class FirebirdServer {
 public:
  // Starts the server; throws std::runtime_error with the reason when it cannot.
  FirebirdServer();
  ~FirebirdServer();
  FirebirdServer(const FirebirdServer&) = delete;
  FirebirdServer& operator=(const FirebirdServer&) = delete;

  int Port() const { return port_; }
  // `localhost/PORT:path`, the connection string of a database file through this server.
  std::string Url(const std::string& path) const;
  static const char* User() { return "SYSDBA"; }
  static const char* Password() { return "masterkey"; }
  // Stops the server, by force when it does not end on SIGTERM; true when it ended itself.
  bool Stop();
  // A lost server: killed at once, its connections broken mid-call.
  void Kill();
  // Starts the stopped or killed server again on the same port, files and users.
  void Restart();

 private:
  // On `fixed_port`, or on a free one when 0.
  void Start(int fixed_port = 0);
  std::string root_;
  int port_ = 0;
  pid_t pid_ = -1;
};
