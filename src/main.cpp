// velmora-reader: the command line (render, dump, trace, thumbnail, convert, print to files). The
// window and printing to a printer's queue belong to velmora-reader-window, which this program
// becomes (exec) for them: command-line runs never load the widget and printer libraries.
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <unistd.h>

#include "cli/program_main.h"
#include "core/program_files.h"

int main(int argc, char** argv)
{
    vr::ProgramRoles roles;
    roles.window = [](const vr::CommandLine&, int, char** args) {
        const auto path = vr::programFile("velmora-reader-window");
        if (path.empty()) {
            std::cerr << "velmora-reader-window is not installed beside this program\n";
            return int(vr::kExitError);
        }
        std::string program = path.string();
        args[0] = program.data();
        execv(program.c_str(), args);
        std::cerr << "Cannot start " << program << ": " << std::strerror(errno) << '\n';
        return int(vr::kExitError);
    };
    return vr::programMain(argc, argv, roles);
}
