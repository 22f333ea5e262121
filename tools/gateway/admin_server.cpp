// The console's routes on cpp-httplib: every request is let in or turned away first, then answered
// from the latest snapshot. A small thread pool and tight limits keep odd requests cheap.
#include "admin_server.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include <httplib.h>

#include "admin_views.h"

namespace vantor::gateway {

namespace {

constexpr int kWorkers = 4;                             // the pages poll about once a second each; more waits its turn
constexpr std::chrono::milliseconds kLongestWait{300};  // for a fresh snapshot

std::string RandomKey() {
  std::random_device random;
  std::string key;
  for (int i = 0; i < 4; ++i) {
    char part[9];
    std::snprintf(part, sizeof part, "%08x", static_cast<unsigned>(random()));
    key += part;
  }
  return key;
}

// The console's threads yield the processor to the event loop when both want it: a busy console
// slows itself, not the terminals.
void YieldToTheLoop() {
  thread_local bool lowered = false;
  if (lowered) return;
  lowered = true;
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 10);
}

class YieldingPool final : public httplib::ThreadPool {
 public:
  explicit YieldingPool(std::size_t workers) : ThreadPool(workers) {}
  void enqueue(std::function<void()> work) override {
    ThreadPool::enqueue([work = std::move(work)] {
      YieldToTheLoop();
      work();
    });
  }
};

void NoStore(httplib::Response& response) {
  response.set_header("Cache-Control", "no-store");
  response.set_header("X-Content-Type-Options", "nosniff");
  response.set_header("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'");
}

std::string LoginPage(std::string_view why) {
  std::string page = kLoginPage;
  if (const std::size_t at = page.find("{why}"); at != std::string::npos) page.replace(at, 5, why);
  return page;
}

}  // namespace

struct AdminServer::Web {
  httplib::Server server;
  AccessRule rule;
};

AdminServer::AdminServer(SnapshotBoard& board, AdminOptions options)
    : board_(board), options_(std::move(options)), web_(std::make_unique<Web>()) {}

AdminServer::~AdminServer() { Stop(); }

bool AdminServer::Start(std::string& error) {
  httplib::Server& server = web_->server;
  web_->rule = {options_.token, options_.token.empty() ? std::string() : RandomKey()};
  server.new_task_queue = [] { return new YieldingPool(kWorkers); };
  server.set_payload_max_length(4096);
  server.set_read_timeout(2, 0);
  server.set_write_timeout(2, 0);
  // One request per connection: a worker is busy for a request, never for a browser's idle connection.
  server.set_keep_alive_max_count(1);

  const AccessRule& rule = web_->rule;
  server.set_pre_routing_handler([&rule](const httplib::Request& request, httplib::Response& response) {
    NoStore(response);
    const Access access = Decide(rule, request.remote_addr, request.get_header_value("Authorization"),
                                 request.get_header_value("Cookie"));
    if (access == Access::Allowed || (request.path == "/login" && access == Access::Unauthorized) ||
        (request.path == "/console.css" && access == Access::Unauthorized)) {
      return httplib::Server::HandlerResponse::Unhandled;
    }
    if (access == Access::Refused) {
      response.status = 403;
      response.set_content("the console answers loopback peers only, unless it has a token\n", "text/plain");
    } else {
      response.status = 401;
      response.set_header("WWW-Authenticate", "Bearer realm=\"vantor-gateway\"");
      const bool page = request.path == "/" || request.path.starts_with("/terminal/");
      if (page) {
        response.set_content(LoginPage(""), "text/html; charset=utf-8");
      } else {
        response.set_content("unauthorized\n", "text/plain");
      }
    }
    return httplib::Server::HandlerResponse::Handled;
  });

  server.Get("/login", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(LoginPage(""), "text/html; charset=utf-8");
  });
  server.Post("/login", [&rule](const httplib::Request& request, httplib::Response& response) {
    if (rule.token.empty() || !SameSecret(request.get_param_value("token"), rule.token)) {
      response.status = 401;
      response.set_content(LoginPage(rule.token.empty() ? "" : "That is not the token."), "text/html; charset=utf-8");
      return;
    }
    response.set_header("Set-Cookie",
                        std::string(kCookieName) + "=" + rule.cookieKey + "; Path=/; HttpOnly; SameSite=Strict");
    response.set_redirect("/", 303);
  });
  server.Get("/", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kListPage, "text/html; charset=utf-8");
  });
  server.Get(R"(/terminal/\d{1,6})", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kTerminalPage, "text/html; charset=utf-8");
  });
  server.Get("/console.js", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kConsoleScript, "text/javascript; charset=utf-8");
  });
  server.Get("/console.css", [](const httplib::Request&, httplib::Response& response) {
    response.set_content(kConsoleStyle, "text/css; charset=utf-8");
  });
  server.Get("/api/terminals", [this](const httplib::Request&, httplib::Response& response) {
    const auto snapshot = board_.Take({}, kLongestWait);
    response.set_content(TerminalsJson(*snapshot, WallClock::now()), "application/json");
  });
  server.Get(R"(/api/terminals/(\d{1,6}))", [this](const httplib::Request& request, httplib::Response& response) {
    const std::string id = request.matches[1];
    const auto snapshot = board_.Take(id, kLongestWait);
    const std::optional<std::string> json = TerminalJson(*snapshot, id, WallClock::now());
    if (!json) {
      response.status = 404;
      response.set_content("{\"error\":\"no such terminal\"}", "application/json");
      return;
    }
    response.set_content(*json, "application/json");
  });
  server.Get("/metrics", [this](const httplib::Request&, httplib::Response& response) {
    const auto snapshot = board_.Take({}, kLongestWait);
    response.set_content(MetricsText(*snapshot), "text/plain; version=0.0.4; charset=utf-8");
  });

  int port = options_.port;
  if (port == 0) {
    port = server.bind_to_any_port(options_.host);
  } else if (!server.bind_to_port(options_.host, port)) {
    port = -1;
  }
  if (port <= 0) {
    error = "cannot listen on " + options_.host + ":" + std::to_string(options_.port) + " for the console";
    return false;
  }
  port_ = static_cast<std::uint16_t>(port);
  thread_ = std::thread([this] {
    YieldToTheLoop();
    web_->server.listen_after_bind();
  });
  return true;
}

void AdminServer::Stop() {
  if (!thread_.joinable()) return;
  web_->server.stop();
  thread_.join();
}

}  // namespace vantor::gateway
