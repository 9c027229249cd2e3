// Runs a program as the unprivileged user nobody, the way a user who is not
// root meets ports and files (root passes checks such a user fails). Only
// root can switch users; tests skip where it cannot.
#pragma once

#include <cerrno>
#include <string>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

struct UserRun {
    int status = -1;     // the program's exit status, -1 when it did not run
    std::string output;  // what it wrote on stdout and stderr
};

inline bool CanRunAsNobody() { return geteuid() == 0 && access("/usr/bin/setpriv", X_OK) == 0; }

inline UserRun RunAsNobody(const std::vector<std::string>& args) {
    std::vector<std::string> full = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", "--"};
    full.insert(full.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : full)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        dup2(pipeFds[1], STDERR_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(pipeFds[1]);
    UserRun run;
    char chunk[512];
    ssize_t got;
    while ((got = read(pipeFds[0], chunk, sizeof chunk)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0)
            run.output.append(chunk, static_cast<size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return run;
    run.status = WEXITSTATUS(status);
    return run;
}
