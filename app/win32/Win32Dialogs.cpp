// Message boxes and the file dialog, on Win32.
#include "app/win32/Win32Dialogs.h"

#ifndef NOMINMAX
#  define NOMINMAX
#endif
#include <windows.h>
#include <commdlg.h>

#include "upgrade/Messages.h"
#include "upgrade/WideText.h"
#include "app/win32/Win32PointerScope.h"

namespace orvel {

namespace {

void showMessageBox(UINT icon, const std::string& text) {
    Win32PointerScope reading(Win32PointerScope::Own);
    UINT style = MB_OK | icon;
    if (ReadsRightToLeft(text)) style |= MB_RTLREADING | MB_RIGHT;
    MessageBoxW(GetActiveWindow(), WideFromUtf8(text).c_str(), WideFromUtf8(kApplicationTitle).c_str(), style);
}

}  // namespace

void Win32MessageBoxes::inform(const std::string& text) { showMessageBox(0, text); }

void Win32MessageBoxes::showError(const std::string& text) { showMessageBox(MB_ICONERROR, text); }

std::optional<std::string> Win32AccessFileDialog::chooseFile(const std::string& filter) {
    const std::wstring filters = Win32FileFilter(filter);
    std::wstring file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = GetActiveWindow();
    dialog.lpstrFilter = filters.c_str();
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
    Win32PointerScope choosing(Win32PointerScope::Own);
    if (!GetOpenFileNameW(&dialog)) return std::nullopt;
    file.resize(file.find(L'\0'));
    return Utf8FromWide(file);
}

std::wstring Win32FileFilter(const std::string& filter) {
    std::wstring filters = WideFromUtf8(filter);
    for (auto& character : filters)
        if (character == L'|') character = L'\0';
    filters.append(2, L'\0');
    return filters;
}

}  // namespace orvel
