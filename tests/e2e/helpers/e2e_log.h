/* Event log shared by the end-to-end helper programs.
 *
 * Every helper appends one JSON object per line to the file named by the
 * environment variable E2E_LOG (a Windows path). Several processes write to
 * the same file, so each line is written through an exclusive open: a writer
 * that finds the file busy waits and tries again, and lines never interleave.
 */
#ifndef E2E_LOG_H
#define E2E_LOG_H

#include <windows.h>
#include <string.h>

/* A growing JSON line in a fixed buffer; once full, further text is dropped
 * and the line is not written at all (a cut-off line would be misread). */
typedef struct {
    char text[8192];
    size_t len;
    int overflow;
} JsonLine;

static inline void json_raw(JsonLine *line, const char *s)
{
    size_t n = strlen(s);
    if (line->overflow || line->len + n >= sizeof line->text) {
        line->overflow = 1;
        return;
    }
    memcpy(line->text + line->len, s, n);
    line->len += n;
    line->text[line->len] = '\0';
}

/* Appends s as a JSON string. Bytes of 0x80 and above are ANSI code-page
 * bytes, not UTF-8, so they are written as \u00XX (read back as Latin-1). */
static inline void json_string(JsonLine *line, const char *s)
{
    static const char hex[] = "0123456789abcdef";
    json_raw(line, "\"");
    for (const unsigned char *p = (const unsigned char *)s; *p; ++p) {
        char esc[8];
        if (*p == '"' || *p == '\\') {
            esc[0] = '\\'; esc[1] = (char)*p; esc[2] = '\0';
        } else if (*p < 0x20 || *p >= 0x80) {
            memcpy(esc, "\\u00", 4);
            esc[4] = hex[*p >> 4]; esc[5] = hex[*p & 15]; esc[6] = '\0';
        } else {
            esc[0] = (char)*p; esc[1] = '\0';
        }
        json_raw(line, esc);
    }
    json_raw(line, "\"");
}

/* Appends "key": to an object; the caller writes the opening brace. */
static inline void json_key(JsonLine *line, const char *key)
{
    if (line->text[line->len - 1] != '{') json_raw(line, ",");
    json_string(line, key);
    json_raw(line, ":");
}

static inline void json_begin(JsonLine *line, const char *event)
{
    line->len = 0;
    line->overflow = 0;
    line->text[0] = '\0';
    json_raw(line, "{");
    json_key(line, "event");
    json_string(line, event);
}

/* Appends "time_us": the performance counter in microseconds. Wine's counter
 * is the system's monotonic clock, the same in every process, so the stamps
 * of different helpers can be subtracted (the comparison never looks at them). */
static inline void json_time(JsonLine *line)
{
    LARGE_INTEGER count, frequency;
    char digits[24];
    int at = (int)sizeof digits - 1;
    unsigned long long us;
    if (!QueryPerformanceCounter(&count) || !QueryPerformanceFrequency(&frequency) ||
        frequency.QuadPart <= 0)
        return;
    us = (unsigned long long)(count.QuadPart / frequency.QuadPart) * 1000000ULL +
         (unsigned long long)(count.QuadPart % frequency.QuadPart) * 1000000ULL /
             (unsigned long long)frequency.QuadPart;
    digits[at] = '\0';
    do {
        digits[--at] = (char)('0' + us % 10);
        us /= 10;
    } while (us && at > 0);
    json_key(line, "time_us");
    json_raw(line, digits + at);
}

/* Closes the object, stamped with the time, and appends the line to the log.
 * Returns 1 on success. */
static inline int json_commit(JsonLine *line)
{
    char path[MAX_PATH];
    char tick[16];
    DWORD n = GetEnvironmentVariableA("E2E_LOG", path, sizeof path);
    json_time(line);
    /* The system's millisecond tick, the same clock in every process: lets
     * a reader time one helper's event against another's. */
    wsprintfA(tick, "%lu", (unsigned long)GetTickCount());
    json_key(line, "tick");
    json_raw(line, tick);
    json_raw(line, "}\n");
    if (line->overflow || n == 0 || n >= sizeof path) return 0;

    /* Exclusive open serialises writers; ten seconds of retries is far
     * beyond any real contention between the few helpers of one run. */
    for (int attempt = 0; attempt < 1000; ++attempt) {
        HANDLE file = CreateFileA(path, FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            BOOL ok = WriteFile(file, line->text, (DWORD)line->len, &written, NULL);
            CloseHandle(file);
            return ok && written == line->len;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) return 0;
        Sleep(10);
    }
    return 0;
}

/* The event of a started program: its own file and its command line as the
 * system handed it over. */
static inline int log_process_event(const char *event)
{
    JsonLine line;
    char module[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(NULL, module, sizeof module);
    if (n == 0 || n >= sizeof module) return 0;

    json_begin(&line, event);
    json_key(&line, "module");
    json_string(&line, module);
    json_key(&line, "command_line");
    json_string(&line, GetCommandLineA());
    return json_commit(&line);
}

#endif
