// A stand-in for the Brenix unit on a pseudo-terminal, for trying the terminal by hand and for
// end-to-end runs. It links the line as the given path (e.g. a port folder's com1), prints its
// start-up banner, then a status line at a steady pace, and echoes every byte it receives.
// Two spaces after the banner are taken as the terminal's answer and acknowledged.
//
//   brenix-unit LINK [--interval MS] [--lines N]

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {
void sendAll(int fd, const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
        if (n > 0)
            done += std::size_t(n);
    }
}
} // namespace

int main(int argc, char* argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s LINK [--interval MS] [--lines N]\n", argv[0]);
        return 2;
    }
    const std::string link = argv[1];
    int intervalMs = 500;
    long lines = -1;
    for (int i = 2; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--interval"))
            intervalMs = std::atoi(argv[i + 1]);
        else if (!std::strcmp(argv[i], "--lines"))
            lines = std::atol(argv[i + 1]);
    }

    int master = -1, slave = -1;
    char name[256] = {};
    struct termios raw {};
    cfmakeraw(&raw);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    ::unlink(link.c_str());
    if (::symlink(name, link.c_str()) != 0) {
        std::perror("symlink");
        return 1;
    }
    std::printf("unit on %s (linked as %s)\n", name, link.c_str());
    std::fflush(stdout);

    sendAll(master, "\r\nBRENIX INDUSTRIES, INC.\r\nUnit firmware 1.0\r\n");
    int spaces = 0;
    long count = 0;
    auto next = std::chrono::steady_clock::now();
    while (lines < 0 || count < lines) {
        const auto now = std::chrono::steady_clock::now();
        const int wait =
            int(std::chrono::duration_cast<std::chrono::milliseconds>(next - now).count());
        struct pollfd pfd {
            master, POLLIN, 0
        };
        if (::poll(&pfd, 1, wait > 0 ? wait : 0) > 0 && (pfd.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            for (ssize_t i = 0; i < n; ++i)
                spaces = buf[i] == ' ' ? spaces + 1 : 0;
            sendAll(master, std::string(buf, std::size_t(n))); // echo
            if (spaces == 2)
                sendAll(master, "\r\nCommand access granted\r\n");
        }
        if (std::chrono::steady_clock::now() >= next) {
            char line[64];
            std::snprintf(line, sizeof line, "STATUS %06ld OK\r\n", count++);
            sendAll(master, line);
            next += std::chrono::milliseconds(intervalMs);
        }
    }
    ::unlink(link.c_str());
    return 0;
}
