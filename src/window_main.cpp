// velmora-reader-window: the whole program, the window and printing to printers' queues as well
// as every command of the command line. velmora-reader hands it the runs that need them.
#include "app/gui_main.h"
#include "cli/program_main.h"
#include "cli/system/qt_system_printers.h"

int main(int argc, char** argv)
{
    vr::QtSystemPrinters printers;
    vr::ProgramRoles roles;
    roles.window = [](const vr::CommandLine& cmd, int count, char** args) { return vr::runGui(count, args, cmd.file); };
    roles.printers = &printers;
    return vr::programMain(argc, argv, roles);
}
