#include "LiveServer.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <memory>
#include <shared_mutex>
#include <thread>

#include "LiveJSON.h"
#include "LivePage.h"
#include "LivePhone.h"
#include "LiveRequests.h"

namespace live {

namespace {

// The largest body any request needs: a contact's new photo.
constexpr std::size_t kMostBodyBytes = 16 << 20;

void answer(httplib::Response& response, const LiveReply& reply) {
  response.status = reply.status;
  response.set_content(reply.json, "application/json");
}

void refuse(httplib::Response& response, int status, const std::string& error) {
  answer(response, {status, jsonText(json{{"ok", false}, {"error", error}})});
}

// The phone and the lock that lets requests use it while no other request replaces it.
class Device {
 public:
  Device(LivePlace place) : place_(std::move(place)) {}

  // Replaces the phone; the old one's hosts end first (the same phone may come back).
  LiveReply start(const simulator::SimProfile& profile) {
    std::unique_lock lock(mutex_);
    phone_.reset();
    phone_ = std::make_unique<LivePhone>(place_, profile);
    LiveReply state = phone_->state();
    if (!phone_->failure().empty()) state.status = 500;
    return state;
  }

  // Runs `use` with the phone, while no request replaces it.
  template <typename Use>
  auto with(Use use) {
    std::shared_lock lock(mutex_);
    return use(*phone_);
  }

  void end() {
    std::unique_lock lock(mutex_);
    phone_.reset();
  }

 private:
  LivePlace place_;
  std::shared_mutex mutex_;
  std::unique_ptr<LivePhone> phone_;
};

void addRoutes(httplib::Server& server, Device& device) {
  server.Get("/api/state", [&](const httplib::Request&, httplib::Response& response) {
    answer(response, device.with([](LivePhone& phone) { return phone.state(); }));
  });
  server.Post("/api/do", [&](const httplib::Request& request, httplib::Response& response) {
    ActionRequest action =
        readActionRequest(request.get_header_value("Content-Type"), request.body);
    if (!action.error.empty()) return refuse(response, 400, action.error);
    answer(response,
           device.with([&](LivePhone& phone) { return phone.act(*action.process, action.line); }));
  });
  server.Post("/api/phone", [&](const httplib::Request& request, httplib::Response& response) {
    PhoneRequest phone = readPhoneRequest(request.get_header_value("Content-Type"), request.body);
    if (!phone.error.empty()) return refuse(response, 400, phone.error);
    answer(response, device.start(*phone.profile));
  });
  server.Post(R"(/api/contact/(\d{1,9})/name)", [&](const httplib::Request& request,
                                                    httplib::Response& response) {
    NameRequest name = readNameRequest(request.get_header_value("Content-Type"), request.body);
    if (!name.error.empty()) return refuse(response, 400, name.error);
    long long contact = std::stoll(request.matches[1]);
    answer(response, device.with([&](LivePhone& phone) {
      return phone.setName(contact, name.first, name.last);
    }));
  });
  server.Post(R"(/api/contact/(\d{1,9})/photo)", [&](const httplib::Request& request,
                                                     httplib::Response& response) {
    std::string error = photoRequestError(request.get_header_value("Content-Type"), request.body);
    if (!error.empty()) return refuse(response, 400, error);
    long long contact = std::stoll(request.matches[1]);
    answer(response,
           device.with([&](LivePhone& phone) { return phone.setPhoto(contact, request.body); }));
  });
  auto screenOf = [&](const httplib::Request& request, httplib::Response& response, bool tree) {
    const LiveProcess* process = findLiveProcess(request.matches[1]);
    if (!process) return refuse(response, 404, "no process " + quotedWord(request.matches[1]));
    HostScreen screen = device.with([&](LivePhone& phone) { return phone.screen(*process); });
    auto bytes = tree ? screen.tree : screen.png;
    if (!bytes) return refuse(response, 404, std::string(process->title) + " has no screen yet");
    response.set_header("Cache-Control", "no-store");
    response.set_content(*bytes, tree ? "application/json" : "image/png");
  };
  server.Get(R"(/api/screen/([^/]{1,64})\.png)",
             [=](const httplib::Request& request, httplib::Response& response) {
               screenOf(request, response, false);
             });
  server.Get(R"(/api/tree/([^/]{1,64})\.json)",
             [=](const httplib::Request& request, httplib::Response& response) {
               screenOf(request, response, true);
             });
  server.Get(R"(/[a-z.]*)", [](const httplib::Request& request, httplib::Response& response) {
    std::string body, type;
    if (!livePageFile(request.path, &body, &type)) {
      return refuse(response, 404, "nothing at " + quotedWord(request.path));
    }
    response.set_content(body, type.c_str());
  });
}

// Only the page itself may talk to the server: another site's page open in the same browser
// could otherwise send it requests (by its loopback address, or by a name of its own that it
// points there), and the actions it runs write files.
void guardOrigin(httplib::Server& server, int port) {
  server.set_pre_routing_handler(
      [port](const httplib::Request& request, httplib::Response& response) {
        std::string error = requestOriginError(request.get_header_value("Host"),
                                               request.get_header_value("Origin"), port);
        if (error.empty()) return httplib::Server::HandlerResponse::Unhandled;
        refuse(response, 403, error);
        return httplib::Server::HandlerResponse::Handled;
      });
}

void answerErrors(httplib::Server& server) {
  server.set_error_handler([](const httplib::Request& request, httplib::Response& response) {
    // A handler's own answer (a JSON refusal) stays as it is.
    if (response.body.empty()) {
      refuse(response, response.status,
             response.status == 413
                 ? "the body is larger than " + std::to_string(kMostBodyBytes) + " bytes"
                 : "nothing at " + quotedWord(request.path));
    }
  });
  server.set_exception_handler(
      [](const httplib::Request&, httplib::Response& response, std::exception_ptr failure) {
        std::string what = "unknown failure";
        try {
          std::rethrow_exception(failure);
        } catch (const std::exception& error) {
          what = error.what();
        } catch (...) {
        }
        refuse(response, 500, what);
      });
}

}  // namespace

int serveLiveSimulator(const LiveOptions& options, const simulator::SimTools& tools) {
  const simulator::SimProfile* profile = simulator::findSimProfile(options.profile);
  if (!profile) {
    std::fprintf(stderr, "talvocb sim: no phone %s\n", options.profile.c_str());
    return 2;
  }
  // A host that has died fails a write to its input instead of ending the server.
  ::signal(SIGPIPE, SIG_IGN);
  // The end is asked for by a signal, taken by one thread: every thread started from here on
  // blocks it (the programs started get their own mask).
  sigset_t ending;
  sigemptyset(&ending);
  sigaddset(&ending, SIGINT);
  sigaddset(&ending, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &ending, nullptr);

  Device device({tools, options.root, options.out});
  LiveReply started = device.start(*profile);
  if (started.status != 200) {
    std::fprintf(stderr, "talvocb sim: the phone cannot be started: %s\n", started.json.c_str());
    device.end();
    return 1;
  }
  httplib::Server server;
  server.set_payload_max_length(kMostBodyBytes);
  // Never another interface: the server runs programs on this machine.
  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port("127.0.0.1");
  } else if (!server.bind_to_port("127.0.0.1", port)) {
    port = -1;
  }
  if (port <= 0) {
    std::fprintf(stderr, "talvocb sim: cannot listen on 127.0.0.1:%d\n", options.port);
    device.end();
    return 1;
  }
  guardOrigin(server, port);
  addRoutes(server, device);
  answerErrors(server);
  std::thread waiter([&] {
    int signal = 0;
    sigwait(&ending, &signal);
    server.stop();
  });
  std::printf("serving http://127.0.0.1:%d/\n", port);
  std::fflush(stdout);
  server.listen_after_bind();
  // Ended by a signal, or the listening failed: the waiter is woken either way.
  ::kill(::getpid(), SIGTERM);
  waiter.join();
  device.end();
  return 0;
}

}  // namespace live
