/* Answers file-system queries the way a Windows program sees them, to compare the host file system with
 * Wine itself. Reads one query per line from standard input (UTF-8, fields separated by tabs) and writes one
 * answer line per query:
 *
 *   list <pattern>   FindFirstFile/FindNextFile: "ok" and one "name|attributes" field per entry, in order
 *   attr <path>      GetFileAttributes: "ok" and the attributes in hex
 *   size <path>      GetFileSizeEx after CreateFile: "ok" and the size
 *   vol <root>       GetVolumeInformation: "ok" or "fail"
 *   type <root>      GetDriveType: "ok" and the type
 *   sysdir, windir   GetSystemDirectory, GetWindowsDirectory: "ok" and the folder
 *
 * A failed call answers "fail" and the error code. The wide-character calls are used so that names outside
 * the ANSI code page come through intact; the A calls convert and then make the same calls. */
#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

static void put_utf8(const WCHAR* text) {
    char buffer[4 * MAX_PATH + 4];
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof(buffer), NULL, NULL);
    if (n > 0)
        fputs(buffer, stdout);
}

static void fail(void) {
    printf("fail\t%lu\n", (unsigned long)GetLastError());
}

int main(void) {
    char line[4096];
    WCHAR arg[2048];
    WCHAR out[MAX_PATH + 1];
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    while (fgets(line, sizeof(line), stdin)) {
        size_t len = strlen(line);
        while (len > 0 && (line[len - 1] == '\n' || line[len - 1] == '\r'))
            line[--len] = 0;
        char* tab = strchr(line, '\t');
        arg[0] = 0;
        if (tab) {
            *tab = 0;
            if (!MultiByteToWideChar(CP_UTF8, 0, tab + 1, -1, arg, 2048))
                arg[0] = 0;
        }
        SetLastError(0);
        if (!strcmp(line, "list")) {
            WIN32_FIND_DATAW data;
            HANDLE h = FindFirstFileW(arg, &data);
            if (h == INVALID_HANDLE_VALUE) {
                fail();
                continue;
            }
            fputs("ok", stdout);
            do {
                fputs("\t", stdout);
                put_utf8(data.cFileName);
                printf("|%lx", (unsigned long)data.dwFileAttributes);
            } while (FindNextFileW(h, &data));
            FindClose(h);
            fputs("\n", stdout);
        } else if (!strcmp(line, "attr")) {
            DWORD a = GetFileAttributesW(arg);
            if (a == INVALID_FILE_ATTRIBUTES)
                fail();
            else
                printf("ok\t%lx\n", (unsigned long)a);
        } else if (!strcmp(line, "size")) {
            HANDLE h = CreateFileW(arg, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                   OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
            LARGE_INTEGER size;
            if (h == INVALID_HANDLE_VALUE) {
                fail();
                continue;
            }
            if (GetFileSizeEx(h, &size))
                printf("ok\t%lld\n", (long long)size.QuadPart);
            else
                fail();
            CloseHandle(h);
        } else if (!strcmp(line, "vol")) {
            WCHAR name[14], fsName[32];
            DWORD serial, maxLen, flags;
            if (GetVolumeInformationW(arg, name, 14, &serial, &maxLen, &flags, fsName, 32))
                fputs("ok\n", stdout);
            else
                fail();
        } else if (!strcmp(line, "type")) {
            printf("ok\t%u\n", GetDriveTypeW(arg));
        } else if (!strcmp(line, "sysdir") || !strcmp(line, "windir")) {
            UINT n = !strcmp(line, "sysdir") ? GetSystemDirectoryW(out, MAX_PATH)
                                             : GetWindowsDirectoryW(out, MAX_PATH);
            if (n == 0) {
                fail();
                continue;
            }
            fputs("ok\t", stdout);
            put_utf8(out);
            fputs("\n", stdout);
        } else {
            fputs("fail\tunknown\n", stdout);
        }
        fflush(stdout);
    }
    return 0;
}
