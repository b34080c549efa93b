// ymthelp.exe: Firefox's native-messaging host for ヨミトキ, and its own installer.
//
//   ymthelp.exe                       asks whether to register (or unregister) this copy
//   ymthelp.exe --install [--quiet]   registers it for the current user
//   ymthelp.exe --uninstall [--quiet] removes the registration
//   ymthelp.exe <manifest> <ext-id>   how Firefox starts it: reads frames on standard input
//                                     and writes the address file of its profile
#include <windows.h>

#include <cstdlib>
#include <string>
#include <string_view>

#include "common/system_win.h"
#include "common/text_win.h"
#include "helper/host/host_ports_win.h"
#include "helper/host/profile_locator_win.h"
#include "helper/host/registration_win.h"

namespace {

std::u16string ModulePath() {
    return std::u16string(AsU16(ProgramPath()));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    const int argc = __argc;
    wchar_t** const argv = __wargv;
    bool quiet = false;
    bool install = false;
    bool uninstall = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring_view arg = argv[i];
        quiet = quiet || arg == L"--quiet";
        install = install || arg == L"--install";
        uninstall = uninstall || arg == L"--uninstall";
    }
    if (install || uninstall) {
        return RunRegistrationCommand(
            install ? RegistrationCommand::Install : RegistrationCommand::Uninstall, ModulePath(),
            quiet);
    }
    if (argc <= 1) {
        return RunRegistrationCommand(RegistrationCommand::Ask, ModulePath(), false);
    }
    // Started by Firefox. Without a usable APPDATA the root is empty and nothing is ever
    // written, but the input is still read to its end so that Firefox sees no error.
    HostSession session;
    RunHost(session, MakeHostPorts(FirefoxProfilesRoot()),
            MakeHandleReader(GetStdHandle(STD_INPUT_HANDLE)));
    return 0;
}
