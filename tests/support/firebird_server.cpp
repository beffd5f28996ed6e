#include "support/firebird_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/temp_database.h"

namespace fs = std::filesystem;

namespace {

// Where Debian and the upstream packages put the server and its plugins.
const char* const kServers[] = {"/usr/sbin/firebird", "/opt/firebird/bin/firebird"};
const char* const kHomes[] = {"/usr/lib/x86_64-linux-gnu/firebird/3.0",
                              "/usr/lib/aarch64-linux-gnu/firebird/3.0", "/opt/firebird"};

std::string FirstExisting(const char* const* begin, const char* const* end, const char* part) {
  for (auto it = begin; it != end; ++it)
    if (fs::exists(std::string(*it) + part)) return *it;
  return "";
}

// A port nobody listens on now; the server may still lose it to a race, so Start retries.
int FreeLoopbackPort() {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) throw std::runtime_error("no socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  if (bind(s, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
      getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(s);
    throw std::runtime_error("no free loopback port");
  }
  close(s);
  return ntohs(address.sin_port);
}

bool Accepting(int port) {
  int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bool ok = connect(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(s);
  return ok;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

FirebirdServer::FirebirdServer() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tavrel-server-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  root_ = pattern;
  try {
    Start();
  } catch (...) {
    Stop();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
    throw;
  }
}

FirebirdServer::~FirebirdServer() {
  Stop();
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::string FirebirdServer::Url(const std::string& path) const {
  return "localhost/" + std::to_string(port_) + ":" + path;
}

void FirebirdServer::Kill() {
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

void FirebirdServer::Restart() {
  Stop();
  Start(port_);
}

void FirebirdServer::Start(int fixed_port) {
  const std::string server = FirstExisting(std::begin(kServers), std::end(kServers), "");
  const std::string home =
      FirstExisting(std::begin(kHomes), std::end(kHomes), "/intl/libfbintl.so");
  if (server.empty() || home.empty())
    throw std::runtime_error("no Firebird server found (Debian package firebird3.0-server)");

  // The server reads its configuration from $FIREBIRD; plugins and messages are the
  // installed ones, everything it writes stays here. The character set module is found
  // under $FIREBIRD/intl and refuses to work through a symbolic link, so it is copied.
  fs::create_directories(root_ + "/lock");
  fs::create_directories(root_ + "/tmp");
  fs::create_directories(root_ + "/intl");
  fs::copy_file(home + "/intl/libfbintl.so", root_ + "/intl/libfbintl.so",
                fs::copy_options::skip_existing);
  std::ofstream(root_ + "/databases.conf");
  std::ofstream(root_ + "/plugins.conf");
  const std::string environment = "FIREBIRD='" + root_ + "' FIREBIRD_LOCK='" + root_ +
                                  "/lock' FIREBIRD_TMP='" + root_ + "/tmp' ";

  for (int attempt = 0; attempt < 3; ++attempt) {
    port_ = fixed_port ? fixed_port : FreeLoopbackPort();
    std::ofstream(root_ + "/firebird.conf")
        << "RemoteServicePort = " << port_ << "\nRemoteBindAddress = 127.0.0.1\n"
        << "SecurityDatabase = " << root_ << "/security3.fdb\n"
        << "TempDirectories = " << root_ << "/tmp\n"
        << "ServerMode = Super\nAuthServer = Srp\nUserManager = Srp\nGuardianOption = 0\n"
        << "UdfAccess = None\n";

    if (!fs::exists(root_ + "/security3.fdb")) {
      // The embedded engine under this configuration makes the security database and
      // its one user; the system's security database is never opened.
      std::ofstream(root_ + "/security.sql")
          << "CREATE DATABASE '" << root_ << "/security3.fdb';\n"
          << "CREATE USER " << User() << " PASSWORD '" << Password() << "' USING PLUGIN Srp;\n"
          << "COMMIT;\n";
      std::string output;
      if (RunCommand(environment + "isql-fb -q -b -user SYSDBA -i '" + root_ + "/security.sql'",
                     &output) != 0)
        throw std::runtime_error("making the security database failed:\n" + output);
    }

    const std::string log = root_ + "/server.log";
    std::vector<std::string> env = {"FIREBIRD=" + root_, "FIREBIRD_LOCK=" + root_ + "/lock",
                                    "FIREBIRD_TMP=" + root_ + "/tmp", "PATH=/usr/sbin:/usr/bin"};
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t parent = getpid();
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) {
      // Dies with the test process, so a crashed test never leaves it running.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(1);
      // Blocked or ignored signals survive exec; the server must see SIGTERM.
      sigset_t none;
      sigemptyset(&none);
      sigprocmask(SIG_SETMASK, &none, nullptr);
      for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGPIPE}) signal(sig, SIG_DFL);
      // Only async-signal-safe calls here: the test process may run threads.
      int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      if (out >= 0) {
        dup2(out, 1);
        dup2(out, 2);
      }
      char* argv[] = {const_cast<char*>(server.c_str()), const_cast<char*>("-d"), nullptr};
      execve(server.c_str(), argv, envp.data());
      _exit(127);
    }
    // Up to ten seconds for the listener.
    for (int i = 0; i < 200; ++i) {
      if (Accepting(port_)) return;
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    std::string why = ReadFile(log);
    Stop();
    if (attempt == 2) throw std::runtime_error("the Firebird server did not start:\n" + why);
  }
}

bool FirebirdServer::Stop() {
  if (pid_ <= 0) return true;
  // A SIGTERM arriving just after the last detach can leave the server waiting (another
  // one a moment later usually ends it); its files are all temporary, so after two
  // seconds it is killed.
  bool ended = false;
  for (int i = 0; i < 40 && !ended; ++i) {
    if (i % 10 == 0) kill(pid_, SIGTERM);
    if (waitpid(pid_, nullptr, WNOHANG) == pid_)
      ended = true;
    else
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (!ended) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  pid_ = -1;
  return ended;
}
