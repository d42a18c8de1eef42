// Two programs in one for tst_dumpwriter, run as separate processes because a program starts at
// most one window in its run:
//
//     dumpwriter_helper show FILE...           writes each FILE and shows it, printing
//                                              "shown FILE" or "not shown FILE"
//     dumpwriter_helper --listen --fit FILE    a stand-in window (as $VEDRA_PROGRAM): notes how
//                                              it was started in $VEDRA_FAKE_NOTES, waits
//                                              $VEDRA_FAKE_DELAY_MS, then answers each request
//                                              at $VEDRA_SOCKET with ok for 30 s
#include <vedra/dump.h>

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace
{

void note(const std::string& line)
{
    const char* notes = std::getenv("VEDRA_FAKE_NOTES");
    if (!notes)
        return;
    if (std::FILE* file = std::fopen(notes, "a")) {
        std::fprintf(file, "%s\n", line.c_str());
        std::fclose(file);
    }
}

// What the window was given by the program that started it, noted before it opens anything.
void noteHowStarted(int argc, char** argv)
{
    std::string started = "started";
    for (int i = 1; i < argc; ++i)
        started += std::string(" ") + argv[i];
    std::string inherited;
    if (DIR* list = opendir("/proc/self/fd")) {
        while (const dirent* entry = readdir(list)) {
            const int fd = std::atoi(entry->d_name);
            if (fd > 2 && fd != dirfd(list))
                inherited += " " + std::to_string(fd);
        }
        closedir(list);
    }
    char input[256] = {};
    (void)!readlink("/proc/self/fd/0", input, sizeof input - 1);
    note(started);
    note("pid " + std::to_string(getpid()));
    note(getsid(0) == getpid() ? "session own" : "session shared");
    note(std::string("stdin ") + input);
    note("inherited" + (inherited.empty() ? std::string(" none") : inherited));
}

int window(int argc, char** argv)
{
    noteHowStarted(argc, argv);
    if (const char* delay = std::getenv("VEDRA_FAKE_DELAY_MS"))
        std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(delay)));
    const char* path = std::getenv("VEDRA_SOCKET");
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (!path || std::strlen(path) >= sizeof address.sun_path)
        return 2;
    std::strcpy(address.sun_path, path);
    umask(077);
    unlink(path);
    const int server = socket(AF_UNIX, SOCK_STREAM, 0);
    if (bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(server, 16) != 0) {
        std::perror("listen");
        return 2;
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        pollfd waiting{server, POLLIN, 0};
        if (poll(&waiting, 1, 200) <= 0)
            continue;
        const int client = accept(server, nullptr, nullptr);
        std::string received;
        char buffer[4096];
        ssize_t n;
        while ((n = read(client, buffer, sizeof buffer)) > 0) {
            received.append(buffer, static_cast<std::size_t>(n));
            std::size_t line;
            while ((line = received.find('\n')) != std::string::npos) {
                const std::string request = received.substr(0, line);
                received.erase(0, line + 1);
                note("request " + request);
                const std::string answer = "file: x\nok\n";
                (void)!write(client, answer.data(), answer.size());
            }
        }
        close(client);
    }
    unlink(path);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "--listen")
        return window(argc, argv);
    if (argc < 2 || std::string(argv[1]) != "show") {
        std::fprintf(stderr, "usage: %s show FILE... | --listen --fit FILE\n", argv[0]);
        return 2;
    }
    // A copy of the output without close-on-exec, as programs often hold descriptors: a window
    // that inherited it would keep the output open after this program ends.
    const int copy = fcntl(1, F_DUPFD, 10);
    for (int i = 2; i < argc; ++i) {
        vedra::Dump dump(argv[i]);
        dump.pt(1, 2);
        const bool shown = dump.show();
        std::printf("%s %s\n", shown ? "shown" : "not shown", argv[i]);
        std::fflush(stdout);
    }
    close(copy);
    return 0;
}
