// Runs every case of profile_cases.h through the Windows profile functions and writes one line
// per result to profile_reference.txt in the working folder, where the case files are made too:
// "<case>\t<step>\t<result>" and "<case>\tfile\t<hex bytes or none>".
#include "../profile_cases.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string hex(const char *data, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < size; ++i) {
        unsigned char b = static_cast<unsigned char>(data[i]);
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

std::string z(std::string_view s) {
    return std::string(s);
}

} // namespace

int main() {
    char folder[MAX_PATH];
    if (GetCurrentDirectoryA(MAX_PATH, folder) == 0) return 2;
    FILE *out = fopen("profile_reference.txt", "wb");
    if (out == nullptr) return 2;
    int index = 0;
    for (const profile_cases::Case &c : profile_cases::allCases()) {
        // A file name per case: the profile cache must never see an older file of the same name.
        std::string path = std::string(folder) + "\\case" + std::to_string(index++) + ".ini";
        DeleteFileA(path.c_str());
        if (c.hasFile) {
            HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            if (h == INVALID_HANDLE_VALUE ||
                !WriteFile(h, c.initial.data(), static_cast<DWORD>(c.initial.size()), &written,
                           nullptr))
                return 3;
            CloseHandle(h);
        }
        int stepIndex = 0;
        for (const profile_cases::Step &s : c.steps) {
            std::string result;
            std::string section = z(s.section), key = z(s.key), text = z(s.text);
            if (s.op == 'i') {
                UINT v =
                    GetPrivateProfileIntA(section.c_str(), key.c_str(), s.fallback, path.c_str());
                result = std::to_string(static_cast<int>(v));
            } else if (s.op == 's') {
                char buffer[80];
                memset(buffer, 0x01, sizeof buffer);
                DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(),
                                                   buffer, sizeof buffer, path.c_str());
                result = hex(buffer, n);
            } else {
                BOOL ok = WritePrivateProfileStringA(section.c_str(), key.c_str(), text.c_str(),
                                                     path.c_str());
                result = ok ? "1" : "0";
            }
            fprintf(out, "%s\t%d\t%s\n", z(c.name).c_str(), stepIndex++, result.c_str());
        }
        std::string fileResult = "none";
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            std::string bytes;
            char buffer[4096];
            DWORD n = 0;
            while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0)
                bytes.append(buffer, n);
            CloseHandle(h);
            fileResult = hex(bytes.data(), bytes.size());
        }
        fprintf(out, "%s\tfile\t%s\n", z(c.name).c_str(), fileResult.c_str());
    }
    return fclose(out) == 0 ? 0 : 4;
}
