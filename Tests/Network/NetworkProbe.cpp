// Opens a TCP connection: the kind of code the network check must find.
#include <netinet/in.h>
#include <sys/socket.h>

int probeConnection() {
  const int descriptor = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  return ::connect(descriptor, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}
