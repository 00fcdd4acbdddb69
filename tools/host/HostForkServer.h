// A host that starts hosts: the simulator starts hundreds of host processes, and most of each
// one's time went into the same start-up (loading some sixty libraries, fontconfig reading its
// fonts, pango sorting them for each size). The fork server does that once and then forks a
// child per request, which goes on as a host started with the request's arguments would. Nothing
// of a device is read before the fork: the child sets its root, registers its classes and loads
// the module itself, so each child is a fresh process of its device.
//
// The protocol, on a SOCK_SEQPACKET socket that is the server's standard input:
// - the server sends "ready" once it is warmed up and has no thread but its own;
// - a request is one message: the arguments, each ended by a NUL, with four descriptors
//   (the child's standard input, output and error, and a reply socket);
// - on the reply socket the server sends "pid N" with a pidfd of the child, and once the child
//   has ended "status S" (the wait status); then it closes the reply socket.
// The server ends when the request socket reaches its end.
#pragma once

#include <optional>
#include <string>
#include <vector>

// Serves requests on `requests`. Answers the arguments of a request in the forked child, or
// nothing in the server once it is done (*status is then its exit status).
std::optional<std::vector<std::string>> serveForks(int requests, int* status);
