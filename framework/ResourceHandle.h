#pragma once

// Finding the module that holds a resource.

#include <windows.h>

// The module whose resources hold lpszName of type lpszType: the application's, else the
// program file's; the application's when neither has it (a later load then fails there).
HINSTANCE AfxFindResourceHandle(const char* lpszName, const char* lpszType);
