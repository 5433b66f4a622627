// A stand-in for the Brenix unit on a pseudo-terminal, linked at the path given (for example a
// port folder's com16). It powers on when a terminal holds the line open, prints its start-up
// lines with the banner, grants command access to two spaces sent in the right window, echoes
// what it receives, and says on its own console what happens.

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <random>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

const char* const kHelp = R"(usage: brenix-unit LINK [options]

Plays the Brenix unit on a pseudo-terminal linked as LINK (e.g. a port folder's com16).

  --baud N       line speed the unit expects (default 9600); a terminal whose
                 line speed differs is reported here
  --pace N       line rate in bytes per second (default: baud / 10)
  --interval MS  time between status lines (default 500)
  --flood N      at power-on, write N bytes of text lines and every byte value
                 as fast as the line takes them, and print their checksum
  --garbage      send random bytes at the line rate instead of readings, as a
                 unit at another baud rate seems to
  --log FILE     append every byte sent to the line to FILE
  --help         this text

The unit powers on when a terminal holds the line open for 200 ms or more (the
terminal's start-up probe opens every port only briefly), when 'p' and Enter
are typed here, or on SIGUSR1. At power-on it prints its start-up lines with
"BRENIX INDUSTRIES, INC.". Two spaces, the first 900 to 1400 ms after the
banner line and the second 200 to 300 ms after the first, grant command
access: "initialising" lines for about 6 s, then status lines of one length.
Otherwise it prints readings and says here why the answer was refused. It
echoes every byte it receives. SIGTERM or SIGINT ends it and removes LINK.
)";

volatile std::sig_atomic_t g_powerRequest = 0;
volatile std::sig_atomic_t g_stop = 0;

struct Options {
    std::string link;
    int baud = 9600;
    int pace = 0;
    int intervalMs = 500;
    long flood = -1;
    bool garbage = false;
    std::string log;
};

bool parse(int argc, char* argv[], Options& o)
{
    if (argc < 2)
        return false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--help")
            return false;
        if (arg == "--baud" && hasValue)
            o.baud = std::atoi(argv[++i]);
        else if (arg == "--pace" && hasValue)
            o.pace = std::atoi(argv[++i]);
        else if (arg == "--interval" && hasValue)
            o.intervalMs = std::atoi(argv[++i]);
        else if (arg == "--flood" && hasValue)
            o.flood = std::atol(argv[++i]);
        else if (arg == "--garbage")
            o.garbage = true;
        else if (arg == "--log" && hasValue)
            o.log = argv[++i];
        else if (o.link.empty() && arg.rfind("--", 0) != 0)
            o.link = arg;
        else
            return false;
    }
    if (o.pace <= 0)
        o.pace = std::max(1, o.baud / 10);
    return !o.link.empty() && o.baud > 0 && o.intervalMs > 0;
}

void say(const char* format, ...) __attribute__((format(printf, 1, 2)));
void say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

speed_t speedOf(int baud)
{
    switch (baud) {
    case 1200:
        return B1200;
    case 2400:
        return B2400;
    case 4800:
        return B4800;
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 57600:
        return B57600;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

class Unit {
public:
    Unit(int master, const Options& options) : m_master(master), m_o(options)
    {
        if (!m_o.log.empty())
            m_log = std::fopen(m_o.log.c_str(), "ab");
    }
    ~Unit()
    {
        if (m_log)
            std::fclose(m_log);
    }

    void run();

private:
    enum class State { Off, Booting, Answer, Initialising, Status, Readings };

    void powerOn(const char* why);
    void queue(const std::string& text) { m_out.insert(m_out.end(), text.begin(), text.end()); }
    void writePaced(Clock::time_point now);
    void writeFlood();
    void received(const char* bytes, ssize_t n, Clock::time_point now);
    void refuse(const char* why, Clock::time_point now);
    void tick(Clock::time_point now);
    void checkSpeed();
    bool lineHeld(); // a terminal holds the line open

    int m_master;
    Options m_o;
    std::FILE* m_log = nullptr;
    State m_state = State::Off;
    std::deque<char> m_out;
    std::minstd_rand m_random{1};
    std::size_t m_bannerEnd = 0; // bytes still to send before the banner line has gone out
    Clock::time_point m_bannerSent{};
    Clock::time_point m_firstSpace{};
    int m_spaces = 0;
    Clock::time_point m_stateSince{};
    Clock::time_point m_nextLine{};
    Clock::time_point m_lastWrite{};
    Clock::time_point m_openSince{};
    bool m_open = false;
    bool m_poweredByOpen = false;
    long m_lines = 0;
};

bool Unit::lineHeld()
{
    // While nobody holds the slave side, the master reports a hang-up.
    struct pollfd p {
        m_master, 0, 0
    };
    return ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

void Unit::checkSpeed()
{
    struct termios t {};
    if (::tcgetattr(m_master, &t) != 0)
        return;
    const speed_t expected = speedOf(m_o.baud);
    if (expected != B0 && cfgetospeed(&t) != expected)
        say("baud mismatch: the terminal's line speed differs from the unit's %d baud", m_o.baud);
}

void Unit::powerOn(const char* why)
{
    say("powered on (%s)", why);
    checkSpeed();
    m_out.clear();
    m_spaces = 0;
    if (m_o.flood >= 0) {
        writeFlood();
        m_state = State::Readings;
        return;
    }
    queue("\r\nBrenix BX-200 boot ROM 2.1\r\nMemory 64K OK\r\n");
    queue("(C) 1998 BRENIX INDUSTRIES, INC.\r\n");
    m_bannerEnd = m_out.size();
    queue("Self test passed, 4 channels\r\nReady.\r\n");
    m_state = State::Booting;
    m_stateSince = Clock::now();
}

void Unit::writeFlood()
{
    // Text lines with every byte value between them, as fast as the line takes them.
    std::string chunk;
    for (int line = 0; line < 16; ++line)
        chunk += "FLOOD LINE " + std::to_string(line) + " 0123456789 ABCDEFGHIJ\r\n";
    for (int b = 0; b < 256; ++b)
        chunk += char(b);
    // Written in large pieces, so that the unit is not what limits the flood.
    const std::size_t period = chunk.size();
    while (chunk.size() < 65536 + period)
        chunk += chunk.substr(0, period);
    std::uint32_t sum = 2166136261u; // FNV-1a
    const auto start = Clock::now();
    long left = m_o.flood;
    std::size_t at = 0;
    while (left > 0 && !g_stop) {
        const std::size_t n = std::min<std::size_t>(std::size_t(left), 65536);
        const ssize_t w = ::write(m_master, chunk.data() + at, n);
        if (w < 0) {
            if (errno == EAGAIN || errno == EINTR) {
                struct pollfd p {
                    m_master, POLLOUT, 0
                };
                ::poll(&p, 1, 100);
                continue;
            }
            break;
        }
        for (ssize_t i = 0; i < w; ++i)
            sum = (sum ^ static_cast<unsigned char>(chunk[at + std::size_t(i)])) * 16777619u;
        if (m_log)
            std::fwrite(chunk.data() + at, 1, std::size_t(w), m_log);
        left -= w;
        at = (at + std::size_t(w)) % period;
    }
    if (m_log)
        std::fflush(m_log);
    const std::chrono::duration<double> took = Clock::now() - start;
    say("flood: %ld bytes sent in %.3f s, FNV-1a checksum %08x", m_o.flood - left, took.count(),
        sum);
}

void Unit::writePaced(Clock::time_point now)
{
    if (m_out.empty()) {
        m_lastWrite = now;
        return;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - m_lastWrite);
    std::size_t budget = std::size_t(double(elapsed.count()) * m_o.pace / 1e6);
    if (budget == 0)
        return;
    budget = std::min(budget, m_out.size());
    const std::string bytes(m_out.begin(), m_out.begin() + long(budget));
    const ssize_t w = ::write(m_master, bytes.data(), bytes.size());
    if (w <= 0)
        return;
    m_out.erase(m_out.begin(), m_out.begin() + w);
    m_lastWrite = now;
    if (m_log) {
        std::fwrite(bytes.data(), 1, std::size_t(w), m_log);
        std::fflush(m_log);
    }
    if (m_bannerEnd > 0) {
        m_bannerEnd -= std::min(m_bannerEnd, std::size_t(w));
        if (m_bannerEnd == 0) {
            m_bannerSent = now;
            m_state = State::Answer;
            m_stateSince = now;
            say("banner sent; waiting for the answer");
        }
    }
}

void Unit::refuse(const char* why, Clock::time_point now)
{
    say("command access refused: %s", why);
    m_state = State::Readings;
    m_stateSince = now;
}

void Unit::received(const char* bytes, ssize_t n, Clock::time_point now)
{
    queue(std::string(bytes, std::size_t(n))); // echo, as the unit does
    if (m_state != State::Answer)
        return;
    for (ssize_t i = 0; i < n && m_state == State::Answer; ++i) {
        const auto sinceBanner = std::chrono::duration_cast<Ms>(now - m_bannerSent).count();
        if (bytes[i] != ' ') {
            refuse("wrong byte", now);
            return;
        }
        if (++m_spaces == 1) {
            m_firstSpace = now;
            if (sinceBanner < 900) {
                say("first space %lld ms after the banner", static_cast<long long>(sinceBanner));
                refuse("too early", now);
            } else if (sinceBanner > 1400) {
                say("first space %lld ms after the banner", static_cast<long long>(sinceBanner));
                refuse("too late", now);
            }
            continue;
        }
        const auto gap = std::chrono::duration_cast<Ms>(now - m_firstSpace).count();
        if (gap < 200 || gap > 300) {
            say("second space %lld ms after the first", static_cast<long long>(gap));
            refuse(gap < 200 ? "too early" : "too late", now);
            return;
        }
        say("command access granted: first space %lld ms after the banner, second %lld ms later",
            static_cast<long long>(
                std::chrono::duration_cast<Ms>(m_firstSpace - m_bannerSent).count()),
            static_cast<long long>(gap));
        m_state = State::Initialising;
        m_stateSince = now;
        m_nextLine = now;
    }
}

void Unit::tick(Clock::time_point now)
{
    if (m_state == State::Answer && now - m_bannerSent > Ms(1400) && m_spaces == 0)
        refuse("too late: no answer within 1400 ms", now);
    if (m_state == State::Answer && m_spaces == 1 && now - m_firstSpace > Ms(300))
        refuse("too late", now);
    if (m_state == State::Initialising && now - m_stateSince > Ms(6000)) {
        m_state = State::Status;
        say("initialised; status lines follow");
    }
    if (m_state != State::Initialising && m_state != State::Status && m_state != State::Readings)
        return;
    if (m_o.garbage && m_state == State::Readings) {
        while (m_out.size() < std::size_t(m_o.pace / 10)) // a tenth of a second ahead
            m_out.push_back(char(m_random() >> 16));
        return;
    }
    if (now < m_nextLine)
        return;
    m_nextLine = now + Ms(m_o.intervalMs);
    char line[80];
    const long n = m_lines++;
    if (m_state == State::Initialising)
        std::snprintf(line, sizeof line, "initialising%.*s\r\n", int(n % 7), "......");
    else if (m_state == State::Status)
        std::snprintf(line, sizeof line, "STATUS %06ld OK\r\n", n);
    else
        std::snprintf(line, sizeof line, "READING ch%ld=%ld.%02ldV\r\n", n % 4 + 1, (n * 37) % 130,
                      (n * 7) % 100);
    queue(line);
}

void Unit::run()
{
    m_lastWrite = Clock::now();
    int console = STDIN_FILENO; // -1 once it has ended: an ended input would wake poll at once
    while (!g_stop) {
        const auto now = Clock::now();
        if (g_powerRequest) {
            g_powerRequest = 0;
            powerOn("asked for");
        }
        // Power on when a terminal has held the line open for 200 ms.
        const bool held = lineHeld();
        if (held && !m_open) {
            m_open = true;
            m_openSince = now;
            m_poweredByOpen = false;
            say("terminal opened the line");
        } else if (!held && m_open) {
            m_open = false;
            say("terminal closed the line");
        }
        if (m_open && !m_poweredByOpen && now - m_openSince >= Ms(200)) {
            m_poweredByOpen = true;
            powerOn("terminal opened the line");
        }

        struct pollfd fds[2] = {{console, POLLIN, 0}, {m_master, POLLIN, 0}};
        const nfds_t count = m_open ? 2 : 1; // a hang-up would wake poll at once
        if (::poll(fds, count, 10) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char c[64];
            const ssize_t n = ::read(STDIN_FILENO, c, sizeof c);
            if (n > 0 && std::find(c, c + n, 'p') != c + n)
                powerOn("asked for");
            else if (n <= 0)
                console = -1;
        }
        if (m_open && (fds[1].revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(m_master, buf, sizeof buf);
            if (n > 0)
                received(buf, n, Clock::now());
        }
        if (m_state != State::Off) {
            tick(Clock::now());
            if (m_open)
                writePaced(Clock::now());
            else
                m_lastWrite = Clock::now();
        }
    }
}

} // namespace

int main(int argc, char* argv[])
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fputs(kHelp, argc > 1 && std::string(argv[1]) == "--help" ? stdout : stderr);
        return argc > 1 && std::string(argv[1]) == "--help" ? 0 : 2;
    }
    int master = -1, slave = -1;
    char name[256] = {};
    struct termios raw {};
    cfmakeraw(&raw);
    cfsetspeed(&raw, speedOf(options.baud) != B0 ? speedOf(options.baud) : B9600);
    if (openpty(&master, &slave, name, &raw, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    // The slave is not held here: the master sees a hang-up until a terminal opens it.
    ::close(slave);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    ::unlink(options.link.c_str());
    if (::symlink(name, options.link.c_str()) != 0) {
        std::perror("symlink");
        return 1;
    }
    std::signal(SIGUSR1, [](int) { g_powerRequest = 1; });
    std::signal(SIGTERM, [](int) { g_stop = 1; });
    std::signal(SIGINT, [](int) { g_stop = 1; });
    say("unit on %s, linked as %s; 'p' and Enter powers it on", name, options.link.c_str());
    Unit(master, options).run();
    ::unlink(options.link.c_str());
    return 0;
}
