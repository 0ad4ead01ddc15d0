#include "framework/ResourceHandle.h"

#include "framework/WinApp.h"

HINSTANCE AfxFindResourceHandle(const char* lpszName, const char* lpszType) {
    HINSTANCE hApp = AfxGetInstanceHandle();
    if (::FindResourceA(hApp, lpszName, lpszType) != nullptr) {
        return hApp;
    }
    HINSTANCE hExe = ::GetModuleHandleA(nullptr);
    if (hExe != hApp && ::FindResourceA(hExe, lpszName, lpszType) != nullptr) {
        return hExe;
    }
    return hApp;
}
