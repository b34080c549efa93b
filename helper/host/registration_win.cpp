#include "helper/host/registration_win.h"

#include <windows.h>

#include "common/handles_win.h"
#include "common/message_box_win.h"
#include "common/system_win.h"
#include "common/text_win.h"
#include "helper/host/atomic_file_win.h"
#include "helper/host/host_manifest.h"

namespace {

std::u16string FolderOf(std::u16string_view path) {
    const std::size_t slash = path.find_last_of(u"\\/");
    return std::u16string(slash == std::u16string_view::npos ? std::u16string_view()
                                                             : path.substr(0, slash));
}

void Tell(bool quiet, const wchar_t* text, UINT icon) {
    if (!quiet) {
        ShowMessageBox(nullptr, text, kProgramName, MB_OK | icon);
    }
}

}  // namespace

std::u16string HostManifestPath(std::u16string_view hostPath) {
    std::u16string folder = FolderOf(hostPath);
    if (!folder.empty()) {
        folder += u'\\';
    }
    return folder + kHostManifestFileName;
}

bool InstallHost(std::u16string_view hostPath) {
    const std::u16string folder = FolderOf(hostPath);
    if (folder.empty()) {
        return false;
    }
    if (!ReplaceFileContent(folder, kHostManifestFileName, BuildHostManifest(hostPath))) {
        return false;
    }
    const std::wstring manifest(AsWide(HostManifestPath(hostPath)));
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(kNativeHostKeyPath), 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, key.put(), nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>((manifest.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), nullptr, 0, REG_SZ,
                          reinterpret_cast<const BYTE*>(manifest.c_str()), bytes) == ERROR_SUCCESS;
}

bool UninstallHost(std::u16string_view hostPath) {
    const LSTATUS key = RegDeleteKeyW(HKEY_CURRENT_USER, AsWide(kNativeHostKeyPath));
    const std::wstring manifest(AsWide(HostManifestPath(hostPath)));
    const bool fileGone = DeleteFileW(manifest.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
    return (key == ERROR_SUCCESS || key == ERROR_FILE_NOT_FOUND) && fileGone;
}

std::optional<std::u16string> RegisteredManifestPath() {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(kNativeHostKeyPath), 0, KEY_QUERY_VALUE,
                      key.put()) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    wchar_t buffer[MAX_PATH * 2] = {};
    DWORD size = sizeof(buffer) - sizeof(wchar_t);  // room for a terminator of our own
    DWORD type = 0;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(buffer),
                         &size) != ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    std::u16string path(AsU16(buffer), size / sizeof(wchar_t));
    while (!path.empty() && path.back() == u'\0') {
        path.pop_back();
    }
    return path;
}

int RunRegistrationCommand(RegistrationCommand command, std::u16string_view hostPath, bool quiet) {
    if (command == RegistrationCommand::Ask) {
        const auto registered = RegisteredManifestPath();
        const bool ours =
            registered && CompareStringOrdinal(AsWide(registered->c_str()), -1,
                                               AsWide(HostManifestPath(hostPath).c_str()), -1,
                                               TRUE) == CSTR_EQUAL;
        const wchar_t* question =
            ours ? L"Firefox 用の補助プログラムは登録されています。\n登録を解除しますか？"
                 : L"Firefox 用の補助プログラム (ymthelp.exe) を登録しますか？\n"
                   L"登録すると、Firefox の拡張機能「ヨミトキ ヘルパー」が閲覧中のページを"
                   L"ヨミトキに知らせられるようになります。";
        if (ShowMessageBox(nullptr, question, kProgramName, MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return 0;
        }
        command = ours ? RegistrationCommand::Uninstall : RegistrationCommand::Install;
    }
    if (command == RegistrationCommand::Install) {
        if (!InstallHost(hostPath)) {
            Tell(quiet, L"Firefox 用の補助プログラムを登録できませんでした。", MB_ICONERROR);
            return 1;
        }
        Tell(quiet,
             L"Firefox 用の補助プログラムを登録しました。\n"
             L"Firefox を起動し直してから、拡張機能を読み込んでください。",
             MB_ICONINFORMATION);
        return 0;
    }
    if (!UninstallHost(hostPath)) {
        Tell(quiet, L"Firefox 用の補助プログラムの登録を解除できませんでした。", MB_ICONERROR);
        return 1;
    }
    Tell(quiet, L"Firefox 用の補助プログラムの登録を解除しました。", MB_ICONINFORMATION);
    return 0;
}
