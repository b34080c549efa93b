// The entry point: one copy per user, the working folder, the date and the seed, the
// settings, the plug-ins, the windows and the message loop, torn down in a fixed order.
#include <windows.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/startup.h"
#include "common/boundary.h"
#include "common/handles_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "records/settings_win.h"
#include "resources/resource.h"

namespace {

void SetWorkingFolderToProgramFolder() {
    const std::wstring program = ProgramPath();
    if (program.empty()) {
        return;
    }
    const std::u16string folder = WorkingFolderFor(AsU16(program));
    if (!folder.empty()) {
        SetCurrentDirectoryW(AsWide(folder.c_str()));
    }
}

// Another copy runs: offer to end it. The program never goes on to start from here.
void EndRunningCopy() {
    if (ShowMessageBox(
            nullptr,
            L"ヨミトキは、すでに起動しています。\r\n現在起動中のヨミトキを強制終了しますか?",
            kProgramName, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    HWND running = FindWindowW(kMainWindowClass, nullptr);
    if (running == nullptr) {
        ShowMessageBox(nullptr, L"ウィンドウの検出に失敗しました。強制終了に失敗しました。",
                       kProgramName, MB_ICONERROR);
        return;
    }
    // The running copy saves, removes its tray icon and ends, without a farewell.
    SendMessageW(running, WM_DESTROY, 0, 0);
}

std::u16string LoadPluginString(HMODULE module, UINT id) {
    wchar_t text[64] = {};
    if (LoadStringW(module, id, text, 64) <= 0) {
        return kReadFailed;
    }
    return AsU16(text);
}

// The edition plug-in, by the program's name or by the setting; null when it cannot be had.
HMODULE AttachEditionPlugin(App& app) {
    const std::wstring program = ProgramPath();
    if (program.empty()) {
        return nullptr;
    }
    const EditionChoice choice = ChooseEditionPlugin(AsU16(program), app.settings.SelEdition);
    app.EditionChoiceEnabled = choice.choiceEnabled;
    return LoadLibraryW(AsWide(choice.library.c_str()));
}

int Run(HINSTANCE instance) {
    UniqueHandle mutex(CreateMutexW(nullptr, TRUE, kMainWindowClass));
    if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        EndRunningCopy();
        return 0;
    }
    SetWorkingFolderToProgramFolder();

    // COM outlives the app state: everything the app holds is released before COM goes.
    const CoInitScope com;
    App app;
    app.instance = instance;
    app.day.date = LocalNow();
    app.day.key = FormatTodayKey(app.day.date);
    std::srand(RandomSeed(GetTickCount(), app.day.date.minute, app.day.date.second));
    LoadSettings(app.settings, app.clock.TodaySeconds, app.day.key);

    UniqueHModule edition(AttachEditionPlugin(app));
    if (!edition) {
        ShowMessageBox(nullptr, L"エディション指定DLLのアタッチに失敗しました。", kProgramName,
                       MB_ICONERROR);
        return 0;
    }
    UniqueHModule voice(LoadLibraryW(L".\\ymtvoice.dll"));
    if (!voice) {
        edition.reset();
        ShowMessageBox(nullptr, L"音声DLLのアタッチに失敗しました。", kProgramName, MB_ICONERROR);
        return 0;
    }
    app.editionModule = edition.get();
    app.voiceModule = voice.get();
    app.EditionTitle = LoadPluginString(edition.get(), IDS_EDITION_TITLE);
    app.EditionLabel = LoadPluginString(edition.get(), IDS_EDITION_LABEL);

    if (!CreateAppWindows(app)) {
        voice.reset();
        edition.reset();
        return 0;
    }
    app.AppMenu.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_APPMENU)));
    app.ContextMenu = GetSubMenu(app.AppMenu.get(), 0);
    if (!app.EditionChoiceEnabled && app.ContextMenu != nullptr) {
        DeleteMenu(app.ContextMenu, 0, MF_BYPOSITION);  // "次回起動時のエディションを選択(&D)"
    }
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    mutex.reset();
    voice.reset();
    edition.reset();
    return message.message == WM_QUIT ? static_cast<int>(message.wParam) : 0;
}

}  // namespace

// Memory that runs out before the message loop ends the program quietly.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return CatchAtBoundary(0, [&] { return Run(instance); });
}
